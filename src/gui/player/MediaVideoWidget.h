#pragma once

#include <QImage>
#include <QThread>
#include <QWidget>

#include <memory>

class PictureRenderer;
class QAction;
class QVideoSink;

// The picture of the player. Frames from the media player's sink are made
// into pictures of the widget's size on a thread of their own and only
// drawn here, so playing never holds up the window. Space plays or pauses,
// Left and Right seek by ten seconds, Escape leaves full screen, Alt+Return
// toggles it.
class MediaVideoWidget : public QWidget
{
    Q_OBJECT

public:
    explicit MediaVideoWidget(QWidget *parent = nullptr);
    ~MediaVideoWidget() override;

    QAction *fullScreenAction() const { return m_fullScreenAction; }
    // Where the media player delivers its frames.
    QVideoSink *videoSink() const { return m_sink; }
    // The picture shown (null while there is none), in device pixels.
    QImage picture() const { return m_picture; }
    // Where the picture is drawn, letterboxed in the widget.
    QRect pictureRect() const;

Q_SIGNALS:
    void toggleFullScreen();
    void exitFullScreen();
    // A play command for the transport (0 play/pause, 2 back, 3 forward).
    void playCommand(int command);
    // A new picture is shown.
    void pictureChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showPicture(const QImage &picture);
    void updateArea();

    QAction *m_fullScreenAction = nullptr;
    QVideoSink *m_sink = nullptr;
    QThread m_thread;
    std::unique_ptr<PictureRenderer> m_renderer;
    QImage m_picture;
};
