#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QPropertyAnimation;
class QToolButton;
class SeekSlider;
class VolumeSlider;

// The player's transport bar: play/pause, seek slider with the two times
// over its ends, volume and the full-screen button. Floating in full screen,
// it fades in and out through its window opacity.
class Toolbar : public QWidget
{
    Q_OBJECT

public:
    static constexpr int FadeMs = 1000;

    explicit Toolbar(QWidget *parent = nullptr);

    QToolButton *playButton() const { return m_playButton; }
    QToolButton *fullButton() const { return m_fullButton; }
    SeekSlider *seekSlider() const { return m_seekSlider; }
    VolumeSlider *volumeSlider() const { return m_volumeSlider; }
    QLabel *currentTimeLabel() const { return m_currentTime; }
    QLabel *totalTimeLabel() const { return m_totalTime; }
    QPropertyAnimation *opacityAnimation() const { return m_fade; }

    // The play look (stopped, paused) or the pause look (playing).
    void setPauseLook(bool pause);
    bool hasPauseLook() const { return m_pauseLook; }
    void setFullScreenLook(bool fullScreen);
    // Another button of the page, placed before the full-screen button.
    void addButton(QWidget *button);

    // "m:ss", or "h:mm:ss" when `hours` is set.
    static QString formatTime(qint64 ms, bool hours);

Q_SIGNALS:
    void playCommand(int command);
    void fullScreen();

public Q_SLOTS:
    void on_playButton_clicked();
    void on_fullButton_clicked();
    void fadeOut();
    void fadeIn();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *makeLabel(const QString &name);
    QLabel *makeTimeLabel(const QString &name);
    void placeTimeLabels();
    void fadeTo(qreal opacity);

    QFrame *m_frame = nullptr;
    QToolButton *m_playButton = nullptr;
    QToolButton *m_fullButton = nullptr;
    SeekSlider *m_seekSlider = nullptr;
    VolumeSlider *m_volumeSlider = nullptr;
    QLabel *m_leftCap = nullptr;
    QLabel *m_rightCap = nullptr;
    QLabel *m_currentTime = nullptr;
    QLabel *m_totalTime = nullptr;
    QPropertyAnimation *m_fade = nullptr;
    bool m_pauseLook = false;
};
