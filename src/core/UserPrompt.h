#pragma once

#include <QFlags>
#include <QString>

// How engines ask the user something without knowing about widgets. The
// desktop program installs a message-box implementation; tests install a
// scripted one; without any, warnings and information are logged and
// questions are answered with their default button.
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

    // The installed prompt (never null). The caller keeps ownership of what it installs.
    static UserPrompt *instance();
    static void install(UserPrompt *prompt);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(UserPrompt::Buttons)
