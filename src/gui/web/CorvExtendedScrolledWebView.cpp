#include "gui/web/CorvExtendedScrolledWebView.h"

#include <QApplication>
#include <QChildEvent>
#include <QWheelEvent>
#include <QWindow>

namespace {

// The engine's render widget draws through a window of its own that is never
// shown ("Offscreen"). As a top-level window it would be one of the program's
// windows for screen readers, an empty frame beside the main window; marked
// as a popup it is left out of that list, and nothing else looks at its type.
void hideOffscreenWindows()
{
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (window->inherits("QQuickWidgetOffscreenWindow") && window->type() != Qt::Popup &&
            !window->handle())
            window->setFlags((window->flags() & ~Qt::WindowType_Mask) | Qt::Popup);
    }
}

} // namespace

CorvExtendedScrolledWebView::CorvExtendedScrolledWebView(QWidget *parent)
    : QWebEngineView(parent), m_wheel(0)
{
    m_clock.start();
    setAcceptDrops(false);
    setContextMenuPolicy(Qt::NoContextMenu);
}

bool CorvExtendedScrolledWebView::event(QEvent *event)
{
    // The engine renders into a child widget that receives the wheel events.
    if (event->type() == QEvent::ChildPolished || event->type() == QEvent::ChildAdded)
        watchRenderWidget();
    return QWebEngineView::event(event);
}

void CorvExtendedScrolledWebView::watchRenderWidget()
{
    QWidget *render = focusProxy();
    if (!render || render == m_renderWidget)
        return;
    m_renderWidget = render;
    render->installEventFilter(this);
    hideOffscreenWindows();
}

bool CorvExtendedScrolledWebView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_renderWidget || event->type() != QEvent::Wheel || m_dispatching)
        return QWebEngineView::eventFilter(watched, event);
    const auto *wheel = static_cast<QWheelEvent *>(event);
    const bool vertical = wheel->angleDelta().y() != 0;
    const int delta = vertical ? wheel->angleDelta().y() : wheel->angleDelta().x();
    const int combined = m_wheel.feed(m_clock.elapsed(), delta);
    if (combined == 0)
        return true;
    const QPoint angle = vertical ? QPoint(0, combined) : QPoint(combined, 0);
    QWheelEvent merged(wheel->position(), wheel->globalPosition(), QPoint(), angle,
                       wheel->buttons(), wheel->modifiers(), wheel->phase(), wheel->inverted());
    m_dispatching = true;
    QApplication::sendEvent(m_renderWidget, &merged);
    m_dispatching = false;
    return true;
}
