// The downloads page's cost: 20 downloads of 200 MiB from the demo site on
// 127.0.0.1 with the page shown, against the same downloads headless in the
// same run. Prints throughput and the GUI thread's CPU time per second.
// "--quick": 3 downloads of 2 MiB, one round (run by CTest).
#include "BenchRun.h"
#include "DemoSiteProcess.h"
#include "ScriptedPrompt.h"
#include "TestDatabase.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadRecords.h"
#include "gui/downloads/DownloadWidget.h"
#include "library/Library.h"
#include "library/LibraryStore.h"
#include "web/Account.h"
#include "web/NetworkManager.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <ctime>
#include <memory>

namespace {

constexpr qint64 MiB = 1024 * 1024;
int Count = 20;
qint64 Each = 200 * MiB;
BenchRun *g_run = nullptr;

struct Figures
{
    double seconds = 0;
    double cpuSeconds = 0; // this (the GUI) thread
    double mibPerSecond() const { return seconds > 0 ? double(Count * Each) / MiB / seconds : 0; }
    double cpuShare() const { return seconds > 0 ? cpuSeconds / seconds : 0; }
};

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// The library the downloads go into.
LibraryLocation g_library;

// Removes the download folders, keeping the database beside them.
void clearDownloads()
{
    const QDir library(g_library.folder());
    for (const QString &name : library.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!name.startsWith(QLatin1Char('.')))
            QDir(library.filePath(name)).removeRecursively();
    }
}

Figures run(const QString &base, const QString &tag, bool withPage)
{
    g_run->step(QStringLiteral("downloads %1, page %2")
                    .arg(tag, withPage ? QStringLiteral("shown") : QStringLiteral("hidden")),
                15 * 60);
    clearDownloads();
    ScriptedPrompt prompt;
    Account account;
    account.login(QStringLiteral("demo"), QStringLiteral("demo"));
    NetworkManager network(&account, &prompt);
    LibraryStore store(g_library.databaseFile());
    DownloadRecords records(&store, g_library);
    DownloadManager manager(&network, &records, &prompt);
    std::unique_ptr<DownloadWidget> page;
    if (withPage) {
        page = std::make_unique<DownloadWidget>(&manager, &prompt);
        page->resize(1000, 800);
        page->show();
        QCoreApplication::processEvents();
    }
    int finished = 0;
    QEventLoop loop;
    QObject::connect(&manager, &DownloadManager::finished, [&](Download *d) {
        if (d->state() != Download::Finished)
            g_run->fail(QStringLiteral("a download ended unfinished"));
        if (++finished == Count)
            loop.quit();
    });
    QObject::connect(&manager, &DownloadManager::error, [&](const QString &message) {
        g_run->fail(QStringLiteral("a download failed: ") + message);
    });
    const QUrl descriptor(base +
                          QStringLiteral("/members/synthetic.corvana?count=%1&bytes=%2&tag=%3")
                              .arg(Count)
                              .arg(Each)
                              .arg(tag));
    QElapsedTimer clock;
    clock.start();
    const double cpu = threadCpuSeconds();
    manager.initializeDownload(descriptor);
    loop.exec();
    Figures figures;
    figures.seconds = clock.nsecsElapsed() / 1e9;
    figures.cpuSeconds = threadCpuSeconds() - cpu;
    page.reset();
    clearDownloads(); // outside the timed part
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    BenchRun bench(QStringLiteral("bench_downloadsview"), app.arguments());
    g_run = &bench;
    Count = bench.size(Count, 3);
    Each = bench.size(Each, 2 * MiB);
    QTextStream out(stdout);
    QTemporaryDir home;
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type >= QtCriticalMsg)
            QTextStream(stderr) << text << '\n';
    });

    bench.step(QStringLiteral("starting the demo site"));
    DemoSiteProcess site;
    if (!site.isRunning())
        bench.fail(QStringLiteral("the demo site did not start"));
    const QString base = site.url().toString(QUrl::StripTrailingSlash);

    g_library = TestDatabase::setUpHome(home.path());

    // Alternating rounds, best of three each: the machine may be busy.
    Figures headless;
    Figures shown;
    for (int round = 1; round <= bench.size(3, 1); ++round) {
        const Figures h = run(base, QStringLiteral("h%1").arg(round), false);
        const Figures s = run(base, QStringLiteral("s%1").arg(round), true);
        if (headless.seconds == 0 || h.seconds < headless.seconds)
            headless = h;
        if (shown.seconds == 0 || s.seconds < shown.seconds)
            shown = s;
    }

    out << Count << " downloads of " << Each / MiB
        << " MiB from the demo site over loopback, page shown vs headless\n";
    out << QStringLiteral("%1 | %2 | %3 | %4\n")
               .arg(QStringLiteral("case"), -10)
               .arg(QStringLiteral("MiB/s"), 8)
               .arg(QStringLiteral("ratio"), 6)
               .arg(QStringLiteral("GUI thread CPU (% of one core)"), 31);
    auto row = [&](const QString &name, const Figures &f) {
        out << QStringLiteral("%1 | %2 | %3 | %4\n")
                   .arg(name, -10)
                   .arg(f.mibPerSecond(), 8, 'f', 1)
                   .arg(f.mibPerSecond() / qMax(headless.mibPerSecond(), 0.001), 6, 'f', 2)
                   .arg(f.cpuShare() * 100, 31, 'f', 1);
    };
    row(QStringLiteral("headless"), headless);
    row(QStringLiteral("page shown"), shown);
    // The GUI thread also runs the transfers: the page's own cost is the
    // extra CPU time, spread over the time the transfers took.
    out << QStringLiteral("page's own cost on the GUI thread: %1% of one core\n")
               .arg((shown.cpuSeconds - headless.cpuSeconds) / shown.seconds * 100, 0, 'f', 1);
    out << "targets: ratio >= 0.95, page's own GUI thread cost < 10%\n";
    return bench.done();
}
