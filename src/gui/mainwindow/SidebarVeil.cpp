#include "gui/mainwindow/SidebarVeil.h"

#include "gui/mainwindow/Palette.h"

#include <QEvent>
#include <QPainter>

SidebarVeil::SidebarVeil(QWidget *sidebar, QWidget *parent) : QWidget(parent), m_sidebar(sidebar)
{
    setFocusPolicy(Qt::NoFocus);
    sidebar->installEventFilter(this);
    followSidebar();
}

bool SidebarVeil::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_sidebar &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move ||
         event->type() == QEvent::Show)) {
        followSidebar();
    }
    return QWidget::eventFilter(watched, event);
}

void SidebarVeil::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Palette::color(Palette::VeilFill));
}

void SidebarVeil::followSidebar()
{
    if (!m_sidebar || !parentWidget())
        return;
    setGeometry(QRect(m_sidebar->mapTo(parentWidget(), QPoint(0, 0)), m_sidebar->size()));
    raise();
}
