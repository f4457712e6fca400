#include "CliContext.h"
#include "Commands.h"

int runBurnCommand(CliContext &, const QStringList &)
{
    return CliContext::fail(QStringLiteral("the burn commands are not available in this build"));
}
