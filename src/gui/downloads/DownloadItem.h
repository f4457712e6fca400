#pragma once

#include "downloads/Download.h"

#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QToolButton;
class UserPrompt;

// One card of the downloads page: thumbnail, title, description, status,
// progress bar and transfer line, with play, pause/resume and cancel. A
// failed download shows why, with a Retry button (Sign In when the site
// refused the member's password).
// Progress reports are gathered and shown at most once per interval, and
// only while the card is visible; the last one always shows.
class DownloadItem : public QWidget
{
    Q_OBJECT

public:
    // Asks before a cancel through `prompt` (not owned; the window that owns
    // the engines outlives its cards).
    DownloadItem(Download *download, UserPrompt *prompt, QWidget *parent = nullptr);

    Download *download() const { return m_download; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

    // How often at most the progress is shown (250 ms by default).
    static void setUpdateInterval(int ms);
    static int updateInterval();

    QLabel *titleLabel() const { return m_title; }
    QLabel *statusLabel() const { return m_status; }
    QLabel *metaDataLabel() const { return m_metaData; }
    QLabel *infoLabel() const { return m_info; }
    QLabel *thumbnailLabel() const { return m_thumbnail; }
    QProgressBar *progressBar() const { return m_progress; }
    QToolButton *playButton() const { return m_play; }
    QToolButton *pauseButton() const { return m_pause; }
    QToolButton *cancelButton() const { return m_cancel; }
    QLabel *failureLabel() const { return m_failure; }
    QToolButton *retryButton() const { return m_retry; }
    // Shown beside Retry when the site no longer offers the video.
    QToolButton *removeButton() const { return m_remove; }
    // "pause" or "resume": what the pause button does now.
    QString pauseLook() const;

Q_SIGNALS:
    // Play the download's media file, however much of it is written.
    void playRequested(const QString &path);
    // The site refused the member's user name or password: sign in again.
    void signInRequested();

private Q_SLOTS:
    void infoUpdated();
    void progressUpdated();
    void thumbnailUpdated();
    void playClicked();
    void pauseClicked();
    void cancelClicked();
    void retryClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildLayout();
    void showProgress();
    void showBar();
    void setPauseLook(bool resume);
    void paintBackground();

    QPointer<Download> m_download;
    UserPrompt *m_prompt;
    QLabel *m_title = nullptr;
    QLabel *m_thumbnail = nullptr;
    QLabel *m_metaData = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_info = nullptr;
    QProgressBar *m_progress = nullptr;
    QToolButton *m_play = nullptr;
    QToolButton *m_pause = nullptr;
    QToolButton *m_cancel = nullptr;
    QLabel *m_failure = nullptr;
    QToolButton *m_retry = nullptr;
    QToolButton *m_remove = nullptr;
    QTimer m_progressTimer;
    QPixmap m_background;
    bool m_progressPending = false;
    bool m_selected = false;
    bool m_resumeLook = false;
};
