#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

// A small window laid over the player's picture: a frameless tool window of
// its own, drawn by itself instead of with every frame of the picture. It
// follows the picture's place on the screen, into full screen and back, takes
// no focus, and hides when the picture goes away.
class PictureOverlay : public QWidget
{
    Q_OBJECT

public:
    // Follows `video`'s place on the screen.
    explicit PictureOverlay(QWidget *video, Qt::WindowFlags extraFlags = {});

protected:
    // Puts the window where it belongs over `area`, the picture in screen
    // coordinates.
    virtual void place(const QRect &area) = 0;
    // The picture came back into view (default: nothing to show again).
    virtual void pictureShown() {}

    // Shows the window over the picture, placed.
    void showOverPicture();
    QWidget *video() const { return m_video; }
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QRect pictureArea() const;
    void watchWindow();

    QPointer<QWidget> m_video;
    QPointer<QWidget> m_watchedWindow;
};
