#include "gui/library/LibraryTableSortModel.h"

#include "gui/mainwindow/Artwork.h"
#include "library/Library.h"
#include "library/LibraryItem.h"
#include "library/LibraryModel.h"

#include <QCollator>
#include <QStringList>

namespace {

// The library's name and length columns.
constexpr int kNameColumn = 1;
constexpr int kLengthColumn = 2;

} // namespace

LibraryTableSortModel::LibraryTableSortModel(QObject *parent) : RowMapProxyModel(parent)
{
    m_missingIcon.addPixmap(Artwork::pixmap(QStringLiteral(":/images/alert.png")));
}

QVariant LibraryTableSortModel::data(const QModelIndex &index, int role) const
{
    const bool aboutTheFile = role == Qt::DecorationRole || role == Qt::ToolTipRole ||
                              role == Qt::AccessibleDescriptionRole;
    if (!aboutTheFile || index.column() != kNameColumn || !isFileMissing(index))
        return RowMapProxyModel::data(index, role);
    if (role == Qt::DecorationRole)
        return m_missingIcon;
    return tr("File missing");
}

bool LibraryTableSortModel::isFileMissing(const QModelIndex &index) const
{
    return index.siblingAtColumn(0).data(LibraryModel::FileMissingRole).toBool();
}

void LibraryTableSortModel::refreshFileMarks()
{
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, kNameColumn), index(rowCount() - 1, kNameColumn),
                           {Qt::DecorationRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
}

int LibraryTableSortModel::seconds(const QString &length)
{
    const QStringList parts = length.trimmed().split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return -1;
    int total = 0;
    for (const QString &part : parts)
        total = total * 60 + int(part.toDouble());
    return total;
}

// Played share; a video watched to the end after every started one.
double LibraryTableSortModel::progressKey(const QModelIndex &index)
{
    const double progress = index.data(LibraryModel::ProgressRole).toDouble();
    return progress <= 0.0 && index.data(LibraryModel::WatchedCountRole).toInt() > 0 ? 2.0
                                                                                     : progress;
}

void LibraryTableSortModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0)
        order = Qt::AscendingOrder;
    if (column == m_sortColumn && order == m_sortOrder)
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    remap();
}

bool LibraryTableSortModel::lessThan(int sourceRowA, int sourceRowB) const
{
    const QModelIndex a = sourceModel()->index(sourceRowA, m_sortColumn);
    const QModelIndex b = sourceModel()->index(sourceRowB, m_sortColumn);
    return m_sortOrder == Qt::AscendingOrder ? sortsBefore(a, b) : sortsBefore(b, a);
}

bool LibraryTableSortModel::sortsBefore(const QModelIndex &left, const QModelIndex &right)
{
    const QString a = left.data().toString();
    const QString b = right.data().toString();
    if (left.column() == kLengthColumn)
        return seconds(a) < seconds(b);
    if (left.column() == LibraryModel::ProgressColumn)
        return progressKey(left) < progressKey(right);
    static thread_local QCollator collator = [] {
        QCollator made;
        made.setCaseSensitivity(Qt::CaseInsensitive);
        made.setNumericMode(true);
        return made;
    }();
    return collator.compare(a, b) < 0;
}
