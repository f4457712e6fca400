#include "gui/downloads/DownloadButtonAccessible.h"

#include "gui/downloads/DownloadView.h"

DownloadButtonAccessible::DownloadButtonAccessible(DownloadView *view, const QModelIndex &index,
                                                   DownloadCard::Action action)
    : ItemButtonAccessible(view, index), m_action(action)
{
}

DownloadView *DownloadButtonAccessible::view() const
{
    return static_cast<DownloadView *>(itemView());
}

bool DownloadButtonAccessible::isValid() const
{
    // A button the card no longer shows (Resume once running) is gone.
    return itemIsValid() && view()->actions(index()).contains(m_action);
}

QString DownloadButtonAccessible::text(QAccessible::Text t) const
{
    return t == QAccessible::Name ? DownloadCard::actionName(m_action) : QString();
}

QRect DownloadButtonAccessible::buttonRect() const
{
    return view()->buttonRect(index(), m_action);
}

bool DownloadButtonAccessible::hasKeyboardFocus() const
{
    return view()->hasFocus() && view()->currentIndex() == index() &&
           view()->keyboardAction() == m_action;
}

QStringList DownloadButtonAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName != QAccessibleActionInterface::pressAction())
        return {};
    if (m_action == DownloadCard::Cancel || m_action == DownloadCard::Remove)
        return {QStringLiteral("Delete")};
    return {};
}

std::function<void(const QModelIndex &)> DownloadButtonAccessible::pressed() const
{
    DownloadView *view = this->view();
    const DownloadCard::Action action = m_action;
    return [view, action](const QModelIndex &index) { view->trigger(index, action); };
}
