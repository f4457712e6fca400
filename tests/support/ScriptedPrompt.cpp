#include "ScriptedPrompt.h"

void ScriptedPrompt::warning(const QString &title, const QString &text)
{
    messages.append({QStringLiteral("warning"), title, text});
}

void ScriptedPrompt::information(const QString &title, const QString &text)
{
    messages.append({QStringLiteral("information"), title, text});
}

UserPrompt::Button ScriptedPrompt::question(const QString &title, const QString &text, Buttons,
                                            Button defaultButton)
{
    messages.append({QStringLiteral("question"), title, text});
    return answers.isEmpty() ? defaultButton : answers.takeFirst();
}
