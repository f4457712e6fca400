#include "gui/common/ItemViewAccessible.h"

#include "gui/common/ItemAccessible.h"
#include "gui/common/ItemChangeNotices.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

#include <algorithm>

ItemViewAccessible::ItemViewAccessible(QAbstractItemView *view)
    : QAccessibleWidget(view, QAccessible::List)
{
}

ItemViewAccessible::~ItemViewAccessible()
{
    forgetItems();
}

QAbstractItemView *ItemViewAccessible::itemView() const
{
    return static_cast<QAbstractItemView *>(widget());
}

void *ItemViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

int ItemViewAccessible::rowCount() const
{
    const QAbstractItemModel *model = itemView()->model();
    return model ? model->rowCount(itemView()->rootIndex()) : 0;
}

int ItemViewAccessible::childCount() const
{
    return rowCount();
}

void ItemViewAccessible::tellChanges(int intervalMs)
{
    m_notices = std::make_unique<ItemChangeNotices>(
        itemView(), [this](int row) { return handedOut(row); }, intervalMs);
}

ItemAccessible *ItemViewAccessible::handedOut(int row) const
{
    const QAccessible::Id id = m_items.value(row);
    auto *known =
        id ? static_cast<ItemAccessible *>(QAccessible::accessibleInterface(id)) : nullptr;
    return known && known->isValid() && known->index().row() == row ? known : nullptr;
}

ItemAccessible *ItemViewAccessible::item(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    if (ItemAccessible *known = handedOut(row))
        return known;
    // None yet, or its row moved (the framework's cache keeps it until the
    // next change of the rows): this row gets an item of its own.
    m_items.remove(row);
    QAbstractItemView *view = itemView();
    ItemAccessible *made = makeItem(view->model()->index(row, 0, view->rootIndex()));
    const QAccessible::Id id = QAccessible::registerAccessibleInterface(made);
    m_items.insert(row, id);
    if (m_notices)
        m_notices->handedOut(id, made);
    return made;
}

QAccessibleInterface *ItemViewAccessible::child(int index) const
{
    return item(index);
}

QAccessibleInterface *ItemViewAccessible::cellAt(int row, int column) const
{
    return column == 0 ? item(row) : nullptr;
}

int ItemViewAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    // Other lists' cells are list items without an object too.
    const auto *known = dynamic_cast<const ItemAccessible *>(child);
    if (!known || known->itemView() != itemView() || !known->isValid())
        return -1;
    return known->index().row();
}

QAccessibleInterface *ItemViewAccessible::childAt(int x, int y) const
{
    QAbstractItemView *view = itemView();
    const QModelIndex index = view->indexAt(view->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? item(index.row()) : nullptr;
}

QAccessibleInterface *ItemViewAccessible::focusChild() const
{
    if (!itemView()->hasFocus())
        return QAccessibleWidget::focusChild();
    const QModelIndex current = itemView()->currentIndex();
    return current.isValid() ? item(current.row()) : nullptr;
}

QList<QAccessibleInterface *> ItemViewAccessible::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    for (const int row : selectedRows())
        cells << item(row);
    return cells;
}

QString ItemViewAccessible::rowDescription(int row) const
{
    ItemAccessible *found = item(row);
    return found ? found->text(QAccessible::Description) : QString();
}

QList<int> ItemViewAccessible::selectedRows() const
{
    QList<int> rows;
    if (const QItemSelectionModel *selection = itemView()->selectionModel()) {
        for (const QModelIndex &index : selection->selectedRows())
            rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool ItemViewAccessible::isRowSelected(int row) const
{
    const QItemSelectionModel *selection = itemView()->selectionModel();
    return selection && selection->isRowSelected(row, itemView()->rootIndex());
}

bool ItemViewAccessible::selectRow(int row)
{
    if (row < 0 || row >= rowCount())
        return false;
    QAbstractItemView *view = itemView();
    view->setCurrentIndex(view->model()->index(row, 0, view->rootIndex()));
    return true;
}

bool ItemViewAccessible::unselectRow(int row)
{
    if (!isRowSelected(row))
        return false;
    itemView()->clearSelection();
    return true;
}

void ItemViewAccessible::modelChange(QAccessibleTableModelChangeEvent *event)
{
    // A row whose data changed keeps its item (a screen reader may hold it,
    // and a transfer changes its row several times a second); rows that
    // came, went or moved get their items afresh.
    if (event->modelChangeType() == QAccessibleTableModelChangeEvent::DataChanged)
        return;
    forgetItems();
}

void ItemViewAccessible::forgetItems()
{
    const QList<QAccessible::Id> ids = m_items.values();
    m_items.clear();
    if (m_notices)
        m_notices->forgetAll();
    for (const QAccessible::Id id : ids) {
        if (QAccessible::accessibleInterface(id))
            QAccessible::deleteAccessibleInterface(id);
    }
}
