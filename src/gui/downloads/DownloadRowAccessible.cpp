#include "gui/downloads/DownloadRowAccessible.h"

#include "gui/downloads/DownloadButtonAccessible.h"
#include "gui/downloads/DownloadView.h"

#include <QItemSelectionModel>
#include <QWindow>

DownloadRowAccessible::DownloadRowAccessible(DownloadView *view, const QModelIndex &index)
    : m_view(view), m_index(index)
{
}

DownloadRowAccessible::~DownloadRowAccessible()
{
    for (const QAccessible::Id id : std::as_const(m_buttons)) {
        if (QAccessible::accessibleInterface(id))
            QAccessible::deleteAccessibleInterface(id);
    }
}

void *DownloadRowAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface *>(this);
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

bool DownloadRowAccessible::isValid() const
{
    return m_view && m_index.isValid() && m_index.model() == m_view->model();
}

QWindow *DownloadRowAccessible::window() const
{
    return m_view ? m_view->window()->windowHandle() : nullptr;
}

QAccessibleInterface *DownloadRowAccessible::parent() const
{
    return m_view ? QAccessible::queryAccessibleInterface(m_view.data()) : nullptr;
}

DownloadCard::Actions DownloadRowAccessible::actions() const
{
    return isValid() ? m_view->actions(m_index) : DownloadCard::Actions();
}

int DownloadRowAccessible::childCount() const
{
    return int(actions().size());
}

QAccessibleInterface *DownloadRowAccessible::child(int index) const
{
    const DownloadCard::Actions offered = actions();
    if (index < 0 || index >= offered.size())
        return nullptr;
    const DownloadCard::Action action = offered.at(index);
    if (const QAccessible::Id id = m_buttons.value(action)) {
        if (QAccessibleInterface *known = QAccessible::accessibleInterface(id))
            return known;
    }
    auto *made = new DownloadButtonAccessible(m_view, m_index, action);
    m_buttons.insert(action, QAccessible::registerAccessibleInterface(made));
    return made;
}

int DownloadRowAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || child->role() != QAccessible::Button || child->object())
        return -1;
    const auto *button = static_cast<const DownloadButtonAccessible *>(child);
    if (m_buttons.value(button->action()) !=
        QAccessible::uniqueId(const_cast<QAccessibleInterface *>(child)))
        return -1;
    return int(actions().indexOf(button->action()));
}

QAccessibleInterface *DownloadRowAccessible::childAt(int x, int y) const
{
    for (int i = 0; i < childCount(); ++i) {
        QAccessibleInterface *button = child(i);
        if (button && button->rect().contains(x, y))
            return button;
    }
    return nullptr;
}

QString DownloadRowAccessible::text(QAccessible::Text t) const
{
    if (!isValid())
        return QString();
    switch (t) {
    case QAccessible::Name:
        return m_index.data(Qt::AccessibleTextRole).toString();
    case QAccessible::Description:
        return m_index.data(Qt::AccessibleDescriptionRole).toString();
    default:
        return QString();
    }
}

QRect DownloadRowAccessible::rect() const
{
    if (!isValid())
        return QRect();
    const QRect area = m_view->visualRect(m_index);
    return QRect(m_view->viewport()->mapToGlobal(area.topLeft()), area.size());
}

QAccessible::State DownloadRowAccessible::state() const
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

bool DownloadRowAccessible::isSelected() const
{
    return isValid() && m_view->selectionModel() && m_view->selectionModel()->isSelected(m_index);
}

QStringList DownloadRowAccessible::actionNames() const
{
    return {QAccessibleActionInterface::setFocusAction()};
}

void DownloadRowAccessible::doAction(const QString &actionName)
{
    if (!isValid() || actionName != QAccessibleActionInterface::setFocusAction())
        return;
    m_view->setCurrentIndex(m_index);
    m_view->setFocus(Qt::OtherFocusReason);
}
