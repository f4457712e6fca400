#include "gui/player/MpvRenderer.h"

#include "core/Logging.h"

#include <QMetaObject>

#include <mpv/render.h>

#include <cstdlib>

namespace {

constexpr size_t kAlignment = 64; // what libmpv's scalers like for lines and pictures

// A picture whose lines and pixels are aligned for libmpv, in QImage's RGB32
// (bytes blue, green, red, unused: libmpv's "bgr0").
QImage alignedPicture(const QSize &size)
{
    const size_t stride = (size_t(size.width()) * 4 + kAlignment - 1) / kAlignment * kAlignment;
    void *data = std::aligned_alloc(kAlignment, stride * size_t(size.height()));
    if (!data)
        return {};
    return QImage(
        static_cast<uchar *>(data), size.width(), size.height(), qsizetype(stride),
        QImage::Format_RGB32, [](void *pixels) { std::free(pixels); }, data);
}

} // namespace

MpvRenderer::MpvRenderer(mpv_handle *mpv)
{
    if (!mpv)
        return;
    char type[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, type},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_create(&m_context, mpv, params) < 0) {
        qCWarning(lcGui) << "MpvRenderer: libmpv's software renderer could not be made";
        m_context = nullptr;
        return;
    }
    // Called on one of libmpv's threads: only hand the work to ours, once.
    mpv_render_context_set_update_callback(
        m_context, [](void *renderer) { static_cast<MpvRenderer *>(renderer)->schedule(false); },
        this);
}

MpvRenderer::~MpvRenderer()
{
    if (m_context) {
        mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
        mpv_render_context_free(m_context);
    }
}

QSize MpvRenderer::fittedSize(const QSize &picture, const QSize &area)
{
    if (picture.isEmpty() || area.isEmpty())
        return {};
    const QSize fitted = picture.scaled(area, Qt::KeepAspectRatio);
    return fitted.expandedTo(QSize(1, 1));
}

void MpvRenderer::setArea(const QSize &area)
{
    {
        const QMutexLocker locker(&m_mutex);
        if (area == m_area)
            return;
        m_area = area;
    }
    schedule(true);
}

void MpvRenderer::setVideoSize(const QSize &size)
{
    {
        const QMutexLocker locker(&m_mutex);
        if (size == m_video)
            return;
        m_video = size;
    }
    schedule(true);
}

void MpvRenderer::setGeneration(int generation)
{
    if (m_generation.exchange(generation) != generation)
        schedule(true);
}

void MpvRenderer::schedule(bool redraw)
{
    if (redraw)
        m_redraw = true;
    if (!m_scheduled.exchange(true))
        QMetaObject::invokeMethod(this, &MpvRenderer::renderPending, Qt::QueuedConnection);
}

void MpvRenderer::renderPending()
{
    m_scheduled = false;
    if (!m_context)
        return;
    const bool frame = mpv_render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME;
    const bool redraw = m_redraw.exchange(false);
    if (!frame && !redraw)
        return;
    QSize size;
    {
        const QMutexLocker locker(&m_mutex);
        size = fittedSize(m_video, m_area);
    }
    const int generation = m_generation;
    // A frame nobody is to see is still taken, at the smallest size, so that
    // the player's clock goes on.
    const bool shown = generation >= 0 && !size.isEmpty();
    QImage picture = alignedPicture(shown ? size : QSize(16, 16));
    if (picture.isNull())
        return;
    int sizes[2] = {picture.width(), picture.height()};
    char format[] = "bgr0";
    size_t stride = size_t(picture.bytesPerLine());
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, sizes},
                                 {MPV_RENDER_PARAM_SW_FORMAT, format},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                 {MPV_RENDER_PARAM_SW_POINTER, picture.bits()},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_render(m_context, params) < 0 || !shown)
        return;
    Q_EMIT pictureReady(picture, generation);
}
