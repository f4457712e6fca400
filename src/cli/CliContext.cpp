#include "cli/CliContext.h"

#include "cli/StderrPrompt.h"
#include "core/AppIdentity.h"
#include "core/LogFile.h"
#include "core/SingleInstanceGuard.h"
#include "engines/Engines.h"
#include "library/Library.h"

#include <QTextStream>

#include <cstdio>

CliContext::CliContext()
{
    AppIdentity::apply();
    ZR::LogFile::init(true);
    m_prompt = std::make_unique<StderrPrompt>();
    m_engines = std::make_unique<Engines>(m_prompt.get());
}

CliContext::~CliContext()
{
    m_engines.reset();
    ZR::LogFile::close();
}

bool CliContext::openLibrary(bool changesLibrary)
{
    if (changesLibrary) {
        m_guard = std::make_unique<SingleInstanceGuard>(QStringLiteral("CorvanaZELTA"));
        if (m_guard->isRunning()) {
            fail(QStringLiteral("CorvanaZELTA is running; close it before changing the library"));
            return false;
        }
    }
    if (!m_engines->openDatabase()) {
        fail(QStringLiteral("cannot open the library database at %1")
                 .arg(m_engines->location().databaseFile()));
        return false;
    }
    return true;
}

int CliContext::fail(const QString &reason)
{
    QTextStream(stderr) << "zelta-cli: " << reason << '\n';
    return Failure;
}

int CliContext::usage(const QString &text)
{
    QTextStream(stderr) << "usage: " << text << '\n';
    return UsageError;
}

void CliContext::print(const QStringList &fields)
{
    printLine(fields.join(QLatin1Char('\t')));
}

void CliContext::printLine(const QString &line)
{
    // One stream for the run; each line leaves at once (a script may be waiting for it).
    static QTextStream out(stdout);
    out << line << '\n';
    out.flush();
}
