#pragma once

#include "core/UserPrompt.h"

// A prompt nobody answers: warnings go to the log as warnings, information
// and questions as debug lines, and every question takes its default button.
class LoggingPrompt : public UserPrompt
{
public:
    void warning(const QString &title, const QString &text) override;
    void information(const QString &title, const QString &text) override;
    Button question(const QString &title, const QString &text, Buttons buttons,
                    Button defaultButton) override;
};
