#pragma once

#include "core/UserPrompt.h"

// zelta-cli's prompt: messages meant for a dialog go to stderr, prefixed with
// the program's name; questions take their default button.
class StderrPrompt : public UserPrompt
{
public:
    void warning(const QString &title, const QString &text) override;
    void information(const QString &title, const QString &text) override;
    Button question(const QString &title, const QString &text, Buttons buttons,
                    Button defaultButton) override;
};
