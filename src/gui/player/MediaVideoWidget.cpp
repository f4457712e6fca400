#include "gui/player/MediaVideoWidget.h"

#include "gui/player/PictureRenderer.h"
#include "gui/player/VideoFrameConverter.h"

#include <QAction>
#include <QKeyEvent>
#include <QPainter>
#include <QVideoSink>

MediaVideoWidget::MediaVideoWidget(QWidget *parent)
    : QWidget(parent), m_sink(new QVideoSink(this)), m_renderer(std::make_unique<PictureRenderer>())
{
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Video"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_fullScreenAction = new QAction(tr("Full screen"), this);
    m_fullScreenAction->setCheckable(true);
    m_fullScreenAction->setChecked(false);
    m_fullScreenAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Return));
    m_fullScreenAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_fullScreenAction, &QAction::triggered, this, &MediaVideoWidget::toggleFullScreen);
    addAction(m_fullScreenAction);

    m_thread.setObjectName(QStringLiteral("VideoPictures"));
    m_renderer->moveToThread(&m_thread);
    PictureRenderer *renderer = m_renderer.get();
    // The sink may be fed from a decoder's thread: hand the frame on at once.
    connect(
        m_sink, &QVideoSink::videoFrameChanged, renderer,
        [renderer](const QVideoFrame &frame) { renderer->offer(frame); }, Qt::DirectConnection);
    connect(renderer, &PictureRenderer::pictureReady, this, &MediaVideoWidget::showPicture);
    m_thread.start();
}

MediaVideoWidget::~MediaVideoWidget()
{
    m_sink->disconnect(m_renderer.get());
    m_thread.quit();
    m_thread.wait();
}

QRect MediaVideoWidget::pictureRect() const
{
    if (m_picture.isNull())
        return {};
    const QSize size = VideoFrameConverter::fittedSize(m_picture.size(), this->size());
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void MediaVideoWidget::showPicture(const QImage &picture)
{
    m_picture = picture;
    update();
    Q_EMIT pictureChanged();
}

void MediaVideoWidget::updateArea()
{
    m_renderer->setArea(size() * devicePixelRatioF());
}

void MediaVideoWidget::paintEvent(QPaintEvent *event)
{
    updateArea(); // the screen's pixel ratio may have changed
    QPainter painter(this);
    const QRect shown = pictureRect();
    const QRegion bars = QRegion(event->rect()).subtracted(shown);
    for (const QRect &bar : bars)
        painter.fillRect(bar, Qt::black);
    if (shown.isEmpty())
        return;
    // Made for this size already, except for a moment after a resize.
    painter.drawImage(shown, m_picture);
}

void MediaVideoWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateArea();
}

void MediaVideoWidget::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
        case Qt::Key_Space:
            Q_EMIT playCommand(0);
            return event->accept();
        case Qt::Key_Left:
            Q_EMIT playCommand(2);
            return event->accept();
        case Qt::Key_Right:
            Q_EMIT playCommand(3);
            return event->accept();
        case Qt::Key_Escape:
            Q_EMIT exitFullScreen();
            return event->accept();
        default:
            break;
        }
    }
    QWidget::keyPressEvent(event);
}
