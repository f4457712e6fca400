#include "gui/library/LibraryViewItemDelegate.h"

#include "core/Logging.h"
#include "gui/library/CorvLibraryItemWidget.h"
#include "gui/library/LibraryView.h"

#include <QPainter>
#include <QStyle>

LibraryViewItemDelegate::LibraryViewItemDelegate(LibraryView *view)
    : QStyledItemDelegate(view), m_view(view)
{
}

void LibraryViewItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    CorvLibraryItemWidget *widget = m_view->itemWidget(index);
    if (!widget)
        return;
    // Painted from the row's current data, so edits and new thumbnails show.
    const QPixmap picture =
        widget->snapshot(index, QSize(option.rect.width(), option.rect.height() - rowSpacing));
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->drawPixmap(option.rect.topLeft(), picture);
    if (option.state.testFlag(QStyle::State_MouseOver) &&
        !option.state.testFlag(QStyle::State_Selected)) {
        // Under the mouse: lit, not selected.
        const QRectF tile =
            QRectF(option.rect.adjusted(0, 0, 0, -rowSpacing)).adjusted(1, 1, -1, -1);
        QColor light = option.palette.color(QPalette::Highlight);
        painter->setPen(QPen(light, 2));
        light.setAlpha(28);
        painter->setBrush(light);
        painter->drawRoundedRect(tile, 6, 6);
    }
    painter->restore();
}

QSize LibraryViewItemDelegate::sizeHint(const QStyleOptionViewItem &,
                                        const QModelIndex &index) const
{
    QSize size(400, 80);
    if (CorvLibraryItemWidget *widget = m_view->itemWidget(index)) {
        const QSize minimum = widget->minimumSize();
        if (minimum.width() > 0)
            size.setWidth(minimum.width());
        if (minimum.height() > 0)
            size.setHeight(minimum.height());
    }
    return size + QSize(0, rowSpacing);
}

QWidget *LibraryViewItemDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                               const QModelIndex &index) const
{
    CorvLibraryItemWidget *widget = m_view->itemWidget(index);
    if (!widget) {
        qCWarning(lcGui) << "Can't find widget in hash";
        return nullptr;
    }
    widget->setParent(parent);
    widget->updateFromIndex(index);
    widget->show();
    return widget;
}

void LibraryViewItemDelegate::updateEditorGeometry(QWidget *editor,
                                                   const QStyleOptionViewItem &option,
                                                   const QModelIndex &) const
{
    editor->setGeometry(option.rect.adjusted(0, 0, 0, -rowSpacing));
}

void LibraryViewItemDelegate::destroyEditor(QWidget *editor, const QModelIndex &) const
{
    editor->hide();
}
