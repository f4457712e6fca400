// Download throughput and memory: DownloadManager against curl, both fetching
// from the demo site on 127.0.0.1 in the same run; the last row has the site
// drop the connection again and again (curl -C - run again until it is done).
//
//   bench_downloads [--quick] [--only one|five|drop]
//     --quick: tiny sizes, one round (run by CTest); --only: that case alone,
//     ZELTA's side only (for a profiler)
#include "BenchRun.h"
#include "DemoSiteProcess.h"
#include "ScriptedPrompt.h"
#include "TestDatabase.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadRecords.h"
#include "library/Library.h"
#include "library/LibraryStore.h"
#include "web/Account.h"
#include "web/NetworkManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <algorithm>

#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr qint64 MiB = 1024 * 1024;
// No wait of this benchmark is longer: a hang ends the run with a message.
int g_timeoutMs = 15 * 60 * 1000;
BenchRun *g_run = nullptr;
// The library the downloads go into.
LibraryLocation g_library;

[[noreturn]] void giveUp(const QString &what)
{
    g_run->fail(what);
}

struct Figures
{
    double seconds = 0;
    qint64 firstBytesMs = -1; // ours: until the first media bytes were on disk
    qint64 bytes = 0;
    qint64 peakRssKiB = 0;            // growth for our process, whole process for curl
    double cpuSeconds = 0;            // user + system, all threads (ours) or all processes (curl)
    QMap<QString, double> threadBusy; // ours: share of the wall time each thread ran
    double mibPerSecond() const { return seconds > 0 ? double(bytes) / MiB / seconds : 0; }
};

// The machine's load average, as /proc/loadavg says it.
QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    const QList<QByteArray> fields = file.readAll().split(' ');
    return QString::fromLatin1(fields.mid(0, 3).join(' '));
}

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

// CPU time (user + system) of this process, or of its children that ended.
double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// CPU seconds so far of each thread of this process, by thread name.
QMap<QString, double> threadCpuSeconds()
{
    QMap<QString, double> seconds;
    const double tick = double(sysconf(_SC_CLK_TCK));
    const QStringList tasks =
        QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &task : tasks) {
        QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(task));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const qsizetype open = line.indexOf('('), close = line.lastIndexOf(')');
        if (open < 0 || close < open)
            continue;
        // After the name: state, then 10 fields up to utime and stime.
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (fields.size() < 13)
            continue;
        const QString name = QString::fromLocal8Bit(line.mid(open + 1, close - open - 1));
        seconds[name] += (fields.at(11).toDouble() + fields.at(12).toDouble()) / tick;
    }
    return seconds;
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

