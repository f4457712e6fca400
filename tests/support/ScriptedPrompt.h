#pragma once

#include "core/UserPrompt.h"

#include <QList>
#include <QString>

// A prompt for tests: records every message and answers questions from a
// queue (the default button when the queue is empty).
class ScriptedPrompt : public UserPrompt
{
public:
    struct Message {
        QString kind; // "warning", "information" or "question"
        QString title;
        QString text;
    };

    ScriptedPrompt();
    ~ScriptedPrompt() override;

    void warning(const QString &title, const QString &text) override;
    void information(const QString &title, const QString &text) override;
    Button question(const QString &title, const QString &text, Buttons buttons,
                    Button defaultButton) override;

    QList<Message> messages;
    QList<Button> answers;
};
