#include "gui/library/LibraryTileButtonAccessible.h"

#include "gui/library/LibraryView.h"

#include <QPushButton>

LibraryTileButtonAccessible::LibraryTileButtonAccessible(LibraryView *view,
                                                         const QModelIndex &index,
                                                         CorvLibraryItemWidget::Button which)
    : ItemButtonAccessible(view, index), m_which(which)
{
}

LibraryView *LibraryTileButtonAccessible::view() const
{
    return static_cast<LibraryView *>(itemView());
}

QString LibraryTileButtonAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        return CorvLibraryItemWidget::buttonName(m_which);
    case QAccessible::Description:
        // A Play that cannot play says why.
        return m_which == CorvLibraryItemWidget::PlayButton && isValid()
                   ? CorvLibraryItemWidget::describe(index())
                   : QString();
    default:
        return QString();
    }
}

QPushButton *LibraryTileButtonAccessible::button() const
{
    CorvLibraryItemWidget *tile = isValid() ? view()->existingWidget(index()) : nullptr;
    return tile ? tile->button(m_which) : nullptr;
}

QRect LibraryTileButtonAccessible::buttonRect() const
{
    // Where the tile's widget puts it (Delete and More show on the selected
    // tile only).
    CorvLibraryItemWidget *tile = view()->existingWidget(index());
    const QPushButton *shown = tile ? tile->button(m_which) : nullptr;
    if (!shown || !shown->isVisibleTo(tile))
        return QRect();
    const QPoint inTile = shown->mapTo(tile, QPoint(0, 0));
    return QRect(view()->visualRect(index()).topLeft() + inTile, shown->size());
}

bool LibraryTileButtonAccessible::hasKeyboardFocus() const
{
    const QPushButton *shown = button();
    return shown && shown->hasFocus();
}

std::function<void(const QModelIndex &)> LibraryTileButtonAccessible::pressed() const
{
    LibraryView *view = this->view();
    const CorvLibraryItemWidget::Button which = m_which;
    return [view, which](const QModelIndex &index) {
        if (CorvLibraryItemWidget *tile = view->itemWidget(index))
            tile->button(which)->click();
    };
}
