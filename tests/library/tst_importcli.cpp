// zelta-cli's import of a hostile folder: the one real video comes in, with
// its subtitle rewritten by us; links, devices, secrets and non-videos stay
// out and the summary line says why; an unreadable video makes the run fail.
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool link(const QString &target, const QString &path)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) ==
           0;
}

} // namespace

class TestImportCli : public QObject
{
    Q_OBJECT

private:
    QString m_cli;
    QString m_library;

    int cli(const QStringList &args, QStringList *lines, const QStringList &wrapper = {})
    {
        QByteArray out;
        QByteArray err;
        const QString program = wrapper.isEmpty() ? m_cli : wrapper.first();
        const QStringList all =
            wrapper.isEmpty() ? args : wrapper.mid(1) + QStringList{m_cli} + args;
        const int code = TestSupport::run(program, all, &out, &err, 120000);
        lines->clear();
        for (const QByteArray &line : out.split('\n')) {
            if (!line.isEmpty())
                *lines << QString::fromUtf8(line);
        }
        return code;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_cli = TestSupport::builtProgram(QStringLiteral("zelta-cli"));
        QVERIFY(!m_cli.isEmpty());
        m_library = QDir::home().absoluteFilePath(QStringLiteral("My Library"));
        QStringList lines;
        QCOMPARE(cli({"library", "init"}, &lines), 0);
    }

    void hostileFolder()
    {
        const QString clip = TestSupport::sampleClip(QStringLiteral("importcli-2s.mp4"), 2);
        QVERIFY(!clip.isEmpty());
        QTemporaryDir source;
        QDir d(source.path());
        QVERIFY(QFile::copy(clip, d.filePath("clip.mp4")));
        QVERIFY(QDir::home().mkpath(QStringLiteral(".ssh")));
        QVERIFY(writeFile(QDir::home().filePath(".ssh/id_rsa"), "PRIVATE KEY\n"));
        QVERIFY(link(QDir::home().filePath(".ssh/id_rsa"), d.filePath("clip.srt")));
        QVERIFY(link(QStringLiteral("/etc/shadow"), d.filePath("clip.fr.srt")));
        QVERIFY(link(m_library + QStringLiteral("/library.db"), d.filePath("clip.de.srt")));
        QVERIFY(writeFile(d.filePath("clip.en.srt"),
                          "1\r\n00:00:00,500 --> 00:00:01,500\r\n<font color=red>Hi</font>\r\n"));
        QVERIFY(writeFile(d.filePath("notes.txt"), "text"));
        QVERIFY(link(QStringLiteral("."), d.filePath("loop")));
        QVERIFY(link(QStringLiteral("/"), d.filePath("root")));
        QVERIFY(link(QStringLiteral("/proc"), d.filePath("proc")));
        QVERIFY(link(QStringLiteral("/dev/zero"), d.filePath("zero.mp4")));

        QStringList lines;
        QCOMPARE(cli({"library", "import", d.path()}, &lines), 0);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.first().split(QLatin1Char('\t')).value(3),
                 m_library + QStringLiteral("/clip.mp4"));
        QCOMPARE(lines.last(), QStringLiteral("1 imported, 1 skipped: not a video, "
                                              "4 skipped: a link, 3 skipped: a subtitle that is "
                                              "a link"));
        QStringList inLibrary = QDir(m_library).entryList({"clip*"}, QDir::Files);
        inLibrary.sort();
        QCOMPARE(inLibrary, (QStringList{"clip.en.srt", "clip.mp4", "clip.mp4-thumb.jpg"}));
        QFile subtitle(m_library + QStringLiteral("/clip.en.srt"));
        QVERIFY(subtitle.open(QIODevice::ReadOnly));
        QCOMPARE(subtitle.readAll(), QByteArray("1\n00:00:00,500 --> 00:00:01,500\nHi\n\n"));
    }

    // As root every file is readable: the run drops the right to read
    // regardless of the file's mode.
    void unreadableVideoIsReported()
    {
        QTemporaryDir source;
        const QString video = source.filePath(QStringLiteral("locked.mp4"));
        QVERIFY(writeFile(video, "video"));
        QVERIFY(QFile::setPermissions(video, QFileDevice::Permissions()));
        QStringList wrapper;
        if (::geteuid() == 0)
            wrapper = {QStringLiteral("setpriv"),
                       QStringLiteral("--bounding-set=-dac_override,-dac_read_search")};
        QStringList lines;
        QCOMPARE(cli({"library", "import", source.path()}, &lines, wrapper), 1);
        QCOMPARE(lines, QStringList{"0 imported, 1 skipped: unreadable"});
    }
};

QTEST_GUILESS_MAIN(TestImportCli)
#include "tst_importcli.moc"
