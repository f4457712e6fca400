#pragma once

#include "gui/downloads/DownloadCard.h"

#include <QAccessible>
#include <QHash>
#include <QPersistentModelIndex>
#include <QPointer>

class DownloadView;

// One card of the downloads list for screen readers: a list item named
// after its video and described by its status, transfer line and failure,
// with the card's buttons as children.
class DownloadRowAccessible : public QAccessibleInterface,
                              public QAccessibleTableCellInterface,
                              public QAccessibleActionInterface
{
public:
    DownloadRowAccessible(DownloadView *view, const QModelIndex &index);
    ~DownloadRowAccessible() override;

    DownloadView *view() const { return m_view; }
    QModelIndex index() const { return m_index; }

    void *interface_cast(QAccessible::InterfaceType type) override;
    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;

    // QAccessibleTableCellInterface
    bool isSelected() const override;
    int columnExtent() const override { return 1; }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowExtent() const override { return 1; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int rowIndex() const override { return m_index.row(); }
    QAccessibleInterface *table() const override { return parent(); }

    // QAccessibleActionInterface: giving a card the focus makes it current.
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    DownloadCard::Actions actions() const;

    QPointer<DownloadView> m_view;
    QPersistentModelIndex m_index;
    // The buttons handed out, by action (registered with the framework's cache).
    mutable QHash<int, QAccessible::Id> m_buttons;
};
