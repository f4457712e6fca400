#include "gui/player/PictureOverlay.h"

#include <QEvent>

PictureOverlay::PictureOverlay(QWidget *video, Qt::WindowFlags extraFlags)
    : QWidget(video,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | extraFlags),
      m_video(video)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    video->installEventFilter(this);
}

QRect PictureOverlay::pictureArea() const
{
    return m_video ? QRect(m_video->mapToGlobal(QPoint(0, 0)), m_video->size()) : QRect();
}

void PictureOverlay::showOverPicture()
{
    watchWindow();
    if (m_video)
        place(pictureArea());
    show();
    raise();
}

// The picture's window changes when the player goes full screen: follow
// whichever window holds it now.
void PictureOverlay::watchWindow()
{
    QWidget *window = m_video ? m_video->window() : nullptr;
    if (window == m_watchedWindow)
        return;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = window;
    if (window)
        window->installEventFilter(this);
}

bool PictureOverlay::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
        if (isVisible() && m_video)
            place(pictureArea());
        break;
    case QEvent::Hide:
        if (watched == m_video && !m_video->isVisible())
            hide(); // the page went away; the overlay goes with it
        break;
    case QEvent::Show:
        if (watched == m_video)
            pictureShown();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
