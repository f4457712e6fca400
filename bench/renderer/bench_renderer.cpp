// Measures pushing a library video to a renderer (our scripted one, inside a
// private network namespace): from the command to the renderer's first Play
// request, with the media server already on and with it off, in-process and
// through `zelta-cli tv play`, against one SOAP round trip to the renderer as
// the reference; and the longest pause of the calling thread's event loop
// while pushing. Usage: bench_renderer [--quick]
#include "BenchRun.h"
#include "ScriptedRenderer.h"
#include "StallMeter.h"
#include "TestSupport.h"

#include "library/LibraryLocation.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaServer.h"
#include "tv/renderer/CastMedia.h"
#include "tv/renderer/RendererFinder.h"
#include "tv/renderer/RendererSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

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
    QCoreApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_renderer"), app.arguments());
    const int runs = run.size(7, 1);
    QTemporaryDir home;
    const QString library = home.filePath(QStringLiteral("My Library"));
    QDir().mkpath(library);
    run.step(QStringLiteral("sample clip"));
    const QString clip = TestSupport::sampleClip(QStringLiteral("bench-renderer.mp4"), 10);
    if (clip.isEmpty() || !QFile::copy(clip, library + QStringLiteral("/clip.mp4")))
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

    QList<double> reference, on, off, cli;
    qint64 stallOn = 0, stallOff = 0;
    StallMeter stall;
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
            run.step(serverOn ? QStringLiteral("push, server on")
                              : QStringLiteral("push, server off"));
            LumiqoTv tv(QStringLiteral("Bench"), LibraryLocation::at(library), UpnpEngine::NoSsdp);
            if (serverOn) {
                tv.toggleServerStatus();
                // Listed and probed once, as a running server has it.
                CastMedia warm;
                QString error;
                CastMedia::fromLibraryFile(tv.model(), tv.delegate(), library + "/clip.mp4", {},
                                           QHostAddress(QHostAddress::LocalHost),
                                           tv.server()->port(), &warm, &error);
            }
            renderer.playSeen.invalidate();
            RendererSession session(info);
            QElapsedTimer clock;
            stall.start();
            clock.start();
            if (!tv.isRunning())
                tv.toggleServerStatus();
            CastMedia media;
            QString error;
            if (!CastMedia::fromLibraryFile(
                    tv.model(), tv.delegate(), library + QStringLiteral("/clip.mp4"), {},
                    QHostAddress(QHostAddress::LocalHost), tv.server()->port(), &media, &error))
                run.fail(error);
            session.push(media);
            if (!waitFor([&] { return renderer.playSeen.isValid(); }))
                run.fail(QStringLiteral("no Play"));
            const double ms = (clock.nsecsElapsed() - renderer.playSeen.nsecsElapsed()) / 1e6;
            const qint64 longest = stall.stop();
            (serverOn ? on : off).append(ms);
            (serverOn ? stallOn : stallOff) = std::max(serverOn ? stallOn : stallOff, longest);
            tv.toggleServerStatus();
        }
    }
    // The command line: its own process, search and server included.
    run.step(QStringLiteral("zelta-cli tv play"));
    const QString zelta = TestSupport::builtProgram(QStringLiteral("zelta-cli"));
    QStringList env = QProcess::systemEnvironment();
    env.append(QStringLiteral("HOME=") + home.path());
    TestSupport::run(zelta, {QStringLiteral("library"), QStringLiteral("init")}, nullptr, nullptr,
                     120000, env);
    TestSupport::run(zelta, {QStringLiteral("library"), QStringLiteral("import"), clip}, nullptr,
                     nullptr, 120000, env);
    for (int i = 0; i < std::max(1, runs / 2); ++i) {
        renderer.playSeen.invalidate();
        QProcess play;
        play.setEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        play.start(zelta, {QStringLiteral("tv"), QStringLiteral("play"),
                           ScriptedRendererIds::rendererId, QStringLiteral("1")});
        if (!waitFor([&] { return renderer.playSeen.isValid(); }))
            run.fail(QStringLiteral("zelta-cli sent no Play"));
        cli.append((clock.nsecsElapsed() - renderer.playSeen.nsecsElapsed()) / 1e6);
        play.terminate();
        waitFor([&] { return play.state() == QProcess::NotRunning; });
    }

    const double ref = BenchRun::median(reference);
    out << "measure\tmedian ms\tratio to one SOAP round trip\tlongest loop pause ms\n";
    out << "SOAP round trip (reference)\t" << QString::number(ref, 'f', 2) << "\t1\t-\n";
    out << "push to first Play, server on\t" << QString::number(BenchRun::median(on), 'f', 1)
        << '\t' << QString::number(BenchRun::median(on) / ref, 'f', 1) << '\t' << stallOn << '\n';
    out << "push to first Play, server off\t" << QString::number(BenchRun::median(off), 'f', 1)
        << '\t' << QString::number(BenchRun::median(off) / ref, 'f', 1) << '\t' << stallOff << '\n';
    out << "zelta-cli tv play to first Play\t" << QString::number(BenchRun::median(cli), 'f', 1)
        << '\t' << QString::number(BenchRun::median(cli) / ref, 'f', 1) << "\t-\n";
    out.flush();
    return run.done();
}
