#include "core/UserPrompt.h"
#include "core/Logging.h"

#include <QAtomicPointer>
#include <QtDebug>

namespace {

// Used until the program installs its own: nobody is there to answer.
class LoggingPrompt : public UserPrompt
{
public:
    void warning(const QString &title, const QString &text) override
    {
        qCWarning(lcCore).noquote() << title + QStringLiteral(": ") + text;
    }
    void information(const QString &title, const QString &text) override
    {
        qCDebug(lcCore).noquote() << title + QStringLiteral(": ") + text;
    }
    Button question(const QString &title, const QString &text, Buttons,
                    Button defaultButton) override
    {
        qCDebug(lcCore).noquote() << title + QStringLiteral(": ") + text;
        return defaultButton;
    }
};

LoggingPrompt &loggingPrompt()
{
    static LoggingPrompt prompt;
    return prompt;
}

QAtomicPointer<UserPrompt> installed;

} // namespace

UserPrompt::~UserPrompt() = default;

UserPrompt *UserPrompt::instance()
{
    UserPrompt *prompt = installed.loadAcquire();
    return prompt ? prompt : &loggingPrompt();
}

void UserPrompt::install(UserPrompt *prompt)
{
    installed.storeRelease(prompt);
}
