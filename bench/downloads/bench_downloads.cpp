// Download throughput and memory: DownloadManager against curl, both fetching
// from the demo site on 127.0.0.1 in the same run.
#include "ScriptedPrompt.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "library/Library.h"
#include "web/NetworkManager.h"
#include "web/SignInState.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <sys/prctl.h>

#include <csignal>

namespace {

constexpr qint64 MiB = 1024 * 1024;

struct Figures
{
    double seconds = 0;
    qint64 bytes = 0;
    qint64 peakRssKiB = 0; // growth for our process, whole process for curl
    double mibPerSecond() const { return seconds > 0 ? double(bytes) / MiB / seconds : 0; }
};

qint64 rssKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

// Samples resident memory every 20 ms while `running` holds.
class RssSampler
{
public:
    explicit RssSampler(QList<qint64> pids) : m_pids(std::move(pids))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { sample(); });
        m_timer.start(20);
    }
    void sample()
    {
        qint64 total = 0;
        for (qint64 pid : m_pids)
            total += rssKiB(pid);
        m_peak = qMax(m_peak, total);
    }
    qint64 peak() const { return m_peak; }
    void setPids(QList<qint64> pids) { m_pids = std::move(pids); }

private:
    QList<qint64> m_pids;
    QTimer m_timer;
    qint64 m_peak = 0;
};

Figures runManager(const QUrl &descriptor, const QUrl &direct, qint64 totalBytes, int count)
{
    NetworkManager network;
    DownloadManager manager(&network);
    const qint64 before = rssKiB(QCoreApplication::applicationPid());
    RssSampler sampler({QCoreApplication::applicationPid()});
    int finished = 0;
    QStringList written;
    QEventLoop loop;
    QObject::connect(&manager, &DownloadManager::finished, [&](Download *d) {
        written << d->mediaPath();
        if (++finished == count)
            loop.quit();
    });
    QElapsedTimer clock;
    clock.start();
    if (direct.isValid())
        manager.initializeDirectDownload(direct, false);
    else
        manager.initializeDownload(descriptor);
    loop.exec();
    Figures figures;
    figures.seconds = clock.nsecsElapsed() / 1e9;
    figures.bytes = totalBytes;
    sampler.sample();
    figures.peakRssKiB = sampler.peak() - before;
    for (const QString &path : written)
        QFile::remove(path); // outside the timed part, as for curl
    return figures;
}

