#pragma once

#include "gui/common/ItemButtonAccessible.h"
#include "gui/downloads/DownloadCard.h"

class DownloadView;

// A button of a download card (Play, Pause, Resume, Cancel, Retry, Sign In,
// Remove) for screen readers: pressing it does what a click does.
class DownloadButtonAccessible : public ItemButtonAccessible
{
public:
    DownloadButtonAccessible(DownloadView *view, const QModelIndex &index,
                             DownloadCard::Action action);

    DownloadCard::Action action() const { return m_action; }

    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

protected:
    QRect buttonRect() const override;
    bool hasKeyboardFocus() const override;
    std::function<void(const QModelIndex &)> pressed() const override;

private:
    DownloadView *view() const;

    DownloadCard::Action m_action;
};
