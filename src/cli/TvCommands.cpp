#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "engines/Engines.h"

#include "library/Library.h"
#include "library/LibraryItem.h"
#include "library/LibraryStore.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaServer.h"
#include "tv/renderer/CastMedia.h"
#include "tv/renderer/RendererFinder.h"
#include "tv/renderer/RendererSession.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkInterface>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop through a socket pair, so the server
// is stopped from the main thread, not from the signal handler.
bool quitOnSignals(QObject *context)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return false;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [] {
        char byte;
        [[maybe_unused]] const ssize_t count = ::read(signalPipe[0], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

int serve(CliContext &context, const QStringList &args)
{
    QString name = QStringLiteral("LumiqoTV");
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--name") && i + 1 < args.size() &&
            !args.at(i + 1).trimmed().isEmpty())
            name = args.at(++i);
        else
            return CliContext::usage(QStringLiteral("zelta-cli tv serve [--name NAME]"));
    }
    if (!context.openLibrary(false))
        return CliContext::Failure;

    QObject scope;
    if (!quitOnSignals(&scope))
        return CliContext::fail(QStringLiteral("cannot watch for SIGINT/SIGTERM"));
    LumiqoTv &tv = *context.engines().tv(name, UpnpEngine::Multicast);
    tv.toggleServerStatus();
    if (!tv.server()->isRunning())
        return CliContext::fail(QStringLiteral("the media server could not start"));
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            CliContext::printLine(tv.server()->descriptionUrl(address));
    }
    QCoreApplication::exec();
    tv.toggleServerStatus(); // bye-bye
    return CliContext::Success;
}

const char *const kUsage = "zelta-cli tv serve [--name NAME]\n"
                           "       zelta-cli tv renderers\n"
                           "       zelta-cli tv play RENDERER_ID VIDEO_ID [--at SECONDS]\n"
                           "       zelta-cli tv control RENDERER_ID "
                           "pause|play|stop|seek SECONDS|volume N";

// How long a search listens for renderers' answers (they answer within MX, 2 s).
constexpr int searchMs = 3000;

int usage()
{
    return CliContext::usage(QString::fromLatin1(kUsage));
}

int listRenderers()
{
    RendererFinder finder;
    if (!finder.start())
        return CliContext::fail(QStringLiteral("cannot search the network for TVs"));
    QEventLoop loop;
    QTimer::singleShot(searchMs, &loop, &QEventLoop::quit);
    loop.exec();
    for (const RendererInfo &renderer : finder.renderers())
        CliContext::print({renderer.id, renderer.name, renderer.address.toString()});
    return CliContext::Success;
}

// Waits (at most twice the search time) for the renderer to answer.
RendererInfo findRenderer(RendererFinder &finder, const QString &id)
{
    QString wanted = id;
    if (wanted.startsWith(QLatin1String("uuid:")))
        wanted = wanted.mid(5);
    if (!finder.start())
        return {};
    QEventLoop loop;
    QObject::connect(&finder, &RendererFinder::rendererAdded, &loop,
                     [&](const RendererInfo &renderer) {
                         if (renderer.id == wanted)
                             loop.quit();
                     });
    QTimer again;
    QObject::connect(&again, &QTimer::timeout, &finder, &RendererFinder::search);
    again.start(searchMs);
    QTimer::singleShot(2 * searchMs, &loop, &QEventLoop::quit);
    if (!finder.renderer(wanted).isValid())
        loop.exec();
    return finder.renderer(wanted);
}