Figures runCurl(const QList<QUrl> &urls, qint64 totalBytes, const QString &folder)
{
    QList<QProcess *> processes;
    QList<qint64> pids;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < urls.size(); ++i) {
        auto *curl = new QProcess;
        curl->start(QStringLiteral("curl"),
                    {QStringLiteral("-s"), QStringLiteral("-u"), QStringLiteral("demo:demo"),
                     QStringLiteral("-o"), folder + QStringLiteral("/curl-%1.bin").arg(i),
                     urls.at(i).toString()});
        curl->waitForStarted();
        processes << curl;
        pids << curl->processId();
    }
    RssSampler sampler(pids);
    for (QProcess *curl : processes) {
        while (curl->state() != QProcess::NotRunning) {
            QEventLoop wait;
            QObject::connect(curl, &QProcess::finished, &wait, &QEventLoop::quit);
            QTimer::singleShot(50, &wait, &QEventLoop::quit);
            wait.exec();
        }
    }
    Figures figures;
    figures.seconds = clock.nsecsElapsed() / 1e9;
    figures.bytes = totalBytes;
    figures.peakRssKiB = sampler.peak();
    for (int i = 0; i < urls.size(); ++i)
        QFile::remove(folder + QStringLiteral("/curl-%1.bin").arg(i));
    qDeleteAll(processes);
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir home;
    QTemporaryDir data;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type >= QtCriticalMsg)
            QTextStream(stderr) << text << '\n';
    });

    QProcess site;
    site.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    site.start(QStringLiteral(ZELTA_DEMOSITE),
               {QStringLiteral("--no-media"), QStringLiteral("--port"), QStringLiteral("0"),
                QStringLiteral("--data"), data.path()});
    if (!site.waitForReadyRead(30000)) {
        QTextStream(stderr) << "bench_downloads: the demo site did not start\n";
        return 1;
    }
    const QString base = QString::fromLatin1(site.readLine()).trimmed();

    Library::setupPaths(home.path());
    Library::initDatabase(QString());
    ScriptedPrompt prompt;
    UserPrompt::install(&prompt);
    SignInState::login(QStringLiteral("demo"), QStringLiteral("demo"));

    const qint64 big = 1024 * MiB;
    const qint64 each = 200 * MiB;
    const QUrl one(base + QStringLiteral("/media/blob/big.mp4?bytes=%1").arg(big));
    QList<QUrl> five;
    for (int i = 1; i <= 5; ++i)
        five << QUrl(base + QStringLiteral("/media/blob/five-%1.mp4?bytes=%2").arg(i).arg(each));
    const QUrl fiveDescriptor(
        base + QStringLiteral("/members/synthetic.corvana?count=5&bytes=%1&tag=five").arg(each));

    // Best of two alternating rounds: the machine may be busy with other work.
    auto best = [](const Figures &a, const Figures &b) {
        Figures f = a.seconds <= b.seconds ? a : b;
        f.peakRssKiB = qMax(a.peakRssKiB, b.peakRssKiB);
        return f;
    };
    const Figures oneZelta1 = runManager(QUrl(), one, big, 1);
    const Figures oneCurl1 = runCurl({one}, big, home.path());
    const Figures oneCurl2 = runCurl({one}, big, home.path());
    const Figures oneZelta2 = runManager(QUrl(), one, big, 1);
    const Figures fiveZelta1 = runManager(fiveDescriptor, QUrl(), 5 * each, 5);
    const Figures fiveCurl1 = runCurl(five, 5 * each, home.path());
    const Figures fiveCurl2 = runCurl(five, 5 * each, home.path());
    const Figures fiveZelta2 = runManager(fiveDescriptor, QUrl(), 5 * each, 5);
    const Figures oneZelta = best(oneZelta1, oneZelta2);
    const Figures oneCurl = best(oneCurl1, oneCurl2);
    const Figures fiveZelta = best(fiveZelta1, fiveZelta2);
    const Figures fiveCurl = best(fiveCurl1, fiveCurl2);

    out << "Downloads from the demo site over loopback (MiB/s; memory in MiB)\n";
    out << QStringLiteral("%1 | %2 | %3 | %4 | %5 | %6\n")
               .arg(QStringLiteral("case"), -22)
               .arg(QStringLiteral("ZELTA MiB/s"), 12)
               .arg(QStringLiteral("curl MiB/s"), 11)
               .arg(QStringLiteral("ratio"), 6)
               .arg(QStringLiteral("ZELTA RSS growth"), 17)
               .arg(QStringLiteral("curl peak RSS"), 14);
    auto row = [&](const QString &name, const Figures &zelta, const Figures &curl) {
        out << QStringLiteral("%1 | %2 | %3 | %4 | %5 | %6\n")
                   .arg(name, -22)
                   .arg(zelta.mibPerSecond(), 12, 'f', 1)
                   .arg(curl.mibPerSecond(), 11, 'f', 1)
                   .arg(zelta.mibPerSecond() / qMax(curl.mibPerSecond(), 0.001), 6, 'f', 2)
                   .arg(zelta.peakRssKiB / 1024.0, 17, 'f', 1)
                   .arg(curl.peakRssKiB / 1024.0, 14, 'f', 1);
    };
    row(QStringLiteral("1 x 1 GiB"), oneZelta, oneCurl);
    row(QStringLiteral("5 x 200 MiB at once"), fiveZelta, fiveCurl);
    out << "targets: ratio >= 0.90, ZELTA RSS growth < 32 MiB\n";
    site.kill();
    site.waitForFinished();
    UserPrompt::install(nullptr);
    return 0;
}
