#include "cli/CliContext.h"
#include "core/Version.h"
#include "cli/Commands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <memory>

namespace {

const char *const kUsage =
    "zelta-cli version\n"
    "       zelta-cli library init|import|list|find|remove|check|categories|titles ...\n"
    "       zelta-cli download URL [--direct] --user U --password P\n"
    "       zelta-cli downloads list|resume ...\n"
    "       zelta-cli tv serve [--name NAME]\n"
    "       zelta-cli burn --type dvd|dual-layer-dvd|vcd|svcd [--pal] [--title T] "
    "[--recorder NAME] FILE...";

std::unique_ptr<QCoreApplication> makeApplication(const QString &group, int &argc, char **argv)
{
    // Disc menus are drawn with fonts, which need the GUI module; nothing is shown.
    if (group == QLatin1String("burn")) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int main(int argc, char **argv)
{
    const QString group = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    auto app = makeApplication(group, argc, argv);
    QStringList args = QCoreApplication::arguments().mid(2);

    if (group == QLatin1String("version") && args.isEmpty()) {
        CliContext::printLine(QStringLiteral(ZELTA_PRODUCT_NAME " " ZELTA_VERSION));
        return CliContext::Success;
    }

    CliContext context;
    if (group == QLatin1String("library"))
        return runLibraryCommand(context, args);
    if (group == QLatin1String("download"))
        return runDownloadCommand(context, args);
    if (group == QLatin1String("downloads"))
        return runDownloadsCommand(context, args);
    if (group == QLatin1String("tv"))
        return runTvCommand(context, args);
    if (group == QLatin1String("burn"))
        return runBurnCommand(context, args);
    return CliContext::usage(QString::fromLatin1(kUsage));
}
