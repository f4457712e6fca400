#include "gui/player/PictureRenderer.h"

#include "gui/player/VideoFrameConverter.h"

#include <QMutexLocker>

PictureRenderer::PictureRenderer(QObject *parent) : QObject(parent) {}

void PictureRenderer::offer(const QVideoFrame &frame)
{
    QMutexLocker locker(&m_mutex);
    m_frame = frame;
    scheduleLocked();
}

void PictureRenderer::setArea(const QSize &area)
{
    QMutexLocker locker(&m_mutex);
    if (area == m_area)
        return;
    m_area = area;
    if (m_frame.isValid())
        scheduleLocked();
}

void PictureRenderer::scheduleLocked()
{
    if (m_scheduled)
        return; // the picture made next takes the newest frame
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &PictureRenderer::renderPending, Qt::QueuedConnection);
}

void PictureRenderer::renderPending()
{
    QVideoFrame frame;
    QSize area;
    {
        QMutexLocker locker(&m_mutex);
        frame = m_frame;
        area = m_area;
        m_scheduled = false;
    }
    Q_EMIT pictureReady(frame.isValid() ? VideoFrameConverter::fittedImage(frame, area) : QImage());
}
