// Keeping play positions costs the window nothing it shows: over a library of
// 100,000 rows, with the library page built and a library video playing for
// 60 s, the longest stall of the GUI thread while the player saves its place
// every 10 s (and on a pause at the end), against the same playing without a
// library to save into (the reference, same run). `--quick`: 5,000 rows,
// 3 s of playing each and a save every second, as a test that the
// measurement still runs and takes in timed saves and the one on pausing.
#include "LibraryGenerator.h"
#include "RunUntil.h"
#include "core/LoggingPrompt.h"
#include "gui/library/LibraryWidget.h"
#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/MediaVideoWidget.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/Toolbar.h"
#include "library/Library.h"
#include "library/LibraryItem.h"
#include "library/LibraryModel.h"
#include "library/LibraryStore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <memory>

namespace {

constexpr int kHeartbeatMs = 5;

struct Run
{
    double longestStallMs = 0;
    // The same once the picture runs (from 1 s on): starting the media
    // pipeline blocks the GUI thread once, saving or not.
    double longestRunningStallMs = 0;
    int saves = 0;
    // From opening the file to its first frame reaching the picture.
    double firstFrameMs = -1;
    // Every gap over a frame (16 ms): when it began (s into the run) and how long.
    QList<QPair<double, double>> stalls;
};

QString makeClip(const QString &folder, int seconds)
{
    const QString path = folder + QStringLiteral("/Long walk.mp4");
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                  QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                  QStringLiteral("lavfi"), QStringLiteral("-i"),
                  QStringLiteral("testsrc=size=320x240:rate=10:duration=%1").arg(seconds),
                  QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), path});
    ffmpeg.waitForFinished(120000);
    return QFileInfo(path).size() > 0 ? path : QString();
}

