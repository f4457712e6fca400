#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

class Library;
class UserPrompt;

// What to do about a library video whose file is gone (moved, renamed or
// deleted behind the program's back): remove its row, or find the file and
// point the row at it. The question and the file dialog are modal to the
// window and do not block the event loop.
class MissingVideoQuestion : public QObject
{
    Q_OBJECT

public:
    // Short messages go through `prompt` (not owned; the window's owner keeps it).
    MissingVideoQuestion(Library *library, UserPrompt *prompt, QWidget *window);
    ~MissingVideoQuestion() override;

    // Asks about the video of `path` (a file that is not there); a file that
    // is no library video only gets a message.
    void ask(const QString &path);

    // The question and the file dialog while they are open (else nullptr).
    QMessageBox *question() const { return m_question; }
    QFileDialog *fileDialog() const { return m_dialog; }

Q_SIGNALS:
    // The row now shows the file at `path`: play it.
    void located(const QString &path);
    // The row was handed to the library for removal.
    void removed(const QString &path);

private:
    void remove(qlonglong id, const QString &path);
    void locate(qlonglong id, const QString &path);
    void fileChosen(qlonglong id, const QString &chosen);
    // Emits located() once the library shows the row at its new place.
    void playOnceStored(qlonglong id, const QString &path);

    Library *m_library;
    UserPrompt *m_prompt;
    QWidget *m_window;
    QPointer<QMessageBox> m_question;
    QPointer<QFileDialog> m_dialog;
    QMetaObject::Connection m_waiting;
};
