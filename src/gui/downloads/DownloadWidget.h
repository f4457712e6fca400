#pragma once

#include <QWidget>

class DownloadManager;
class DownloadView;
class QToolButton;
class UserPrompt;

// The downloads page: a bar with Remove All, Pause All and Resume All over
// the list of download cards.
class DownloadWidget : public QWidget
{
    Q_OBJECT

public:
    // Shows `manager`'s downloads; questions go through `prompt` (neither owned).
    DownloadWidget(DownloadManager *manager, UserPrompt *prompt, QWidget *parent = nullptr);

    DownloadView *view() const { return m_view; }
    QToolButton *removeAllButton() const { return m_removeAll; }
    QToolButton *pauseAllButton() const { return m_pauseAll; }
    QToolButton *resumeAllButton() const { return m_resumeAll; }
    // Checked: the alternative speed limit applies now (stored in the settings).
    QToolButton *alternativeSpeedButton() const { return m_alternativeSpeed; }

Q_SIGNALS:
    // A card's play button: play this (possibly partly written) file.
    void playRequested(const QString &path);
    // A card's Sign In button: the site refused the member's password.
    void signInRequested();

private:
    QToolButton *makeButton(const QString &text, const QString &icon);

    DownloadView *m_view = nullptr;
    QToolButton *m_removeAll = nullptr;
    QToolButton *m_pauseAll = nullptr;
    QToolButton *m_resumeAll = nullptr;
    QToolButton *m_alternativeSpeed = nullptr;
};
