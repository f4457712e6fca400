#include "cli/StderrPrompt.h"

#include <QTextStream>

#include <cstdio>

void StderrPrompt::warning(const QString &title, const QString &text)
{
    QTextStream(stderr) << "zelta-cli: " << title << ": " << text << '\n';
}

void StderrPrompt::information(const QString &title, const QString &text)
{
    QTextStream(stderr) << "zelta-cli: " << title << ": " << text << '\n';
}

UserPrompt::Button StderrPrompt::question(const QString &, const QString &, Buttons,
                                          Button defaultButton)
{
    return defaultButton;
}
