#pragma once

#include "core/LoggingPrompt.h"
#include "core/UserPrompt.h"

// Asks the user with modal message boxes over the active window, until
// stopAsking(): from then on (the program is shutting down) messages go to
// the log and questions take their default button.
class MessageBoxPrompt : public UserPrompt
{
public:
    void warning(const QString &title, const QString &text) override;
    void information(const QString &title, const QString &text) override;
    Button question(const QString &title, const QString &text, Buttons buttons,
                    Button defaultButton) override;

    void stopAsking() { m_asking = false; }

private:
    bool m_asking = true;
    LoggingPrompt m_log;
};
