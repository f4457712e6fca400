#include "gui/common/ItemButtonAccessible.h"

#include <QAbstractItemView>
#include <QTimer>
#include <QWindow>

ItemButtonAccessible::ItemButtonAccessible(QAbstractItemView *view, const QModelIndex &index)
    : m_view(view), m_index(index)
{
}

void *ItemButtonAccessible::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this)
                                                : nullptr;
}

bool ItemButtonAccessible::itemIsValid() const
{
    return m_view && m_index.isValid() && m_index.model() == m_view->model();
}

bool ItemButtonAccessible::isValid() const
{
    return itemIsValid();
}

QWindow *ItemButtonAccessible::window() const
{
    return m_view ? m_view->window()->windowHandle() : nullptr;
}

QAccessibleInterface *ItemButtonAccessible::parent() const
{
    if (!itemIsValid())
        return nullptr;
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(m_view.data());
    return list ? list->child(m_index.row()) : nullptr;
}

QRect ItemButtonAccessible::rect() const
{
    const QRect area = isValid() ? buttonRect() : QRect();
    if (area.isEmpty())
        return QRect();
    return QRect(m_view->viewport()->mapToGlobal(area.topLeft()), area.size());
}

QAccessible::State ItemButtonAccessible::state() const
{
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    state.focusable = true;
    state.focused = hasKeyboardFocus();
    const QRect viewport = m_view->viewport()->rect();
    const QRect area = buttonRect();
    if (!m_view->isVisible() || !viewport.intersects(m_view->visualRect(m_index))) {
        // Its item is scrolled out of the list.
        state.invisible = true;
        state.offscreen = true;
    } else if (area.isEmpty()) {
        // Drawn on some items only (the selected one, say): a press works
        // all the same.
        state.invisible = true;
    } else if (!viewport.intersects(area)) {
        state.invisible = true;
        state.offscreen = true;
    }
    return state;
}

QStringList ItemButtonAccessible::actionNames() const
{
    return {QAccessibleActionInterface::pressAction()};
}

void ItemButtonAccessible::doAction(const QString &actionName)
{
    if (!isValid() || actionName != QAccessibleActionInterface::pressAction())
        return;
    // Later, from the event loop: the interface may be gone by then, so the
    // press keeps what it needs.
    const QPersistentModelIndex index = m_index;
    QAbstractItemView *view = m_view;
    QTimer::singleShot(0, view, [view, index, press = pressed()] {
        if (!index.isValid() || index.model() != view->model())
            return;
        view->setCurrentIndex(index);
        press(index);
    });
}
