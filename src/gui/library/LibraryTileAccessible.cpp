#include "gui/library/LibraryTileAccessible.h"

#include "gui/library/CorvLibraryItemWidget.h"
#include "gui/library/LibraryTileButtonAccessible.h"
#include "gui/library/LibraryView.h"
#include "library/LibraryItem.h"

#include <QItemSelectionModel>
#include <QWindow>

LibraryTileAccessible::LibraryTileAccessible(LibraryView *view, const QModelIndex &index)
    : m_view(view), m_index(index)
{
}

LibraryTileAccessible::~LibraryTileAccessible()
{
    for (QAccessible::Id id : std::as_const(m_buttons)) {
        if (QAccessible::accessibleInterface(id))
            QAccessible::deleteAccessibleInterface(id);
    }
}

void *LibraryTileAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface *>(this);
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

bool LibraryTileAccessible::isValid() const
{
    return m_view && m_index.isValid() && m_index.model() == m_view->model();
}

QWindow *LibraryTileAccessible::window() const
{
    return m_view ? m_view->window()->windowHandle() : nullptr;
}

QAccessibleInterface *LibraryTileAccessible::parent() const
{
    return m_view ? QAccessible::queryAccessibleInterface(m_view.data()) : nullptr;
}

int LibraryTileAccessible::childCount() const
{
    return isValid() ? int(CorvLibraryItemWidget::ButtonCount) : 0;
}

QAccessibleInterface *LibraryTileAccessible::child(int index) const
{
    if (!isValid() || index < 0 || index >= CorvLibraryItemWidget::ButtonCount)
        return nullptr;
    if (m_buttons.isEmpty()) {
        for (int i = 0; i < CorvLibraryItemWidget::ButtonCount; ++i)
            m_buttons << QAccessible::registerAccessibleInterface(
                new LibraryTileButtonAccessible(m_view, m_index, CorvLibraryItemWidget::Button(i)));
    }
    return QAccessible::accessibleInterface(m_buttons.at(index));
}

int LibraryTileAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (int i = 0; i < m_buttons.size(); ++i) {
        if (QAccessible::accessibleInterface(m_buttons.at(i)) == child)
            return i;
    }
    return -1;
}

QAccessibleInterface *LibraryTileAccessible::childAt(int x, int y) const
{
    for (int i = 0; i < childCount(); ++i) {
        QAccessibleInterface *button = child(i);
        if (button && button->rect().contains(x, y))
            return button;
    }
    return nullptr;
}

QString LibraryTileAccessible::text(QAccessible::Text t) const
{
    if (!isValid())
        return QString();
    switch (t) {
    case QAccessible::Name:
        return m_index.data().value<LibraryItem>().title();
    case QAccessible::Description:
        return CorvLibraryItemWidget::describe(m_index);
    default:
        return QString();
    }
}

QRect LibraryTileAccessible::rect() const
{
    if (!isValid())
        return QRect();
    const QRect area = m_view->visualRect(m_index);
    return QRect(m_view->viewport()->mapToGlobal(area.topLeft()), area.size());
}

QAccessible::State LibraryTileAccessible::state() const
{
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    state.selectable = true;
    state.focusable = true;
    state.selected = isSelected();
    state.focused = m_view->hasFocus() && m_view->currentIndex() == QModelIndex(m_index);
    // Rows scrolled out of the list are there, but not on screen.
    if (!m_view->isVisible() ||
        !m_view->viewport()->rect().intersects(m_view->visualRect(m_index))) {
        state.invisible = true;
        state.offscreen = true;
    }
    return state;
}

bool LibraryTileAccessible::isSelected() const
{
    return isValid() && m_view->selectionModel() && m_view->selectionModel()->isSelected(m_index);
}

QStringList LibraryTileAccessible::actionNames() const
{
    return {QAccessibleActionInterface::setFocusAction()};
}

void LibraryTileAccessible::doAction(const QString &actionName)
{
    if (!isValid() || actionName != QAccessibleActionInterface::setFocusAction())
        return;
    m_view->setCurrentIndex(m_index);
    m_view->setFocus(Qt::OtherFocusReason);
}
