#include "gui/downloads/DownloadButtonAccessible.h"

#include "gui/downloads/DownloadView.h"

#include <QTimer>
#include <QWindow>

DownloadButtonAccessible::DownloadButtonAccessible(DownloadView *view, const QModelIndex &index,
                                                   DownloadCard::Action action)
    : m_view(view), m_index(index), m_action(action)
{
}

void *DownloadButtonAccessible::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this)
                                                : nullptr;
}

bool DownloadButtonAccessible::isValid() const
{
    // A button the card no longer shows (Resume once running) is gone.
    return m_view && m_index.isValid() && m_index.model() == m_view->model() &&
           m_view->actions(m_index).contains(m_action);
}

QWindow *DownloadButtonAccessible::window() const
{
    return m_view ? m_view->window()->windowHandle() : nullptr;
}

QAccessibleInterface *DownloadButtonAccessible::parent() const
{
    if (!m_view || !m_index.isValid())
        return nullptr;
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(m_view.data());
    return list ? list->child(m_index.row()) : nullptr;
}

QString DownloadButtonAccessible::text(QAccessible::Text t) const
{
    return t == QAccessible::Name ? DownloadCard::actionName(m_action) : QString();
}

QRect DownloadButtonAccessible::rect() const
{
    if (!isValid())
        return QRect();
    const QRect button = m_view->buttonRect(m_index, m_action);
    return QRect(m_view->viewport()->mapToGlobal(button.topLeft()), button.size());
}

QAccessible::State DownloadButtonAccessible::state() const
{
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    state.focusable = true;
    state.focused = m_view->hasFocus() && m_view->currentIndex() == QModelIndex(m_index) &&
                    m_view->keyboardAction() == m_action;
    if (!m_view->isVisible() ||
        !m_view->viewport()->rect().intersects(m_view->buttonRect(m_index, m_action))) {
        state.invisible = true;
        state.offscreen = true;
    }
    return state;
}

QStringList DownloadButtonAccessible::actionNames() const
{
    return {QAccessibleActionInterface::pressAction()};
}

QStringList DownloadButtonAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName != QAccessibleActionInterface::pressAction())
        return {};
    if (m_action == DownloadCard::Cancel || m_action == DownloadCard::Remove)
        return {QStringLiteral("Delete")};
    return {};
}

void DownloadButtonAccessible::doAction(const QString &actionName)
{
    if (!isValid() || actionName != QAccessibleActionInterface::pressAction())
        return;
    // Later, from the event loop: a press that asks a question must not hold
    // up the screen reader's call.
    const QPersistentModelIndex index = m_index;
    const DownloadCard::Action action = m_action;
    DownloadView *view = m_view;
    QTimer::singleShot(0, view, [view, index, action] {
        if (!index.isValid() || index.model() != view->model())
            return;
        view->setCurrentIndex(index);
        view->trigger(index, action);
    });
}
