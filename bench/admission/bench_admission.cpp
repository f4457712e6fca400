// Descriptors of 50 items clicked in a library of 100,000 videos: the window
// thread's CPU time from the click until the descriptor is taken (its items
// judged, those with a place in the download list admitted by one store job
// that answers "already in the library?" and "path taken?" and writes their
// records, and listed), and the longest gap between turns of the window
// thread's event loop meanwhile; once with the library idle and once while the metadata
// index is built. Reference in the same run: one idle second of the same
// thread, whose CPU time (the gap meter's own ticks, mostly) is also taken
// off each case's at the same rate ("net"). The demo site on 127.0.0.1 serves the descriptors; the
// downloads are paused once listed, and removed before the next descriptor.
//
//   bench_admission [--quick]     (--quick: 2,000 rows, run by CTest)
#include "BenchRun.h"
#include "DemoSiteProcess.h"
#include "LibraryGenerator.h"
#include "RunUntil.h"
#include "ScriptedPrompt.h"
#include "StallMeter.h"
#include "downloads/DownloadManager.h"
#include "engines/Engines.h"
#include "library/Library.h"
#include "library/LibraryModel.h"
#include "library/MetaDataBuilder.h"
#include "web/Account.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kItems = 50;
struct Figures
{
    double cpuMs = 0;
    double wallMs = 0;
    qint64 longestGapMs = 0;
    int listed = 0;
    bool buildStillRunning = false;
};

// Clicks a descriptor of kItems new items and waits until it is taken.
Figures admit(Engines &engines, const DemoSiteProcess &site, const QString &tag, bool duringBuild,
              BenchRun &run)
{
    DownloadManager *downloads = engines.downloadManager();
    MetaDataBuilder *builder = engines.library()->metaDataBuilder();
    // Slow transfers: the figures are the admission's, not the files'.
    const QUrl descriptor = site.syntheticDescriptor(tag, kItems, 64 * 1024 * 1024, 64 * 1024);
    QEventLoop taking;
    int queued = -1;
    const QMetaObject::Connection read =
        QObject::connect(downloads, &DownloadManager::descriptorRead, [&](int count) {
            queued = count;
            taking.quit();
        });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &taking, &QEventLoop::quit);
    giveUp.start(120000);

    StallMeter gaps;
    gaps.start();
    if (duringBuild)
        builder->build();
    Figures figures;
    const double cpu = BenchRun::threadCpuMs();
    QElapsedTimer wall;
    wall.start();
    downloads->initializeDownload(descriptor);
    if (queued < 0)
        taking.exec();
    figures.cpuMs = BenchRun::threadCpuMs() - cpu;
    figures.wallMs = wall.nsecsElapsed() / 1e6;
    figures.buildStillRunning = duringBuild && builder->isBuilding();
    QObject::disconnect(read);
    downloads->pauseAll();
    figures.listed = downloads->rowCount();
    if (queued <= 0 || figures.listed != queued)
        run.fail(QStringLiteral("the descriptor was not taken (%1 listed)").arg(figures.listed));
    // The build's end is part of what the window lives through.
    runUntil([builder] { return !builder->isBuilding(); }, 300000);
    figures.longestGapMs = gaps.stop();
    downloads->removeAll();
    if (!runUntil([downloads] { return downloads->rowCount() == 0; }, 60000))
        run.fail(QStringLiteral("the downloads were not removed"));
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_admission"), app.arguments());
    const int rows = run.size(100000, 2000);
    QTextStream out(stdout);

    run.step(QStringLiteral("starting the demo site"));
    DemoSiteProcess site;
    if (!site.isRunning())
        run.fail(QStringLiteral("the demo site did not start"));
    run.step(QStringLiteral("generating the library"), 600);
    QTemporaryDir home;
    const LibraryLocation location = LibraryGenerator::createLibrary(home.path(), rows);
    if (location.isEmpty())
        run.fail(QStringLiteral("the library could not be made"));

    run.step(QStringLiteral("loading the library"), 300);
    ScriptedPrompt prompt;
    prompt.answers = {UserPrompt::Yes, UserPrompt::Yes}; // "Remove all?"
    Engines engines(location, &prompt);
    engines.account()->login(QStringLiteral("demo"), QStringLiteral("demo"));
    const LibraryModel *model = engines.library()->model();
    if (!runUntil([model] { return model->isLoaded(); }, 300000))
        run.fail(QStringLiteral("the library did not load"));
    engines.downloadManager()->rowCount(); // the (empty) stored queue is taken

    run.step(QStringLiteral("idle reference"));
    StallMeter gaps;
    gaps.start();
    const double idleCpu = BenchRun::threadCpuMs();
    runUntil([] { return false; }, 1000, 50);
    const double idleCpuMs = BenchRun::threadCpuMs() - idleCpu;
    const qint64 idleGap = gaps.stop();

    run.step(QStringLiteral("a descriptor, library idle"), 300);
    const Figures idle = admit(engines, site, QStringLiteral("idle"), false, run);
    run.step(QStringLiteral("a descriptor during the index build"), 600);
    const Figures building = admit(engines, site, QStringLiteral("build"), true, run);

    out << "Descriptors of " << kItems << " items in a library of " << model->rowCount()
        << " videos, in process" << (run.quick() ? " -- quick mode" : "") << '\n';
    const auto net = [idleCpuMs](const Figures &f) {
        return std::max(0.0, f.cpuMs - idleCpuMs * f.wallMs / 1000);
    };
    out << "| case | window thread CPU ms | net ms | wall ms | longest event-loop gap ms "
           "| targets |\n";
    out << "|---|---:|---:|---:|---:|---|\n";
    out << "| reference: one idle second | " << idleCpuMs << " | 0 | 1000 | " << idleGap
        << " | |\n";
    out << "| descriptor of " << kItems << " items taken (" << idle.listed
        << " listed), library idle | " << idle.cpuMs << " | " << net(idle) << " | " << idle.wallMs
        << " | " << idle.longestGapMs << " | net CPU < 5 ms |\n";
    out << "| descriptor of " << kItems << " items taken (" << building.listed
        << " listed) during the index build | " << building.cpuMs << " | " << net(building) << " | "
        << building.wallMs << " | " << building.longestGapMs << " | gap < 16 ms |\n";
    out << "the list holds " << DownloadManager::MaxDownloads
        << " downloads; the rest of each descriptor is refused by name. The index build was "
        << (building.buildStillRunning ? "still" : "no longer")
        << " running when the descriptor had been taken\n";
    out.flush();
    return run.done();
}
