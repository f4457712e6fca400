#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>

namespace TestSupport {

QString buildDir()
{
    return QStringLiteral(ZELTA_TEST_BUILD_DIR);
}

QString sourceDir()
{
    return QStringLiteral(ZELTA_TEST_SOURCE_DIR);
}

QString builtProgram(const QString &name)
{
    const QStringList candidates = {
        buildDir() + QStringLiteral("/src/cli/") + name,
        buildDir() + QStringLiteral("/src/app/") + name,
        buildDir() + QStringLiteral("/tools/demosite/") + name,
        buildDir() + QLatin1Char('/') + name,
    };
    for (const QString &path : candidates) {
        if (QFileInfo(path).isExecutable())
            return path;
    }
    return QString();
}

QString sampleClip(const QString &name, double seconds, const QStringList &extraArgs)
{
    const QString folder = buildDir() + QStringLiteral("/test-media");
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name;
    // Tests may run in parallel: make each clip once, under a lock. The lock
    // is held for as long as its maker lives, however long ffmpeg takes on a
    // busy machine (a lock taken over by age would let two processes write
    // the same clip at once).
    QLockFile lock(path + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    if (!lock.lock())
        return QString();
    if (QFileInfo(path).size() > 0)
        return path;
    const QString tmp =
        folder + QStringLiteral("/.partial-%1-").arg(QCoreApplication::applicationPid()) + name;
    const QString duration = QString::number(seconds);
    QStringList args = {QStringLiteral("-hide_banner"),
                        QStringLiteral("-loglevel"),
                        QStringLiteral("error"),
                        QStringLiteral("-y"),
                        QStringLiteral("-f"),
                        QStringLiteral("lavfi"),
                        QStringLiteral("-i"),
                        QStringLiteral("testsrc=size=320x240:rate=25:duration=") + duration,
                        QStringLiteral("-f"),
                        QStringLiteral("lavfi"),
                        QStringLiteral("-i"),
                        QStringLiteral("sine=frequency=440:sample_rate=44100:duration=") +
                            duration};
    args << extraArgs;
    args << QStringLiteral("-f")
         << QFileInfo(name)
                .suffix()
                .toLower()
                .replace(QStringLiteral("mpg"), QStringLiteral("mpeg"))
                .replace(QStringLiteral("mkv"), QStringLiteral("matroska"))
                .replace(QStringLiteral("wmv"), QStringLiteral("asf"));
    args << tmp;
    if (run(QStringLiteral("ffmpeg"), args) != 0)
        return QString();
    QFile::remove(path);
    return QFile::rename(tmp, path) ? path : QString();
}

int run(const QString &program, const QStringList &args, QByteArray *out, QByteArray *err,
        int timeoutMs, const QStringList &env)
{
    QProcess process;
    if (!env.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &entry : env) {
            const int eq = entry.indexOf(QLatin1Char('='));
            environment.insert(entry.left(eq), entry.mid(eq + 1));
        }
        process.setProcessEnvironment(environment);
    }
    process.start(program, args);
    if (!process.waitForStarted(10000))
        return -1;
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (out)
        *out = process.readAllStandardOutput();
    if (err)
        *err = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int dvdTitles(const QString &image)
{
    QByteArray out;
    if (run(QStringLiteral("lsdvd"), {image}, &out) != 0)
        return -1;
    static const QRegularExpression title(QStringLiteral("^Title: \\d+"),
                                          QRegularExpression::MultilineOption);
    int count = 0;
    for (auto it = title.globalMatch(QString::fromLocal8Bit(out)); it.hasNext(); it.next())
        ++count;
    return count;
}

} // namespace TestSupport
