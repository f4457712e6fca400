#include "cli/CliContext.h"
#include "cli/Commands.h"

#include "core/TaskTracker.h"
#include "downloads/DownloadBatch.h"
#include "downloads/DownloadManager.h"
#include "engines/Engines.h"
#include "library/Library.h"
#include "web/Account.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTextStream>
#include <QTimer>
#include <QUrl>

// Signs in, lets `begin` hand work to the download manager, waits until every
// resulting download finished or failed, and prints the finished media paths.
// Shared by `download` and `downloads resume`.
int runDownloadBatch(CliContext &context, const QString &user, const QString &password,
                     bool resumeStored, const QUrl &url, bool direct)
{
    if (user.isEmpty() || password.isEmpty())
        return CliContext::usage(QStringLiteral("--user U --password P are required"));
    if (!context.openLibrary(true))
        return CliContext::Failure;
    context.engines().account()->login(user, password);

    Library &library = *context.engines().library();
    DownloadManager *manager = context.engines().downloadManager();
    DownloadBatch batch(manager);
    if (resumeStored) {
        batch.followListed();
        manager->resumeAll();
    } else if (direct) {
        batch.startOwnQueued();
        manager->initializeDirectDownload(url, true);
    } else {
        batch.startOwnQueued();
        manager->initializeDownload(url);
    }
    if (!batch.isDone()) {
        QObject::connect(&batch, &DownloadBatch::done, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
    }
    // Finished videos are imported before the program ends.
    library.tasks()->waitForIdle(10 * 60 * 1000);
    for (const QString &path : batch.finishedPaths())
        CliContext::printLine(path);
    if (!batch.refused().isEmpty())
        return CliContext::fail(QStringLiteral("refused: ") +
                                batch.refused().join(QStringLiteral("; ")));
    if (batch.failedCount() > 0) {
        const QStringList reasons = batch.failureMessages();
        if (batch.failedCount() == 1 && reasons.size() == 1)
            return CliContext::fail(reasons.constFirst());
        // Each reason on a line of its own, the count last.
        for (const QString &reason : reasons)
            QTextStream(stderr) << "zelta-cli: " << reason << '\n';
        return CliContext::fail(
            QStringLiteral("%1 download(s) failed or were left paused").arg(batch.failedCount()));
    }
    if (batch.finishedPaths().isEmpty() && !resumeStored)
        return CliContext::fail(QStringLiteral("nothing was downloaded"));
    return CliContext::Success;
}

int runDownloadCommand(CliContext &context, const QStringList &args)
{
    const QString usage = QStringLiteral("zelta-cli download URL [--direct] --user U --password P");
    QString url;
    QString user;
    QString password;
    bool direct = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--direct")) {
            direct = true;
        } else if (arg == QLatin1String("--user") && i + 1 < args.size()) {
            user = args.at(++i);
        } else if (arg == QLatin1String("--password") && i + 1 < args.size()) {
            password = args.at(++i);
        } else if (!arg.startsWith(QLatin1String("--")) && url.isEmpty()) {
            url = arg;
        } else {
            return CliContext::usage(usage);
        }
    }
    const QUrl parsed(url);
    if (url.isEmpty() || !parsed.isValid() || parsed.scheme().isEmpty())
        return CliContext::usage(usage);
    return runDownloadBatch(context, user, password, false, parsed, direct);
}
