#include "gui/library/CorvHeaderView.h"

#include "gui/mainwindow/Artwork.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QStandardItemModel>

CorvHeaderView::CorvHeaderView(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent), m_sections(new QStandardItemModel(0, 3, this))
{
    setObjectName(QStringLiteral("CorvHeaderView"));
    setAccessibleName(tr("Sort by"));
    m_sections->setHorizontalHeaderLabels({tr("Date"), tr("Length"), tr("Name")});
    setModel(m_sections);
    setSectionsClickable(true);
    setSortIndicatorShown(false);
    setSectionResizeMode(QHeaderView::Stretch);
    setFixedHeight(24);
    setFocusPolicy(Qt::StrongFocus);
    setSortIndicator(m_column, m_order);
    connect(this, &QHeaderView::sortIndicatorChanged, this, &CorvHeaderView::onSortChanges);
}

void CorvHeaderView::onSortChanges(int column, Qt::SortOrder order)
{
    m_column = column;
    m_order = order;
    viewport()->update();
    Q_EMIT doSortChange(column, order);
}

void CorvHeaderView::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    painter->save();
    QLinearGradient background(rect.topLeft(), rect.bottomLeft());
    background.setColorAt(0, QColor(0xe1, 0xe1, 0xe1));
    background.setColorAt(1, QColor(0xc1, 0xc1, 0xc1));
    painter->fillRect(rect, background);
    painter->setPen(QColor(0xa8, 0xa8, 0xa8));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());

    const QString text = m_sections->headerData(logicalIndex, Qt::Horizontal).toString();
    painter->setPen(QColor(0x3a, 0x3f, 0x47));
    painter->drawText(rect, Qt::AlignCenter, text);
    if (logicalIndex == m_column) {
        const QPixmap arrow = Artwork::pixmap(
            m_order == Qt::AscendingOrder
                ? QStringLiteral(":/images/library/icon_up_sort_arrow_black.png")
                : QStringLiteral(":/images/library/icon_down_sort_arrow_black.png"));
        const QSize size = arrow.deviceIndependentSize().toSize();
        const int textRight = rect.center().x() + fontMetrics().horizontalAdvance(text) / 2;
        painter->drawPixmap(QPoint(textRight + 6, rect.center().y() - size.height() / 2), arrow);
    }
    if (hasFocus() && logicalIndex == m_keySection) {
        painter->setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(rect).adjusted(2, 2, -2, -2), 3, 3);
    }
    painter->restore();
}

void CorvHeaderView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int step = (event->key() == Qt::Key_Right) == isRightToLeft() ? -1 : 1;
        m_keySection = qBound(0, m_keySection + step, count() - 1);
        viewport()->update();
        return;
    }
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        // As a click: a new section sorts ascending, the sorted one turns round.
        const bool ascending = m_keySection != m_column || m_order == Qt::DescendingOrder;
        setSortIndicator(m_keySection, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        return;
    }
    default:
        QHeaderView::keyPressEvent(event);
    }
}
