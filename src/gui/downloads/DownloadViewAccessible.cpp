#include "gui/downloads/DownloadViewAccessible.h"

#include "gui/downloads/DownloadRowAccessible.h"
#include "gui/downloads/DownloadView.h"

#include <QItemSelectionModel>

namespace {

QAccessibleInterface *downloadViewFactory(const QString &className, QObject *object)
{
    if (className != QLatin1String("DownloadView"))
        return nullptr;
    auto *view = qobject_cast<DownloadView *>(object);
    return view ? new DownloadViewAccessible(view) : nullptr;
}

} // namespace

DownloadViewAccessible::DownloadViewAccessible(DownloadView *view)
    : QAccessibleWidget(view, QAccessible::List)
{
}

DownloadViewAccessible::~DownloadViewAccessible()
{
    forgetRows();
}

void DownloadViewAccessible::install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(downloadViewFactory);
}

DownloadView *DownloadViewAccessible::view() const
{
    return static_cast<DownloadView *>(widget());
}

void *DownloadViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

int DownloadViewAccessible::rowCount() const
{
    const QAbstractItemModel *model = view()->model();
    return model ? model->rowCount(view()->rootIndex()) : 0;
}

int DownloadViewAccessible::childCount() const
{
    return rowCount();
}

DownloadRowAccessible *DownloadViewAccessible::row(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    if (const QAccessible::Id id = m_rows.value(row)) {
        auto *known = static_cast<DownloadRowAccessible *>(QAccessible::accessibleInterface(id));
        if (known && known->isValid() && known->index().row() == row)
            return known;
        // Its row moved (the framework's cache keeps it until the next
        // change of the rows): this row gets one of its own.
        m_rows.remove(row);
    }
    auto *made = new DownloadRowAccessible(view(), view()->model()->index(row, 0));
    m_rows.insert(row, QAccessible::registerAccessibleInterface(made));
    return made;
}

QAccessibleInterface *DownloadViewAccessible::child(int index) const
{
    return row(index);
}

QAccessibleInterface *DownloadViewAccessible::cellAt(int row, int column) const
{
    return column == 0 ? this->row(row) : nullptr;
}

int DownloadViewAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || child->role() != QAccessible::ListItem || child->object())
        return -1;
    const auto *card = static_cast<const DownloadRowAccessible *>(child);
    return card->view() == view() && card->isValid() ? card->index().row() : -1;
}

QAccessibleInterface *DownloadViewAccessible::childAt(int x, int y) const
{
    const QModelIndex index = view()->indexAt(view()->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? row(index.row()) : nullptr;
}

QAccessibleInterface *DownloadViewAccessible::focusChild() const
{
    if (!view()->hasFocus())
        return QAccessibleWidget::focusChild();
    const QModelIndex current = view()->currentIndex();
    return current.isValid() ? row(current.row()) : nullptr;
}

QList<QAccessibleInterface *> DownloadViewAccessible::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    for (const int selected : selectedRows())
        cells << row(selected);
    return cells;
}

QString DownloadViewAccessible::rowDescription(int row) const
{
    DownloadRowAccessible *card = this->row(row);
    return card ? card->text(QAccessible::Description) : QString();
}

QList<int> DownloadViewAccessible::selectedRows() const
{
    QList<int> rows;
    if (const QItemSelectionModel *selection = view()->selectionModel()) {
        for (const QModelIndex &index : selection->selectedRows())
            rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool DownloadViewAccessible::isRowSelected(int row) const
{
    const QItemSelectionModel *selection = view()->selectionModel();
    return selection && selection->isRowSelected(row, view()->rootIndex());
}

bool DownloadViewAccessible::selectRow(int row)
{
    if (row < 0 || row >= rowCount())
        return false;
    view()->setCurrentIndex(view()->model()->index(row, 0));
    return true;
}

bool DownloadViewAccessible::unselectRow(int row)
{
    if (!isRowSelected(row))
        return false;
    view()->clearSelection();
    return true;
}

void DownloadViewAccessible::modelChange(QAccessibleTableModelChangeEvent *)
{
    // Rows came or went: the cards are handed out afresh.
    forgetRows();
}

void DownloadViewAccessible::forgetRows()
{
    const QList<QAccessible::Id> ids = m_rows.values();
    m_rows.clear();
    for (const QAccessible::Id id : ids) {
        if (QAccessible::accessibleInterface(id))
            QAccessible::deleteAccessibleInterface(id);
    }
}
