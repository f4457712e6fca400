#include "CliContext.h"
#include "Commands.h"

int runTvCommand(CliContext &, const QStringList &)
{
    return CliContext::fail(QStringLiteral("the tv commands are not available in this build"));
}
