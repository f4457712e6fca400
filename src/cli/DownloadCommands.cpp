#include "CliContext.h"
#include "Commands.h"

int runDownloadCommand(CliContext &, const QStringList &)
{
    return CliContext::fail(QStringLiteral("the download commands are not available in this build"));
}
