#include "core/LoggingPrompt.h"

#include "core/Logging.h"

#include <QtDebug>

void LoggingPrompt::warning(const QString &title, const QString &text)
{
    qCWarning(lcCore).noquote() << title + QStringLiteral(": ") + text;
}

void LoggingPrompt::information(const QString &title, const QString &text)
{
    qCDebug(lcCore).noquote() << title + QStringLiteral(": ") + text;
}

UserPrompt::Button LoggingPrompt::question(const QString &title, const QString &text, Buttons,
                                           Button defaultButton)
{
    qCDebug(lcCore).noquote() << title + QStringLiteral(": ") + text;
    return defaultButton;
}
