#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

class MpvPlayer;
class QAction;

// The picture of the player. The player draws its frames into pictures of
// the widget's size on a thread of its own; they are only shown here, so
// playing never holds up the window. Space plays or pauses,
// Left and Right seek by ten seconds, Escape leaves full screen, Alt+Return
// toggles it.
class MediaVideoWidget : public QWidget
{
    Q_OBJECT

public:
    explicit MediaVideoWidget(QWidget *parent = nullptr);
    ~MediaVideoWidget() override;

    QAction *fullScreenAction() const { return m_fullScreenAction; }
    // Shows the pictures of `player` (not owned), made for this widget's size.
    void setPlayer(MpvPlayer *player);
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
    QPointer<MpvPlayer> m_player;
    QImage m_picture;
};
