#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "engines/Engines.h"

#include "library/Library.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaServer.h"

#include <QCoreApplication>
#include <QNetworkInterface>
#include <QSocketNotifier>

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

} // namespace

int runTvCommand(CliContext &context, const QStringList &args)
{
    if (!args.isEmpty() && args.first() == QLatin1String("serve"))
        return serve(context, args.mid(1));
    return CliContext::usage(QStringLiteral("zelta-cli tv serve [--name NAME]"));
}
