#pragma once

#include <QFlags>
#include <QString>

// How engines ask the user something without knowing about widgets. The
// desktop program hands a message-box implementation to the engines and
// windows it builds, zelta-cli one that writes to stderr, tests a scripted
// one; LoggingPrompt stands in where nobody is there to answer.
class UserPrompt
{
public:
    enum Button {
        NoButton = 0x0,
        Ok = 0x1,
        Yes = 0x2,
        No = 0x4,
        Cancel = 0x8,
        Retry = 0x10,
        Ignore = 0x20,
        Abort = 0x40,
    };
    Q_DECLARE_FLAGS(Buttons, Button)

    virtual ~UserPrompt();

    virtual void warning(const QString &title, const QString &text) = 0;
    virtual void information(const QString &title, const QString &text) = 0;
    virtual Button question(const QString &title, const QString &text,
                            Buttons buttons = Buttons(Yes | No), Button defaultButton = No) = 0;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(UserPrompt::Buttons)
