#include "CliContext.h"
#include "Commands.h"
#include "Library.h"

int runLibraryCommand(CliContext &context, const QStringList &args)
{
    const QString command = args.value(0);
    if (command == QLatin1String("init") && args.size() == 1) {
        if (!context.openLibrary(true))
            return CliContext::Failure;
        CliContext::printLine(Library::databasePath());
        return CliContext::Success;
    }
    return CliContext::usage(QStringLiteral("zelta-cli library init"));
}