Figures runManager(const QString &name, const QUrl &descriptor, const QUrl &direct,
                   qint64 totalBytes, int count)
{
    g_run->step(name + QStringLiteral(", ZELTA"), g_timeoutMs / 1000 + 60);
    ScriptedPrompt prompt;
    Account account;
    account.login(QStringLiteral("demo"), QStringLiteral("demo"));
    NetworkManager network(&account, &prompt);
    LibraryStore store(g_library.databaseFile());
    DownloadRecords records(&store, g_library);
    DownloadManager manager(&network, &records, &prompt);
    const qint64 before = rssKiB(QCoreApplication::applicationPid());
    RssSampler sampler({QCoreApplication::applicationPid()});
    int finished = 0;
    QStringList written;
    QEventLoop loop;
    QString failure;
    QObject::connect(&manager, &DownloadManager::finished, [&](Download *d) {
        if (d->state() != Download::Finished)
            failure = QStringLiteral("a download ended unfinished");
        written << d->mediaPath();
        if (++finished == count || !failure.isEmpty())
            loop.quit();
    });
    // Failures the manager retries by itself are part of the run; others end it.
    QObject::connect(&manager, &DownloadManager::error, [&](const QString &message) {
        for (Download *d : manager.activeDownloads()) {
            if (!d->failure().isNull() && !d->failure().retriesByItself())
                failure = message;
        }
        if (!failure.isEmpty())
            loop.quit();
    });
    bool timedOut = false;
    QTimer::singleShot(g_timeoutMs, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    const QMap<QString, double> threadsBefore = threadCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    qint64 firstBytesMs = -1;
    QTimer firstBytes;
    QObject::connect(&firstBytes, &QTimer::timeout, [&] {
        for (Download *d : manager.activeDownloads()) {
            if (QFileInfo(d->mediaPath()).size() > 0) {
                firstBytesMs = clock.elapsed();
                firstBytes.stop();
            }
        }
    });
    firstBytes.start(5);
    if (direct.isValid())
        manager.initializeDirectDownload(direct, false);
    else
        manager.initializeDownload(descriptor);
    if (!manager.hasPendingRequests() && manager.rowCount() == 0)
        giveUp(name + QStringLiteral(": the download manager took nothing on"));
    loop.exec();
    if (timedOut)
        giveUp(QStringLiteral("%1: %2 of %3 downloads finished within %4 s")
                   .arg(name)
                   .arg(finished)
                   .arg(count)
                   .arg(g_timeoutMs / 1000));
    if (!failure.isEmpty())
        giveUp(name + QStringLiteral(": ") + failure);
    for (const QString &path : written) {
        if (QFileInfo(path).size() != totalBytes / count)
            giveUp(QStringLiteral("%1: %2 has %3 bytes, not %4")
                       .arg(name, path)
                       .arg(QFileInfo(path).size())
                       .arg(totalBytes / count));
    }
    Figures figures;
    figures.seconds = clock.nsecsElapsed() / 1e9;
    figures.firstBytesMs = firstBytesMs;
    figures.cpuSeconds = cpuSeconds(RUSAGE_SELF) - cpuBefore;
    const QMap<QString, double> threadsAfter = threadCpuSeconds();
    for (auto it = threadsAfter.cbegin(); it != threadsAfter.cend(); ++it) {
        const double busy = (it.value() - threadsBefore.value(it.key())) / figures.seconds;
        if (busy >= 0.01)
            figures.threadBusy[it.key()] = busy;
    }
    figures.bytes = totalBytes;
    sampler.sample();
    figures.peakRssKiB = sampler.peak() - before;
    for (const QString &path : written)
        QFile::remove(path); // outside the timed part, as for curl
    return figures;
}

// curl on each URL at once; with `resuming`, each in a loop of "curl -C -"
// until it succeeds (curl's own --retry starts a broken transfer over from
// byte 0, which never ends against a server that drops every connection).
Figures runCurl(const QString &name, const QList<QUrl> &urls, qint64 totalBytes,
                const QString &folder, bool resuming = false)
{
    g_run->step(name + QStringLiteral(", curl"), g_timeoutMs / 1000 + 60);
    QList<QProcess *> processes;
    QList<qint64> pids;
    const double cpuBefore = cpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < urls.size(); ++i) {
        auto *curl = new QProcess;
        const QStringList args{QStringLiteral("-s"), QStringLiteral("-f"),
                               QStringLiteral("-u"), QStringLiteral("demo:demo"),
                               QStringLiteral("-o"), folder + QStringLiteral("/curl-%1.bin").arg(i),
                               urls.at(i).toString()};
        if (resuming)
            curl->start(QStringLiteral("sh"),
                        QStringList{QStringLiteral("-c"),
                                    QStringLiteral("until curl -C - \"$@\"; do :; done"),
                                    QStringLiteral("sh")} +
                            args);
        else
            curl->start(QStringLiteral("curl"), args);
        if (!curl->waitForStarted())
            giveUp(QStringLiteral("curl did not start"));
        processes << curl;
        pids << curl->processId();
    }
    RssSampler sampler(pids);
    QElapsedTimer waited;
    waited.start();
    for (QProcess *curl : processes) {
        while (curl->state() != QProcess::NotRunning) {
            if (waited.elapsed() > g_timeoutMs)
                giveUp(QStringLiteral("%1: curl did not finish within %2 s")
                           .arg(name)
                           .arg(g_timeoutMs / 1000));
            QEventLoop wait;
            QObject::connect(curl, &QProcess::finished, &wait, &QEventLoop::quit);
            QTimer::singleShot(50, &wait, &QEventLoop::quit);
            wait.exec();
        }
    }
    Figures figures;
    figures.seconds = clock.nsecsElapsed() / 1e9;
    figures.cpuSeconds = cpuSeconds(RUSAGE_CHILDREN) - cpuBefore;
    figures.bytes = totalBytes;
    figures.peakRssKiB = sampler.peak();
    for (int i = 0; i < urls.size(); ++i) {
        const QString file = folder + QStringLiteral("/curl-%1.bin").arg(i);
        if (QFileInfo(file).size() != totalBytes / urls.size())
            giveUp(QStringLiteral("%1: curl wrote %2 bytes, not %3")
                       .arg(name)
                       .arg(QFileInfo(file).size())
                       .arg(totalBytes / urls.size()));
        QFile::remove(file);
    }
    qDeleteAll(processes);
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_downloads"), app.arguments());
    g_run = &run;
    const bool quick = run.quick();
    if (quick)
        g_timeoutMs = 30 * 1000;
    QTextStream out(stdout);
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type >= QtCriticalMsg)
            QTextStream(stderr) << text << '\n';
    });

    // The members' site of this run: the member's credentials may go to it.
    run.step(QStringLiteral("starting the demo site"));
    DemoSiteProcess site;
    if (!site.isRunning())
        giveUp(QStringLiteral("the demo site did not start"));
    const QString base = site.url().toString();

    g_library = TestDatabase::setUpHome(home.path());
    if (g_library.isEmpty())
        giveUp(QStringLiteral("the library database could not be made"));

    const qint64 big = quick ? 8 * MiB : 1024 * MiB;
    const qint64 each = quick ? 2 * MiB : 200 * MiB;
    const qint64 dropEvery = quick ? 1 * MiB : 100 * MiB;
    const QUrl one(base + QStringLiteral("/media/blob/big.mp4?bytes=%1").arg(big));
    QList<QUrl> five;
    for (int i = 1; i <= 5; ++i)
        five << QUrl(base + QStringLiteral("/media/blob/five-%1.mp4?bytes=%2").arg(i).arg(each));
    const QUrl fiveDescriptor(
        base + QStringLiteral("/members/synthetic.corvana?count=5&bytes=%1&tag=five").arg(each));
    const QUrl dropped(base + QStringLiteral("/media/blob/dropped.mp4?bytes=%1").arg(big));
    const QString oneName = quick ? QStringLiteral("1 x 8 MiB") : QStringLiteral("1 x 1 GiB");
    const QString fiveName =
        quick ? QStringLiteral("5 x 2 MiB at once") : QStringLiteral("5 x 200 MiB at once");
    const QString dropName = quick ? QStringLiteral("8 MiB, drop every 1 MiB")
                                   : QStringLiteral("1 GiB, drop every 100 MiB");
    auto dropping = [&](bool on) {
        site.control(on ? QStringLiteral("/control/fault?name=dropevery&value=%1").arg(dropEvery)
                        : QStringLiteral("/control/fault?name="));
    };

    // Three rounds (one in quick mode), each case's two sides back to back,
    // who goes first taking turns; a case's figures are the round of the
    // median ratio (the machine may be busy, and its load changes over a run).
    const int rounds = quick ? 1 : 3;
    const qsizetype onlyAt = app.arguments().indexOf(QStringLiteral("--only"));
    if (onlyAt > 0) {
        const QString only = app.arguments().value(onlyAt + 1);
        QElapsedTimer clock;
        clock.start();
        Figures figures;
        if (only == QLatin1String("one"))
            figures = runManager(oneName, QUrl(), one, big, 1);
        else if (only == QLatin1String("five"))
            figures = runManager(fiveName, fiveDescriptor, QUrl(), 5 * each, 5);
        else if (only == QLatin1String("drop")) {
            dropping(true);
            figures = runManager(dropName, QUrl(), dropped, big, 1);
        } else
            giveUp(QStringLiteral("--only takes one, five or drop"));
        out << only << ": " << figures.mibPerSecond() << " MiB/s, first bytes after "
            << figures.firstBytesMs << " ms, " << figures.cpuSeconds << " CPU s, RSS growth "
            << figures.peakRssKiB / 1024.0 << " MiB\n";
        return run.done();
    }
    struct Pair
    {
        Figures zelta, curl;
        double ratio() const { return zelta.mibPerSecond() / qMax(curl.mibPerSecond(), 0.001); }
    };
    QList<Pair> ones, fives, drops;
    const QString loadBefore = loadAverage();
    for (int round = 0; round < rounds; ++round) {
        const bool zeltaFirst = round % 2 == 0;
        auto both = [&](QList<Pair> &pairs, auto zelta, auto curl) {
            Pair pair;
            if (zeltaFirst) {
                pair.zelta = zelta();
                pair.curl = curl();
            } else {
                pair.curl = curl();
                pair.zelta = zelta();
            }
            pairs << pair;
        };
        both(
            ones, [&] { return runManager(oneName, QUrl(), one, big, 1); },
            [&] { return runCurl(oneName, {one}, big, home.path()); });
        both(
            fives, [&] { return runManager(fiveName, fiveDescriptor, QUrl(), 5 * each, 5); },
            [&] { return runCurl(fiveName, five, 5 * each, home.path()); });
        dropping(true);
        both(
            drops, [&] { return runManager(dropName, QUrl(), dropped, big, 1); },
            [&] { return runCurl(dropName, {dropped}, big, home.path(), true); });
        dropping(false);
    }
    const QString loadAfter = loadAverage();
    // The round of the median ratio, with the highest memory growth of all rounds.
    auto median = [](const QList<Pair> &pairs) {
        QList<Pair> sorted = pairs;
        std::sort(sorted.begin(), sorted.end(),
                  [](const Pair &a, const Pair &b) { return a.ratio() < b.ratio(); });
        Pair kept = sorted.at(sorted.size() / 2);
        for (const Pair &pair : pairs)
            kept.zelta.peakRssKiB = qMax(kept.zelta.peakRssKiB, pair.zelta.peakRssKiB);
        return kept;
    };
    const Pair oneMedian = median(ones), fiveMedian = median(fives), dropMedian = median(drops);
    const Figures &oneZelta = oneMedian.zelta, &oneCurl = oneMedian.curl;
    const Figures &fiveZelta = fiveMedian.zelta, &fiveCurl = fiveMedian.curl;
    const Figures &dropZelta = dropMedian.zelta, &dropCurl = dropMedian.curl;

    out << "Downloads from the demo site over loopback (MiB/s; memory in MiB)"
        << (quick ? " -- quick mode, sizes too small for meaningful figures" : "") << '\n';
    out << QStringLiteral("%1 | %2 | %3 | %4 | %5 | %6 | %7 | %8\n")
               .arg(QStringLiteral("case"), -27)
               .arg(QStringLiteral("ZELTA MiB/s"), 12)
               .arg(QStringLiteral("curl MiB/s"), 11)
               .arg(QStringLiteral("ratio"), 6)
               .arg(QStringLiteral("ZELTA RSS growth"), 17)
               .arg(QStringLiteral("curl peak RSS"), 14)
               .arg(QStringLiteral("ZELTA CPU s/GiB"), 16)
               .arg(QStringLiteral("curl CPU s/GiB"), 15);
    auto row = [&](const QString &name, const Figures &zelta, const Figures &curl) {
        const auto perGiB = [](const Figures &f) { return f.cpuSeconds * 1024 * MiB / f.bytes; };
        out << QStringLiteral("%1 | %2 | %3 | %4 | %5 | %6 | %7 | %8\n")
                   .arg(name, -27)
                   .arg(zelta.mibPerSecond(), 12, 'f', 1)
                   .arg(curl.mibPerSecond(), 11, 'f', 1)
                   .arg(zelta.mibPerSecond() / qMax(curl.mibPerSecond(), 0.001), 6, 'f', 2)
                   .arg(zelta.peakRssKiB / 1024.0, 17, 'f', 1)
                   .arg(curl.peakRssKiB / 1024.0, 14, 'f', 1)
                   .arg(perGiB(zelta), 16, 'f', 2)
                   .arg(perGiB(curl), 15, 'f', 2);
    };
    row(oneName, oneZelta, oneCurl);
    row(fiveName, fiveZelta, fiveCurl);
    row(dropName + QStringLiteral(" *"), dropZelta, dropCurl);
    out << "* curl -C - run again until it succeeds (curl's --retry restarts from byte 0)\n";
    out << "targets: ratio >= 0.95 (>= 0.8 with drops), ZELTA RSS growth < 16 MiB\n";
    out << "figures of the round with the median ratio (of " << rounds
        << "); RSS growth: the highest of all rounds\n";
    out << "CPU: user + system time of the whole run of the case\n";
    auto ratios = [&](const QString &name, const QList<Pair> &pairs) {
        out << name << ", ratio of each round:";
        for (const Pair &pair : pairs)
            out << ' ' << QString::number(pair.ratio(), 'f', 2);
        out << '\n';
    };
    ratios(oneName, ones);
    ratios(fiveName, fives);
    ratios(dropName, drops);
    out << "load average (1, 5, 15 min) before: " << loadBefore << ", after: " << loadAfter << " ("
        << QThread::idealThreadCount() << " cores)\n";
    auto threads = [&](const QString &name, const Figures &zelta) {
        out << name << ", ZELTA's threads busy (share of the wall time):";
        for (auto it = zelta.threadBusy.cbegin(); it != zelta.threadBusy.cend(); ++it)
            out << QStringLiteral(" %1 %2 %").arg(it.key()).arg(100 * it.value(), 0, 'f', 0);
        out << '\n';
    };
    threads(oneName, oneZelta);
    threads(fiveName, fiveZelta);
    threads(dropName, dropZelta);
    return run.done();
}
