#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class Engines;
class SingleInstanceGuard;
class StderrPrompt;

// What every zelta-cli command shares with the desktop program: identity,
// the log file, the library folders and database, and the single-instance
// guard for commands that change the library.
class CliContext
{
public:
    enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };

    CliContext();
    ~CliContext();

    // Sets up the folders and opens (creates, migrates) the database. When
    // `changesLibrary` is true, refuses while the desktop program runs.
    // Returns false after printing the reason.
    bool openLibrary(bool changesLibrary);
    // The engines of this run, each built when a command first asks for it.
    Engines &engines() { return *m_engines; }

    // A one-line reason on stderr, and the failure code.
    static int fail(const QString &reason);
    static int usage(const QString &text);
    static void print(const QStringList &fields);
    static void printLine(const QString &line);

private:
    std::unique_ptr<SingleInstanceGuard> m_guard;
    // What the engines have to tell the user goes to stderr.
    std::unique_ptr<StderrPrompt> m_prompt;
    std::unique_ptr<Engines> m_engines;
};
