#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>

#include <memory>

class ItemAccessible;
class ItemChangeNotices;
class QAbstractItemView;

// What a screen reader sees of a list whose items are painted: a list of
// items (rows, with the table interface for row counts, cells and
// selection), each item with the buttons drawn on it as children. The
// framework's own list interface lists the rows only, so the buttons of an
// item could not be found by walking the tree. A page makes the interface
// of its own items in makeItem().
class ItemViewAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit ItemViewAccessible(QAbstractItemView *view);
    ~ItemViewAccessible() override;

    QAbstractItemView *itemView() const;
    // The interface of a row's item (nullptr for a bad row).
    ItemAccessible *item(int row) const;
    // The interface of a row's item if one was handed out already (else nullptr).
    ItemAccessible *handedOut(int row) const;

    void *interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    // QAccessibleTableInterface: one column, a row per item.
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override { return selectedRowCount(); }
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int) const override { return QString(); }
    QString rowDescription(int row) const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    int columnCount() const override { return 1; }
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

protected:
    // Makes every `View` (by its class, not its subclasses) use the list
    // interface `Interface`, made from the view (once per program).
    template <typename View, typename Interface> static void installFor()
    {
        static const bool installed = [] {
            QAccessible::installFactory(
                [](const QString &className, QObject *object) -> QAccessibleInterface * {
                    if (className != QLatin1String(View::staticMetaObject.className()))
                        return nullptr;
                    auto *view = qobject_cast<View *>(object);
                    return view ? new Interface(view) : nullptr;
                });
            return true;
        }();
        Q_UNUSED(installed);
    }

    // The interface of the item at `index` (a row of the view's model), new
    // and not registered yet: the list registers it with the framework's
    // cache, which owns it from then on.
    virtual ItemAccessible *makeItem(const QModelIndex &index) const = 0;
    // From now on, screen readers hear of changes of the items handed out
    // (see ItemChangeNotices), of the description at most once per interval.
    void tellChanges(int intervalMs);

private:
    void forgetItems();

    // The items handed out, by row (registered with the framework's cache).
    mutable QHash<int, QAccessible::Id> m_items;
    std::unique_ptr<ItemChangeNotices> m_notices;
};
