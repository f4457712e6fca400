#pragma once

#include <QFrame>
#include <QTimer>

class QLabel;

// The line above the site's pages that tells the member what happened (a
// refused sign-in, downloads queued). A passing notice goes by itself.
class WebMessageBar : public QFrame
{
    Q_OBJECT

public:
    static constexpr int PassingMs = 8000;

    explicit WebMessageBar(QWidget *parent = nullptr);

    // `passing`: gone by itself after PassingMs; otherwise it stays until
    // hideMessage() or the next message.
    void showMessage(const QString &text, bool passing = false);
    void hideMessage();
    // The text shown, empty while the bar is hidden.
    QString text() const;

private:
    QLabel *m_text = nullptr;
    QTimer m_passing;
};
