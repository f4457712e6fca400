#pragma once

#include "core/UserPrompt.h"

// Asks the user with modal message boxes over the active window.
class MessageBoxPrompt : public UserPrompt
{
public:
    void warning(const QString &title, const QString &text) override;
    void information(const QString &title, const QString &text) override;
    Button question(const QString &title, const QString &text, Buttons buttons,
                    Button defaultButton) override;
};
