#include "gui/library/CorvRoundedWidget.h"

#include <QPainter>
#include <QPainterPath>

CorvRoundedWidget::CorvRoundedWidget(QWidget *parent) : QWidget(parent) {}

void CorvRoundedWidget::setPixmap(const QPixmap &pixmap)
{
    m_pixmap = pixmap;
    update();
}

void CorvRoundedWidget::paintEvent(QPaintEvent *)
{
    if (m_pixmap.isNull())
        return;
    constexpr qreal radius = 10;
    const QRectF area = rect();
    QPainterPath path;
    path.addRoundedRect(area, radius, radius);
    // The right part stays square.
    QPainterPath square;
    square.addRect(area.adjusted(area.width() / 2, 0, 0, 0));
    path = path.united(square);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipPath(path);
    painter.drawPixmap(rect(), m_pixmap);
}