// Plays `video` for `seconds`, then pauses; the longest gap between the
// ticks of a 5 ms timer of the GUI thread meanwhile.
Run play(CorvPlayerWidget &player, PlayerTransport &transport, Library *library,
         const QString &video, int seconds)
{
    Run run;
    QMetaObject::Connection counting;
    if (library) {
        counting = QObject::connect(library->store(), &LibraryStore::playStateChanged,
                                    [&run] { ++run.saves; });
    }
    transport.setLibrary(library);
    QElapsedTimer opening;
    MediaVideoWidget *picture = player.videoWidget();
    const QMetaObject::Connection firstFrame =
        QObject::connect(picture, &MediaVideoWidget::pictureChanged, picture, [&] {
            if (run.firstFrameMs < 0 && !picture->picture().isNull())
                run.firstFrameMs = opening.nsecsElapsed() / 1e6;
        });
    opening.start();
    transport.openFile(video);
    runUntil([&] { return transport.mediaPlayer()->playbackState() == QMediaPlayer::PlayingState; },
             30000);
    QElapsedTimer clock;
    QTimer heartbeat;
    heartbeat.setInterval(kHeartbeatMs);
    QElapsedTimer played;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const double gapMs = clock.nsecsElapsed() / 1e6;
        run.longestStallMs = std::max(run.longestStallMs, gapMs);
        if (played.elapsed() - gapMs >= 1000)
            run.longestRunningStallMs = std::max(run.longestRunningStallMs, gapMs);
        if (gapMs > 16)
            run.stalls.append({(played.elapsed() - gapMs) / 1000, gapMs});
        clock.restart();
    });
    clock.start();
    heartbeat.start();
    played.start();
    runUntil([&] { return played.elapsed() >= seconds * 1000; }, seconds * 1000 + 5000);
    transport.pause();
    runUntil([&] { return library == nullptr || !library->isBusy(); }, 5000);
    QCoreApplication::processEvents();
    heartbeat.stop();
    transport.stop();
    QObject::disconnect(counting);
    QObject::disconnect(firstFrame);
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    const int rows = quick ? 5000 : 100000;
    const int seconds = quick ? 3 : 60;
    QTemporaryDir dir;
    const LibraryLocation location = LibraryGenerator::createLibrary(dir.path(), rows);
    const QString video = makeClip(location.folder(), seconds + 20);
    if (video.isEmpty()) {
        QTextStream(stderr) << "bench_resume: ffmpeg made no clip\n";
        return 1;
    }

    auto library = std::make_unique<Library>(location);
    runUntil([&] { return library->model()->isLoaded(); }, 120000);
    LibraryItem item = LibraryItem::fromFile(video);
    item.mediaLengthInSecs(quint32(seconds + 20));
    LibraryStore *store = library->store();
    store->call([&] { return store->insertItems({item}); });
    runUntil([&] { return library->model()->idOfVideo(video) >= 0; }, 30000);

    // The window as the member has it: the library page built, the player shown.
    LoggingPrompt prompt;
    LibraryWidget page(library.get(), &prompt);
    page.resize(1000, 700);
    page.show();
    CorvPlayerWidget player;
    player.resize(800, 500);
    player.toolbar()->setFixedHeight(50);
    player.toolbar()->show();
    player.show();
    PlayerTransport transport(&player, &prompt);
    if (quick)
        transport.setSaveInterval(1000);

    const Run reference = play(player, transport, nullptr, video, seconds);
    const Run saving = play(player, transport, library.get(), video, seconds);

    QTextStream out(stdout);
    out << QStringLiteral("Play positions kept while playing (%1 rows, %2 s, saves every %3 s)\n")
               .arg(rows)
               .arg(seconds)
               .arg(transport.saveInterval() / 1000);
    out << QStringLiteral("%1 | %2 | %3\n")
               .arg(QStringLiteral("measure").leftJustified(46),
                    QStringLiteral("ms").rightJustified(8), QStringLiteral("target"));
    const auto line = [&out](const QString &name, double ms, const QString &target) {
        out << QStringLiteral("%1 | %2 | %3\n")
                   .arg(name.leftJustified(46), QString::number(ms, 'f', 1).rightJustified(8),
                        target);
    };
    line(QStringLiteral("longest GUI stall, playing and saving (%1 saves)").arg(saving.saves),
         saving.longestStallMs, QStringLiteral("< 16 ms"));
    line(QStringLiteral("  reference: longest stall, playing alone"), reference.longestStallMs,
         QString());
    line(QStringLiteral("longest GUI stall from 1 s on, playing and saving"),
         saving.longestRunningStallMs, QStringLiteral("< 16 ms"));
    line(QStringLiteral("  reference: the same, playing alone"), reference.longestRunningStallMs,
         QString());
    line(QStringLiteral("first frame after opening, playing and saving"), saving.firstFrameMs,
         QString());
    line(QStringLiteral("  reference: the same, playing alone"), reference.firstFrameMs, QString());
    out << QStringLiteral("ratio saving / reference: %1\n")
               .arg(saving.longestStallMs / std::max(0.1, reference.longestStallMs), 0, 'f', 2);
    const auto listStalls = [&out](const QString &name, const Run &run) {
        out << name << QStringLiteral(": %1 stalls over 16 ms").arg(run.stalls.size());
        for (const auto &[at, ms] : run.stalls)
            out << QStringLiteral(", %1 ms at %2 s").arg(ms, 0, 'f', 1).arg(at, 0, 'f', 1);
        out << '\n';
    };
    listStalls(QStringLiteral("playing and saving"), saving);
    listStalls(QStringLiteral("playing alone"), reference);
    out.flush();
    // The quick run only checks that positions were saved, while playing and
    // on the pause, and measured.
    const int expectedSaves = seconds * 1000 / transport.saveInterval();
    if (saving.saves < expectedSaves) {
        QTextStream(stderr) << QStringLiteral("bench_resume: %1 saves, expected at least %2\n")
                                   .arg(saving.saves)
                                   .arg(expectedSaves);
        return 1;
    }
    return 0;
}
