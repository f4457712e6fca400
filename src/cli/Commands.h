#pragma once

#include <QStringList>

class CliContext;

// One entry per command group; each takes the arguments after its group name
// and returns the process exit code.
int runLibraryCommand(CliContext &context, const QStringList &args);
int runDownloadCommand(CliContext &context, const QStringList &args);
int runDownloadsCommand(CliContext &context, const QStringList &args);
int runTvCommand(CliContext &context, const QStringList &args);
int runBurnCommand(CliContext &context, const QStringList &args);
