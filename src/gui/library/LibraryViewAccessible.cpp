#include "gui/library/LibraryViewAccessible.h"

#include "gui/library/LibraryTileAccessible.h"
#include "gui/library/LibraryView.h"

#include <QItemSelectionModel>

namespace {

QAccessibleInterface *libraryViewFactory(const QString &className, QObject *object)
{
    if (className != QLatin1String("LibraryView"))
        return nullptr;
    auto *view = qobject_cast<LibraryView *>(object);
    return view ? new LibraryViewAccessible(view) : nullptr;
}

} // namespace

LibraryViewAccessible::LibraryViewAccessible(LibraryView *view)
    : QAccessibleWidget(view, QAccessible::List)
{
}

LibraryViewAccessible::~LibraryViewAccessible()
{
    forgetTiles();
}

void LibraryViewAccessible::install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(libraryViewFactory);
}

LibraryView *LibraryViewAccessible::view() const
{
    return static_cast<LibraryView *>(widget());
}

void *LibraryViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

int LibraryViewAccessible::rowCount() const
{
    const QAbstractItemModel *model = view()->model();
    return model ? model->rowCount(view()->rootIndex()) : 0;
}

int LibraryViewAccessible::childCount() const
{
    return rowCount();
}

LibraryTileAccessible *LibraryViewAccessible::tile(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    if (const QAccessible::Id id = m_tiles.value(row)) {
        auto *known = static_cast<LibraryTileAccessible *>(QAccessible::accessibleInterface(id));
        if (known && known->isValid() && known->index().row() == row)
            return known;
        // Its row moved (the framework's cache keeps it until the next
        // change of the rows); this row gets a tile of its own.
        m_tiles.remove(row);
    }
    auto *made = new LibraryTileAccessible(view(), view()->model()->index(row, 0));
    m_tiles.insert(row, QAccessible::registerAccessibleInterface(made));
    return made;
}

QAccessibleInterface *LibraryViewAccessible::child(int index) const
{
    return tile(index);
}

QAccessibleInterface *LibraryViewAccessible::cellAt(int row, int column) const
{
    return column == 0 ? tile(row) : nullptr;
}

int LibraryViewAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || child->role() != QAccessible::ListItem || child->object())
        return -1;
    const auto *tile = static_cast<const LibraryTileAccessible *>(child);
    return tile->view() == view() && tile->isValid() ? tile->index().row() : -1;
}

QAccessibleInterface *LibraryViewAccessible::childAt(int x, int y) const
{
    const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = view()->indexAt(at);
    return index.isValid() ? tile(index.row()) : nullptr;
}

QAccessibleInterface *LibraryViewAccessible::focusChild() const
{
    if (!view()->hasFocus())
        return QAccessibleWidget::focusChild();
    const QModelIndex current = view()->currentIndex();
    return current.isValid() ? tile(current.row()) : nullptr;
}

int LibraryViewAccessible::selectedCellCount() const
{
    return selectedRowCount();
}

QList<QAccessibleInterface *> LibraryViewAccessible::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    for (int row : selectedRows())
        cells << tile(row);
    return cells;
}

QString LibraryViewAccessible::columnDescription(int) const
{
    return QString();
}

QString LibraryViewAccessible::rowDescription(int row) const
{
    LibraryTileAccessible *found = tile(row);
    return found ? found->text(QAccessible::Description) : QString();
}

int LibraryViewAccessible::selectedRowCount() const
{
    return int(selectedRows().size());
}

QList<int> LibraryViewAccessible::selectedRows() const
{
    QList<int> rows;
    if (const QItemSelectionModel *selection = view()->selectionModel()) {
        for (const QModelIndex &index : selection->selectedRows())
            rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool LibraryViewAccessible::isRowSelected(int row) const
{
    const QItemSelectionModel *selection = view()->selectionModel();
    return selection && selection->isRowSelected(row, view()->rootIndex());
}

bool LibraryViewAccessible::selectRow(int row)
{
    if (row < 0 || row >= rowCount())
        return false;
    view()->setCurrentIndex(view()->model()->index(row, 0));
    return true;
}

bool LibraryViewAccessible::unselectRow(int row)
{
    if (!isRowSelected(row))
        return false;
    view()->clearSelection();
    return true;
}

void LibraryViewAccessible::modelChange(QAccessibleTableModelChangeEvent *)
{
    // Rows came, went or moved: the tiles are handed out afresh.
    forgetTiles();
}

void LibraryViewAccessible::forgetTiles()
{
    const QList<QAccessible::Id> ids = m_tiles.values();
    m_tiles.clear();
    for (QAccessible::Id id : ids) {
        if (QAccessible::accessibleInterface(id))
            QAccessible::deleteAccessibleInterface(id);
    }
}
