#include "cli/CliContext.h"
#include "cli/Commands.h"

#include "downloads/DownloadRecords.h"
#include "engines/Engines.h"

#include <QUrl>

int runDownloadBatch(CliContext &context, const QString &user, const QString &password,
                     bool resumeStored, const QUrl &url, bool direct);

namespace {

int listStored(CliContext &context)
{
    if (!context.openLibrary(false))
        return CliContext::Failure;
    bool ok = false;
    const QList<DownloadRecords::Row> rows = context.engines().downloadRecords()->allRows(&ok);
    if (!ok)
        return CliContext::fail(QStringLiteral("cannot read the download queue"));
    // A stored download comes back paused until it is resumed.
    for (const DownloadRecords::Row &row : rows)
        CliContext::print({QStringLiteral("Paused"), row.corvanaUrl.toString(), row.downloadPath});
    return CliContext::Success;
}

} // namespace

int runDownloadsCommand(CliContext &context, const QStringList &args)
{
    const QString usage = QStringLiteral("zelta-cli downloads list | downloads resume --user U "
                                         "--password P");
    if (args.value(0) == QLatin1String("list") && args.size() == 1)
        return listStored(context);
    if (args.value(0) != QLatin1String("resume"))
        return CliContext::usage(usage);
    QString user;
    QString password;
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--user") && i + 1 < args.size())
            user = args.at(++i);
        else if (args.at(i) == QLatin1String("--password") && i + 1 < args.size())
            password = args.at(++i);
        else
            return CliContext::usage(usage);
    }
    return runDownloadBatch(context, user, password, true, QUrl(), false);
}
