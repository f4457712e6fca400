#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

class QLabel;
class QPushButton;
class QSlider;
class QToolButton;

// The player page while a TV plays the video: the video's picture, its
// title and the TV's name, what the TV is doing (or what went wrong), and
// the TV's controls: play/pause, stop, the seek bar with the two times, the
// volume with its mute button and "Back to this computer". It covers the whole page (picture and
// bar) and follows its size. It only shows and reports; the TV mode drives it.
class TvModePanel : public QWidget
{
    Q_OBJECT

public:
    explicit TvModePanel(QWidget *page);

    // `scaled` is `picture` already scaled to pictureSize() (off the
    // window's thread), when the caller has it.
    void setVideo(const QString &title, const QImage &picture, const QImage &scaled = {});
    // The size in device pixels the picture is shown at for the page's size now.
    QSize pictureSize() const;
    static QImage scaledPicture(const QImage &picture, const QSize &size);
    // Polishes and lays the panel out while hidden, so its first showing is quick.
    void prepare();
    void setTvName(const QString &name);
    // What the TV does now ("Playing", "Paused", ...), or a failure in words.
    void setStatus(const QString &text);
    void setError(const QString &text);
    bool showsError() const { return m_error; }
    // The pause look while the TV plays, the play look otherwise.
    void setPlaying(bool playing);
    void setPosition(qint64 positionMs, qint64 durationMs);
    void setVolume(int volume);
    // The muted look of the volume button and its words for screen readers.
    void setMuted(bool muted);
    bool showsMuted() const;
    // Play, stop, seek and volume take clicks only while a TV plays the video.
    void setControlsEnabled(bool enabled);

    QLabel *pictureLabel() const { return m_picture; }
    QLabel *titleLabel() const { return m_title; }
    QLabel *tvLabel() const { return m_tv; }
    QLabel *statusLabel() const { return m_status; }
    QLabel *currentTimeLabel() const { return m_current; }
    QLabel *totalTimeLabel() const { return m_total; }
    QToolButton *playButton() const { return m_play; }
    QToolButton *stopButton() const { return m_stop; }
    QSlider *seekSlider() const { return m_seek; }
    QSlider *volumeSlider() const { return m_volume; }
    QToolButton *muteButton() const { return m_mute; }
    QPushButton *backButton() const { return m_back; }

Q_SIGNALS:
    void playPauseClicked();
    void stopClicked();
    void seekRequested(qint64 positionMs);
    void volumeRequested(int volume);
    void muteClicked();
    void backRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *buildControls();
    void showPicture();

    void showScaled(const QImage &scaled);

    QImage m_image;
    int m_playingLook = -1;
    QLabel *m_picture = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_tv = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_current = nullptr;
    QLabel *m_total = nullptr;
    QToolButton *m_play = nullptr;
    QToolButton *m_stop = nullptr;
    QSlider *m_seek = nullptr;
    QSlider *m_volume = nullptr;
    QToolButton *m_mute = nullptr;
    QPushButton *m_back = nullptr;
    bool m_error = false;
};
