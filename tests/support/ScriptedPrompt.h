#pragma once

#include "core/UserPrompt.h"

#include <QList>
#include <QString>

// A prompt for tests: records every message and answers questions from a
// queue (the default button when the queue is empty). Tests hand it to the
// objects they build, as the program hands its own prompt.
class ScriptedPrompt : public UserPrompt
{
public:
    struct Message {
        QString kind; // "warning", "information" or "question"
        QString title;
        QString text;
    };

    void warning(const QString &title, const QString &text) override;
    void information(const QString &title, const QString &text) override;
    Button question(const QString &title, const QString &text, Buttons buttons,
                    Button defaultButton) override;

    QList<Message> messages;
    QList<Button> answers;
};
