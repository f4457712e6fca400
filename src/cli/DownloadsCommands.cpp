#include "cli/CliContext.h"
#include "cli/Commands.h"

#include "downloads/DownloadRecords.h"
#include "downloads/SpeedLimitSettings.h"
#include "engines/Engines.h"

#include <QDateTime>
#include <QSettings>
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

// The speed limits in KiB/s: the global one, the alternative one, and the
// one in effect now (0: none).
int speedLimit(const QStringList &args, const QString &usage)
{
    SpeedLimitSettings limits = SpeedLimitSettings::load();
    if (args.size() == 2) {
        bool ok = false;
        const qint64 kib = args.at(1).toLongLong(&ok);
        if (!ok || kib < 0 || kib > 16 * 1024 * 1024)
            return CliContext::usage(usage);
        limits.limitKiB = int(kib);
        limits.save();
        QSettings().sync();
    }
    const qint64 now = limits.bytesPerSecondAt(QDateTime::currentDateTime()) / 1024;
    CliContext::print({QString::number(limits.limitKiB), QString::number(limits.alternativeKiB),
                       QString::number(now)});
    return CliContext::Success;
}

} // namespace

int runDownloadsCommand(CliContext &context, const QStringList &args)
{
    const QString usage = QStringLiteral("zelta-cli downloads list | downloads resume --user U "
                                         "--password P | downloads limit [KIB]");
    if (args.value(0) == QLatin1String("list") && args.size() == 1)
        return listStored(context);
    if (args.value(0) == QLatin1String("limit") && args.size() <= 2)
        return speedLimit(args, usage);
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
