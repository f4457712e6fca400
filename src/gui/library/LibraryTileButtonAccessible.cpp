#include "gui/library/LibraryTileButtonAccessible.h"

#include "gui/library/LibraryView.h"

#include <QPushButton>
#include <QTimer>
#include <QWindow>

LibraryTileButtonAccessible::LibraryTileButtonAccessible(LibraryView *view,
                                                         const QModelIndex &index,
                                                         CorvLibraryItemWidget::Button which)
    : m_view(view), m_index(index), m_which(which)
{
}

void *LibraryTileButtonAccessible::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this)
                                                : nullptr;
}

bool LibraryTileButtonAccessible::isValid() const
{
    return m_view && m_index.isValid() && m_index.model() == m_view->model();
}

QWindow *LibraryTileButtonAccessible::window() const
{
    return m_view ? m_view->window()->windowHandle() : nullptr;
}

QAccessibleInterface *LibraryTileButtonAccessible::parent() const
{
    if (!isValid())
        return nullptr;
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(m_view.data());
    return list ? list->child(m_index.row()) : nullptr;
}

QString LibraryTileButtonAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        return CorvLibraryItemWidget::buttonName(m_which);
    case QAccessible::Description:
        // A Play that cannot play says why.
        return m_which == CorvLibraryItemWidget::PlayButton && isValid()
                   ? CorvLibraryItemWidget::describe(m_index)
                   : QString();
    default:
        return QString();
    }
}

QPushButton *LibraryTileButtonAccessible::button() const
{
    CorvLibraryItemWidget *tile = isValid() ? m_view->existingWidget(m_index) : nullptr;
    return tile ? tile->button(m_which) : nullptr;
}

QRect LibraryTileButtonAccessible::rect() const
{
    // Where the tile's widget puts it (Delete and More show on the selected
    // tile only).
    CorvLibraryItemWidget *tile = isValid() ? m_view->existingWidget(m_index) : nullptr;
    const QPushButton *shown = tile ? tile->button(m_which) : nullptr;
    if (!shown || !shown->isVisibleTo(tile))
        return QRect();
    const QRect area = m_view->visualRect(m_index);
    const QPoint inTile = shown->mapTo(tile, QPoint(0, 0));
    return QRect(m_view->viewport()->mapToGlobal(area.topLeft() + inTile), shown->size());
}

QAccessible::State LibraryTileButtonAccessible::state() const
{
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    state.focusable = true;
    const QPushButton *shown = button();
    state.focused = shown && shown->hasFocus();
    if (!m_view->isVisible() ||
        !m_view->viewport()->rect().intersects(m_view->visualRect(m_index))) {
        state.invisible = true;
        state.offscreen = true;
    } else if (rect().isEmpty()) {
        // Delete and More of a tile that is not selected are not drawn (a
        // press selects the tile and works all the same).
        state.invisible = true;
    }
    return state;
}

QStringList LibraryTileButtonAccessible::actionNames() const
{
    return {QAccessibleActionInterface::pressAction()};
}

void LibraryTileButtonAccessible::doAction(const QString &actionName)
{
    if (!isValid() || actionName != QAccessibleActionInterface::pressAction())
        return;
    // Later, from the event loop: a press that asks a question must not
    // hold up the screen reader's call.
    const QPersistentModelIndex index = m_index;
    const CorvLibraryItemWidget::Button which = m_which;
    LibraryView *view = m_view;
    QTimer::singleShot(0, view, [view, index, which] {
        if (!index.isValid() || index.model() != view->model())
            return;
        view->setCurrentIndex(index);
        if (CorvLibraryItemWidget *tile = view->itemWidget(index))
            tile->button(which)->click();
    });
}
