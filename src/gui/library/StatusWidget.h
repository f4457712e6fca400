#pragma once

#include <QFrame>

class QLabel;
class QMovie;

// The black strip shown under the header while imports run.
class StatusWidget : public QFrame
{
    Q_OBJECT

public:
    explicit StatusWidget(QWidget *parent = nullptr);

    QString text() const;

public Q_SLOTS:
    void showStatus(const QString &message);
    void showStatus();
    void hideStatus();

private:
    QLabel *m_busy;
    QLabel *m_text;
    QMovie *m_movie;
};
