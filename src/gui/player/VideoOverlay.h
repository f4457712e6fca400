#pragma once

#include "gui/player/PictureOverlay.h"

#include <QTimer>

class QLabel;
class QPushButton;

// Over the player's picture: the video's title and channel for a few seconds
// when playback starts, or, at the end, the title with a Replay button.
class VideoOverlay : public PictureOverlay
{
    Q_OBJECT

public:
    static constexpr int CaptionMs = 4000;

    // Follows `video`'s place on the screen.
    explicit VideoOverlay(QWidget *video);

    // The title (and the channel, if known) in the picture's top left corner,
    // hidden again after `ms`.
    void showCaption(const QString &title, const QString &channel, int ms = CaptionMs);
    // The title and a Replay button in the middle of the picture, until dismissed.
    void showReplay(const QString &title);
    void dismiss();

    bool isCaption() const { return isVisible() && !m_replayMode; }
    bool isReplay() const { return isVisible() && m_replayMode; }
    QString titleText() const;
    QString channelText() const;
    QPushButton *replayButton() const { return m_replay; }

Q_SIGNALS:
    void replayRequested();

protected:
    void place(const QRect &area) override;

private:
    QLabel *m_title = nullptr;
    QLabel *m_channel = nullptr;
    QPushButton *m_replay = nullptr;
    QTimer m_hideTimer;
    bool m_replayMode = false;
};