int play(CliContext &context, const QStringList &args)
{
    if (args.size() != 2 && !(args.size() == 4 && args.at(2) == QLatin1String("--at")))
        return usage();
    bool ok = false;
    const qlonglong videoId = args.at(1).toLongLong(&ok);
    double at = 0;
    bool atOk = true;
    if (args.size() == 4)
        at = args.at(3).toDouble(&atOk);
    if (!ok || !atOk || at < 0 || !qIsFinite(at))
        return usage();
    if (!context.openLibrary(false))
        return CliContext::Failure;
    LibraryStore &store = *context.engines().store();
    const LibraryStore::Rows rows = store.call([&] { return store.readIds({videoId}); });
    if (rows.isEmpty())
        return CliContext::fail(QStringLiteral("no video with id %1").arg(videoId));
    const LibraryItem item = LibraryStore::itemOf(rows.first());

    RendererFinder finder;
    const RendererInfo renderer = findRenderer(finder, args.at(0));
    if (!renderer.isValid())
        return CliContext::fail(QStringLiteral("no TV %1 on the network").arg(args.at(0)));

    QObject scope;
    if (!quitOnSignals(&scope))
        return CliContext::fail(QStringLiteral("cannot watch for SIGINT/SIGTERM"));
    // The renderer fetches the video from this process's media server.
    LumiqoTv &tv = *context.engines().tv(QStringLiteral("LumiqoTV"), UpnpEngine::NoSsdp);
    if (!tv.isRunning())
        tv.toggleServerStatus();
    if (!tv.server()->isRunning())
        return CliContext::fail(QStringLiteral("the media server could not start"));
    CastMedia media;
    QString error;
    if (!CastMedia::fromLibraryFile(tv.model(), tv.delegate(), item.videoPath(), item.title(),
                                    CastMedia::localAddressFor(renderer.address),
                                    tv.server()->port(), &media, &error))
        return CliContext::fail(error);

    RendererSession session(renderer);
    int result = CliContext::Success;
    qint64 reached = -1;
    QObject::connect(&finder, &RendererFinder::rendererRemoved, &session, [&](const QString &id) {
        if (id == renderer.id)
            session.rendererGone();
    });
    QObject::connect(&session, &RendererSession::started, &session, [&] {
        CliContext::print({QStringLiteral("playing"), renderer.name, session.pushedResource().url});
    });
    QObject::connect(&session, &RendererSession::positionChanged, &session,
                     [&](qint64 position) { reached = position; });
    QObject::connect(&session, &RendererSession::failed, &session, [&](const QString &message) {
        result = CliContext::fail(message);
        QCoreApplication::quit();
    });
    QObject::connect(&session, &RendererSession::finished, &session, [&](qint64 position) {
        reached = position;
        CliContext::print({QStringLiteral("stopped"), QString::number(position / 1000)});
        QCoreApplication::quit();
    });
    session.push(media, qint64(at * 1000.0 + 0.5));
    QCoreApplication::exec();
    // The place the TV reached is where the player goes on.
    if (reached > 0)
        store.call([&] { return store.reportPlayPosition(videoId, reached, media.durationMs); });
    tv.toggleServerStatus();
    return result;
}

int control(const QStringList &args)
{
    if (args.size() < 2)
        return usage();
    const QString action = args.at(1);
    const bool takesValue = action == QLatin1String("seek") || action == QLatin1String("volume");
    const bool plain = action == QLatin1String("pause") || action == QLatin1String("play") ||
                       action == QLatin1String("stop");
    if ((takesValue && args.size() != 3) || (plain && args.size() != 2) || (!takesValue && !plain))
        return usage();
    bool ok = true;
    const double value = takesValue ? args.at(2).toDouble(&ok) : 0;
    if (!ok || value < 0 || !qIsFinite(value) || (action == QLatin1String("volume") && value > 100))
        return usage();

    RendererFinder finder;
    const RendererInfo renderer = findRenderer(finder, args.at(0));
    if (!renderer.isValid())
        return CliContext::fail(QStringLiteral("no TV %1 on the network").arg(args.at(0)));
    RendererSession session(renderer);
    int result = CliContext::Success;
    QEventLoop loop;
    QObject::connect(&session, &RendererSession::actionDone, &loop,
                     [&](const QString &, bool done, const QString &message) {
                         if (!done)
                             result = CliContext::fail(message);
                         loop.quit();
                     });
    QObject::connect(&session, &RendererSession::failed, &loop, [&](const QString &message) {
        result = CliContext::fail(message);
        loop.quit();
    });
    if (action == QLatin1String("pause"))
        session.pause();
    else if (action == QLatin1String("play"))
        session.play();
    else if (action == QLatin1String("stop"))
        session.stop();
    else if (action == QLatin1String("seek"))
        session.seek(qint64(value * 1000.0 + 0.5));
    else
        session.setVolume(int(value));
    loop.exec();
    return result;
}

} // namespace

int runTvCommand(CliContext &context, const QStringList &args)
{
    if (!args.isEmpty() && args.first() == QLatin1String("serve"))
        return serve(context, args.mid(1));
    if (args.size() == 1 && args.first() == QLatin1String("renderers"))
        return listRenderers();
    if (!args.isEmpty() && args.first() == QLatin1String("play"))
        return play(context, args.mid(1));
    if (!args.isEmpty() && args.first() == QLatin1String("control"))
        return control(args.mid(1));
    return CliContext::usage(QStringLiteral("zelta-cli tv serve [--name NAME]"));
}
