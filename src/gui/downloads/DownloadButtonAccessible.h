#pragma once

#include "gui/downloads/DownloadCard.h"

#include <QAccessible>
#include <QPersistentModelIndex>
#include <QPointer>

class DownloadView;

// A button of a download card (Play, Pause, Resume, Cancel, Retry, Sign In,
// Remove) for screen readers: pressing it does what a click does.
class DownloadButtonAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    DownloadButtonAccessible(DownloadView *view, const QModelIndex &index,
                             DownloadCard::Action action);

    DownloadCard::Action action() const { return m_action; }

    void *interface_cast(QAccessible::InterfaceType type) override;
    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    QPointer<DownloadView> m_view;
    QPersistentModelIndex m_index;
    DownloadCard::Action m_action;
};
