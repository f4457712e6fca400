#pragma once

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QSize>

#include <atomic>

struct mpv_handle;
struct mpv_render_context;

// Draws libmpv's video frames into pictures with its software renderer, on a
// thread of its own (the object lives there), each picture made at the size
// the video takes up in the area it is shown in. Pictures carry the
// generation they were drawn for, so the receiver can drop those of a video
// it no longer shows.
class MpvRenderer : public QObject
{
    Q_OBJECT

public:
    // Creates the render context; do so before anything plays.
    explicit MpvRenderer(mpv_handle *mpv);
    // Free only while nothing renders (its thread stopped).
    ~MpvRenderer() override;

    bool isValid() const { return m_context != nullptr; }

    // These may be called from any thread; each draws the frame again.
    void setArea(const QSize &area);
    void setVideoSize(const QSize &size);
    // Pictures drawn from now on belong to `generation`; below 0, none are drawn.
    void setGeneration(int generation);

    // The size a picture of `picture`'s shape takes in `area`, letterboxed
    // (empty when either is empty).
    static QSize fittedSize(const QSize &picture, const QSize &area);

Q_SIGNALS:
    void pictureReady(const QImage &picture, int generation);

private:
    void schedule(bool redraw);
    void renderPending();

    mpv_render_context *m_context = nullptr;
    QMutex m_mutex;
    QSize m_area;
    QSize m_video;
    std::atomic<int> m_generation{-1};
    std::atomic<bool> m_scheduled{false};
    std::atomic<bool> m_redraw{false};
};
