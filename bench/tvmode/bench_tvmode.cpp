// Measures the player page's TV mode (our scripted renderer, inside a private
// network namespace): from a click on the TV in the "Play on TV" menu to the
// renderer's first Play request, with the media server already on and with
// it off (from the click on "Start the Media Server"), against one SOAP round
// trip to the renderer as the reference; the keys' and the panel's actions
// while the TV plays (volume steps, mute, seek, pause, play), each to the
// renderer's taking it; and the longest pause of the window's event loop
// while pushing and while controlling. Usage: bench_tvmode [--quick]
#include "BenchRun.h"
#include "ScriptedRenderer.h"
#include "StallMeter.h"
#include "TestSupport.h"

#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/TvMenu.h"
#include "gui/player/TvMode.h"
#include "gui/player/TvModePanel.h"
#include "library/LibraryLocation.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaServer.h"
#include "tv/renderer/CastMedia.h"
#include "tv/renderer/RendererClient.h"
#include "tv/renderer/RendererFinder.h"
#include "tv/renderer/RendererSession.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {

QTextStream out(stdout);

bool waitFor(const std::function<bool()> &done, int ms = 60000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_tvmode"), app.arguments());
    const int runs = run.size(7, 1);
    QTemporaryDir home;
    const QString library = home.filePath(QStringLiteral("My Library"));
    QDir().mkpath(library);
    const QString video = library + QStringLiteral("/clip.mp4");
    run.step(QStringLiteral("sample clip"));
    const QString clip = TestSupport::sampleClip(QStringLiteral("bench-renderer.mp4"), 10);
    if (clip.isEmpty() || !QFile::copy(clip, video))
        run.fail(QStringLiteral("no sample clip"));

    ScriptedRenderer renderer;
    if (!renderer.start())
        run.fail(QStringLiteral("the scripted renderer cannot listen"));
    RendererFinder finder;
    run.step(QStringLiteral("discovery"));
    finder.start();
    if (!waitFor([&] { return finder.renderer(ScriptedRendererIds::rendererId).isValid(); }))
        run.fail(QStringLiteral("the renderer was not found"));
    const RendererInfo info = finder.renderer(ScriptedRendererIds::rendererId);

    QList<double> reference, on, off, controls;
    qint64 stallOn = 0, stallOff = 0, stallControl = 0;
    StallMeter stall;
    // As the keys and the panel do while the TV plays: each action from its
    // call to the renderer's taking it, and the loop's longest pause meanwhile.
    const auto control = [&](TvMode &mode) {
        run.step(QStringLiteral("controlling"));
        if (!waitFor([&] { return mode.tvVolume() >= 0; }))
            run.fail(QStringLiteral("the TV told no volume"));
        const auto timed = [&](const std::function<void()> &act,
                               const std::function<bool()> &taken) {
            QElapsedTimer clock;
            clock.start();
            act();
            if (!waitFor(taken))
                run.fail(QStringLiteral("the TV did not follow"));
            controls.append(clock.nsecsElapsed() / 1e6);
        };
        stall.start();
        for (const int step : {5, 5, -5, -5}) {
            const QString wanted = QString::number(qBound(0, mode.tvVolume() + step, 100));
            timed([&] { mode.stepVolume(step); }, [&] { return renderer.volume == wanted; });
        }
        const QString muted =
            renderer.mute == QLatin1String("1") ? QStringLiteral("0") : QStringLiteral("1");
        timed([&] { mode.toggleMute(); }, [&] { return renderer.mute == muted; });
        timed([&] { mode.toggleMute(); }, [&] { return renderer.mute != muted; });
        renderer.seekTarget.clear();
        timed([&] { mode.seekTo(5000); }, [&] { return !renderer.seekTarget.isEmpty(); });
        timed([&] { mode.pause(); },
              [&] { return renderer.state == QLatin1String("PAUSED_PLAYBACK"); });
        timed([&] { mode.play(); }, [&] { return renderer.state == QLatin1String("PLAYING"); });
        stallControl = std::max(stallControl, stall.stop());
    };
    for (int i = 0; i < runs; ++i) {
        run.step(QStringLiteral("reference round trip"));
        {
            RendererClient client;
            bool answered = false;
            QElapsedTimer clock;
            clock.start();
            client.call(info, RendererClient::AVTransport, QStringLiteral("GetTransportInfo"),
                        {{QStringLiteral("InstanceID"), QStringLiteral("0")}},
                        [&](const RendererSoap::Reply &, bool) { answered = true; });
            if (!waitFor([&] { return answered; }))
                run.fail(QStringLiteral("no answer"));
            reference.append(clock.nsecsElapsed() / 1e6);
        }
        for (const bool serverOn : {true, false}) {
            run.step(serverOn ? QStringLiteral("click to Play, server on")
                              : QStringLiteral("click to Play, server off"));
            LumiqoTv tv(QStringLiteral("Bench"), LibraryLocation::at(library), UpnpEngine::NoSsdp);
            if (serverOn) {
                tv.toggleServerStatus();
                // Listed and probed once, as a running server has it.
                CastMedia warm;
                QString error;
                CastMedia::fromLibraryFile(tv.model(), tv.delegate(), video, {},
                                           QHostAddress(QHostAddress::LocalHost),
                                           tv.server()->port(), &warm, &error);
            }
            QWidget window;
            window.resize(1000, 620);
            auto *page = new CorvPlayerWidget(&window);
            page->resize(window.size());
            PlayerTransport transport(page, nullptr);
            TvMode mode(page, &transport, nullptr, &finder, [&tv] { return &tv; });
            TvMenu *menu = mode.makeMenu(&window);
            QObject::connect(menu, &TvMenu::rendererChosen, &mode,
                             [&](const QString &id) { mode.playOnTv(video, id); });
            window.show();
            QAction *entry = menu->rendererAction(ScriptedRendererIds::rendererId);
            if (!entry)
                run.fail(QStringLiteral("the menu does not list the renderer"));
            // As the member does: the menu opens, then the TV in it is chosen.
            menu->popup(window.mapToGlobal(QPoint(100, 100)));
            waitFor([&] { return menu->isVisible(); }, 5000);
            waitFor([&] { return mode.panel()->testAttribute(Qt::WA_WState_Polished); }, 2000);
            menu->hide();
            renderer.playSeen.invalidate();
            QElapsedTimer clock;
            stall.start();
            clock.start();
            entry->trigger();
            if (!serverOn) {
                // The member's answer is not the program's time: from the click on it.
                if (!waitFor([&] { return mode.serverQuestion() != nullptr; }))
                    run.fail(QStringLiteral("no question about the server"));
                auto *start = mode.serverQuestion()->findChild<QPushButton *>(
                    QStringLiteral("startServerButton"));
                clock.start();
                start->click();
            }
            if (!waitFor([&] { return renderer.playSeen.isValid(); }))
                run.fail(QStringLiteral("no Play"));
            const double ms = (clock.nsecsElapsed() - renderer.playSeen.nsecsElapsed()) / 1e6;
            const qint64 longest = stall.stop();
            (serverOn ? on : off).append(ms);
            (serverOn ? stallOn : stallOff) = std::max(serverOn ? stallOn : stallOff, longest);
            if (!waitFor(
                    [&] { return mode.session() && !mode.session()->transportState().isEmpty(); }))
                run.fail(QStringLiteral("the TV mode saw no state"));
            if (serverOn)
                control(mode);
            mode.backToThisComputer();
            waitFor([&] { return renderer.state == QLatin1String("STOPPED"); });
        }
    }

    const double ref = BenchRun::median(reference);
    out << "measure\tmedian ms\tratio to one SOAP round trip\tlongest loop pause ms\n";
    out << "SOAP round trip (reference)\t" << QString::number(ref, 'f', 2) << "\t1\t-\n";
    out << "click to first Play, server on\t" << QString::number(BenchRun::median(on), 'f', 1)
        << '\t' << QString::number(BenchRun::median(on) / ref, 'f', 1) << '\t' << stallOn << '\n';
    out << "click to first Play, server off\t" << QString::number(BenchRun::median(off), 'f', 1)
        << '\t' << QString::number(BenchRun::median(off) / ref, 'f', 1) << '\t' << stallOff << '\n';
    out << "controlling: volume, mute, seek, pause, play (each)\t"
        << QString::number(BenchRun::median(controls), 'f', 1) << '\t'
        << QString::number(BenchRun::median(controls) / ref, 'f', 1) << '\t' << stallControl
        << '\n';
    out.flush();
    return run.done();
}
