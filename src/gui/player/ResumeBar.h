#pragma once

#include "gui/player/PictureOverlay.h"

#include <QTimer>

class QLabel;
class QPushButton;

// A short note over the bottom of the player's picture when a video goes on
// where it stopped last time: "Resumed at 12:34 — Start over". It takes no
// focus and hides itself after a few seconds; its button starts the video
// from the beginning.
class ResumeBar : public PictureOverlay
{
    Q_OBJECT

public:
    static constexpr int ShownMs = 6000;

    // Follows `video`'s place on the screen.
    explicit ResumeBar(QWidget *video);

    // Shows the bar for a video resumed at `text` (a time such as "12:34").
    void showResumed(const QString &text, int ms = ShownMs);
    void dismiss();

    QString text() const;
    QPushButton *startOverButton() const { return m_startOver; }

Q_SIGNALS:
    void startOverRequested();

protected:
    void place(const QRect &area) override;

private:
    QLabel *m_label = nullptr;
    QPushButton *m_startOver = nullptr;
    QTimer m_hideTimer;
};
