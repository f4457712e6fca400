// The download speed limit against the demo site on 127.0.0.1: the rate
// measured over a window (from the bytes on disk) for one and for five
// downloads at 2 MiB/s, and the time from a changed setting until the
// transfers' limiter has it, with the rate over the seconds after.
//
//   bench_ratelimit [--quick]     (--quick: short windows; run by CTest)
#include "BenchRun.h"
#include "DemoSiteProcess.h"
#include "ScriptedPrompt.h"
#include "TestDatabase.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadRecords.h"
#include "downloads/SpeedLimitSettings.h"
#include "downloads/TransferRateLimiter.h"
#include "library/Library.h"
#include "library/LibraryStore.h"
#include "web/Account.h"
#include "web/NetworkManager.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

namespace {

constexpr qint64 KiB = 1024;
constexpr qint64 MiB = 1024 * KiB;

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

qint64 bytesOnDisk(const DownloadManager &manager)
{
    qint64 total = 0;
    for (const Download *d : manager.activeDownloads())
        total += QFileInfo(d->mediaPath()).size();
    return total;
}

// KiB/s over `ms`, from the bytes the downloads wrote meanwhile.
double measure(const DownloadManager &manager, int ms)
{
    QElapsedTimer clock;
    const qint64 before = bytesOnDisk(manager);
    clock.start();
    wait(ms);
    return double(bytesOnDisk(manager) - before) / KiB / (double(clock.nsecsElapsed()) / 1e9);
}

void setLimit(int kib)
{
    SpeedLimitSettings limits = SpeedLimitSettings::load();
    limits.limitKiB = kib;
    limits.save();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_ratelimit"), app.arguments());
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type >= QtCriticalMsg)
            QTextStream(stderr) << text << '\n';
    });
    QTextStream out(stdout);

    run.step(QStringLiteral("starting the demo site"));
    DemoSiteProcess site;
    if (!site.isRunning())
        run.fail(QStringLiteral("the demo site did not start"));
    const LibraryLocation library = TestDatabase::setUpHome(home.path());
    if (library.isEmpty())
        run.fail(QStringLiteral("the library database could not be made"));
    Account account;
    account.login(QStringLiteral("demo"), QStringLiteral("demo"));

    const int limitKiB = 2048;
    const int windowMs = run.size(20000, 3000);
    const int settleMs = run.size(3000, 1000);
    // Larger than the window can fetch, so that every download runs throughout.
    const qint64 size = qint64(limitKiB) * KiB * (windowMs + settleMs) / 1000 * 2;
    setLimit(limitKiB);

    out << "case\tlimit KiB/s\tmeasured KiB/s\tratio\n";
    for (int count : {1, 5}) {
        run.step(QStringLiteral("%1 download(s) at %2 KiB/s").arg(count).arg(limitKiB), 120);
        ScriptedPrompt prompt;
        NetworkManager network(&account, &prompt);
        LibraryStore store(library.databaseFile());
        DownloadRecords records(&store, library);
        DownloadManager manager(&network, &records, &prompt);
        for (int i = 0; i < count; ++i)
            manager.initializeDirectDownload(
                site.url(QStringLiteral("/media/blob/limit-%1-%2.mp4?bytes=%3")
                             .arg(count)
                             .arg(i)
                             .arg(size)),
                false);
        wait(settleMs); // past the start and the bucket's first burst
        const double rate = measure(manager, windowMs);
        out << QStringLiteral("%1 x, %2 s\t%3\t%4\t%5\n")
                   .arg(count)
                   .arg(windowMs / 1000)
                   .arg(limitKiB)
                   .arg(rate, 0, 'f', 0)
                   .arg(rate / limitKiB, 0, 'f', 3);
        out.flush();

        if (count == 5) {
            // A new limit from the settings, as zelta-cli or the page sets it.
            run.step(QStringLiteral("a change of limit"), 60);
            const int lower = 512;
            QElapsedTimer seen;
            seen.start();
            setLimit(lower);
            while (TransferRateLimiter::shared().limit() != lower * KiB && seen.elapsed() < 5000)
                wait(10);
            const qint64 seenMs = seen.elapsed();
            wait(500);
            const double after = measure(manager, run.size(5000, 2000));
            out << QStringLiteral("change to %1, seen after %2 ms\t%1\t%3\t%4\n")
                       .arg(lower)
                       .arg(seenMs)
                       .arg(after, 0, 'f', 0)
                       .arg(after / lower, 0, 'f', 3);
            setLimit(limitKiB);
        }
    } // the manager stops its downloads; their files go with the home folder
    return run.done();
}
