#pragma once

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QSize>
#include <QVideoFrame>

// Makes the pictures of the player away from the window's thread: it keeps
// the newest frame offered and, on its own thread, converts and scales it to
// the area the picture has. Frames that arrive while one is being made
// replace each other, so a slow machine drops frames instead of falling
// behind.
class PictureRenderer : public QObject
{
    Q_OBJECT

public:
    explicit PictureRenderer(QObject *parent = nullptr);

    // Any thread: the frame to show next (an invalid one clears the picture).
    void offer(const QVideoFrame &frame);
    // Any thread: the area pictures are made for, in device pixels; the
    // frame shown is made again for it.
    void setArea(const QSize &area);

Q_SIGNALS:
    // A picture for the area, from the renderer's thread; a null image when
    // there is nothing to show.
    void pictureReady(const QImage &picture);

private:
    // With the lock held: asks the renderer's thread to make a picture.
    void scheduleLocked();
    void renderPending();

    QMutex m_mutex;
    QVideoFrame m_frame;
    QSize m_area;
    bool m_scheduled = false;
};
