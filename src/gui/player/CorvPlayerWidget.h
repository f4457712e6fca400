#pragma once

#include <QTimer>
#include <QWidget>

class MediaVideoWidget;
class QVBoxLayout;
class Toolbar;
class VideoOverlay;

// The player page: the picture above the transport bar. In full screen the
// picture is a top-level window and the bar floats over it at the bottom
// centre, fading out after three seconds without mouse movement. Keys:
// Space, Left and Right on the picture (play, seek); F11 full screen, Up and
// Down the volume, M mute anywhere on the page.
class CorvPlayerWidget : public QWidget
{
    Q_OBJECT

public:
    static constexpr int FadeDelayMs = 3000;
    static constexpr int VolumeStepPercent = 5;

    explicit CorvPlayerWidget(QWidget *parent = nullptr);
    ~CorvPlayerWidget() override;

    MediaVideoWidget *videoWidget() const { return m_video; }
    Toolbar *toolbar() const { return m_toolbar; }
    QTimer *fadeTimer() { return &m_fadeTimer; }
    bool isInFullScreen() const { return m_fullScreen; }
    VideoOverlay *titleOverlay() const { return m_titleOverlay; }
    VideoOverlay *endOverlay() const { return m_endOverlay; }

    // Where the floating bar goes on a full-screen player of `area` (global
    // coordinates): horizontally centred, at six sevenths of the height and
    // never below the bottom edge.
    static QRect floatingToolbarPlace(const QRect &area, const QSize &hint, int minimumWidth);

    // The title (and channel) over the picture for a few seconds, and as the
    // full-screen window's title.
    void showTitle(const QString &title, const QString &channel);
    // Playback ended: the last picture stays, with the title and Replay over it.
    void showEnded(const QString &title);
    void hideEnded();

Q_SIGNALS:
    // Play commands from the bar and the picture's keys (see MainWindow::playCommand).
    void playCommand(int command);
    // Up and Down: the volume by `percent` points.
    void volumeStepRequested(int percent);
    // M: mute or unmute.
    void muteToggleRequested();
    void replayRequested();

public Q_SLOTS:
    void toggleFullScreen();
    void exitFullScreen();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void placeFloatingToolbar();
    // The page's own keys; true when `event` was one of them.
    bool handleKey(QKeyEvent *event);

    MediaVideoWidget *m_video = nullptr;
    Toolbar *m_toolbar = nullptr;
    QVBoxLayout *m_layout = nullptr;
    VideoOverlay *m_titleOverlay = nullptr;
    VideoOverlay *m_endOverlay = nullptr;
    QTimer m_fadeTimer;
    bool m_fullScreen = false;
};
