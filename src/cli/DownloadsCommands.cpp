#include "CliContext.h"
#include "Commands.h"

int runDownloadsCommand(CliContext &, const QStringList &)
{
    return CliContext::fail(QStringLiteral("the downloads commands are not available in this build"));
}
