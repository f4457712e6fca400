#pragma once

#include <QAccessible>
#include <QHash>
#include <QList>
#include <QPersistentModelIndex>
#include <QPointer>

class ItemButtonAccessible;
class QAbstractItemView;

// One painted item of a list for screen readers: a list item (a cell of the
// list's one column) with the buttons drawn on it as children; giving it the
// focus makes it the list's current item. A page tells the item's texts and
// which buttons it has, and makes the interface of each button.
class ItemAccessible : public QAccessibleInterface,
                       public QAccessibleTableCellInterface,
                       public QAccessibleActionInterface
{
public:
    ItemAccessible(QAbstractItemView *view, const QModelIndex &index);
    ~ItemAccessible() override;

    QAbstractItemView *itemView() const { return m_view; }
    QModelIndex index() const { return m_index; }
    // The buttons it shows now, by number (none while it is not valid).
    QList<int> shownButtons() const { return isValid() ? buttons() : QList<int>(); }

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

    // QAccessibleActionInterface: giving an item the focus makes it current.
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

protected:
    // What the item is called and what it tells besides (asked of a valid item only).
    virtual QString name() const = 0;
    virtual QString description() const = 0;
    // The buttons the item shows now, in their order, each by a number of
    // the page's own that names it (the same button keeps its number).
    virtual QList<int> buttons() const = 0;
    // The interface of the button numbered `button`, new and not registered
    // yet: the item registers it with the framework's cache, which owns it.
    virtual ItemButtonAccessible *makeButton(int button) const = 0;

private:
    QPointer<QAbstractItemView> m_view;
    QPersistentModelIndex m_index;
    // The buttons handed out, by number (registered with the framework's cache).
    mutable QHash<int, QAccessible::Id> m_buttons;
};
