#include "gui/common/ItemAccessible.h"

#include "gui/common/ItemButtonAccessible.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QWindow>

ItemAccessible::ItemAccessible(QAbstractItemView *view, const QModelIndex &index)
    : m_view(view), m_index(index)
{
}

ItemAccessible::~ItemAccessible()
{
    for (const QAccessible::Id id : std::as_const(m_buttons)) {
        if (QAccessible::accessibleInterface(id))
            QAccessible::deleteAccessibleInterface(id);
    }
}

void *ItemAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface *>(this);
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

bool ItemAccessible::isValid() const
{
    return m_view && m_index.isValid() && m_index.model() == m_view->model();
}

QWindow *ItemAccessible::window() const
{
    return m_view ? m_view->window()->windowHandle() : nullptr;
}

QAccessibleInterface *ItemAccessible::parent() const
{
    return m_view ? QAccessible::queryAccessibleInterface(m_view.data()) : nullptr;
}

int ItemAccessible::childCount() const
{
    return isValid() ? int(buttons().size()) : 0;
}

QAccessibleInterface *ItemAccessible::child(int index) const
{
    const QList<int> shown = isValid() ? buttons() : QList<int>();
    if (index < 0 || index >= shown.size())
        return nullptr;
    const int button = shown.at(index);
    if (const QAccessible::Id id = m_buttons.value(button)) {
        if (QAccessibleInterface *known = QAccessible::accessibleInterface(id))
            return known;
    }
    ItemButtonAccessible *made = makeButton(button);
    m_buttons.insert(button, QAccessible::registerAccessibleInterface(made));
    return made;
}

int ItemAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || !isValid())
        return -1;
    for (auto it = m_buttons.constBegin(); it != m_buttons.constEnd(); ++it) {
        if (QAccessible::accessibleInterface(it.value()) == child)
            return int(buttons().indexOf(it.key()));
    }
    return -1;
}

QAccessibleInterface *ItemAccessible::childAt(int x, int y) const
{
    for (int i = 0; i < childCount(); ++i) {
        QAccessibleInterface *button = child(i);
        if (button && button->rect().contains(x, y))
            return button;
    }
    return nullptr;
}

QString ItemAccessible::text(QAccessible::Text t) const
{
    if (!isValid())
        return QString();
    switch (t) {
    case QAccessible::Name:
        return name();
    case QAccessible::Description:
        return description();
    default:
        return QString();
    }
}

QRect ItemAccessible::rect() const
{
    if (!isValid())
        return QRect();
    const QRect area = m_view->visualRect(m_index);
    return QRect(m_view->viewport()->mapToGlobal(area.topLeft()), area.size());
}

QAccessible::State ItemAccessible::state() const
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

bool ItemAccessible::isSelected() const
{
    return isValid() && m_view->selectionModel() && m_view->selectionModel()->isSelected(m_index);
}

QStringList ItemAccessible::actionNames() const
{
    return {QAccessibleActionInterface::setFocusAction()};
}

void ItemAccessible::doAction(const QString &actionName)
{
    if (!isValid() || actionName != QAccessibleActionInterface::setFocusAction())
        return;
    m_view->setCurrentIndex(m_index);
    m_view->setFocus(Qt::OtherFocusReason);
}
