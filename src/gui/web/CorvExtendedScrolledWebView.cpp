#include "gui/web/CorvExtendedScrolledWebView.h"

#include <QApplication>
#include <QChildEvent>
#include <QWheelEvent>

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
