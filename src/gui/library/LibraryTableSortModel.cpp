#include "gui/library/LibraryTableSortModel.h"

#include "library/Library.h"

#include <QCollator>
#include <QStringList>

namespace {

// The library's length column.
constexpr int kLengthColumn = 2;

} // namespace

LibraryTableSortModel::LibraryTableSortModel(QObject *parent) : QSortFilterProxyModel(parent)
{
    setDynamicSortFilter(true);
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
    const double progress = index.data(Library::ProgressRole).toDouble();
    return progress <= 0.0 && index.data(Library::WatchedCountRole).toInt() > 0 ? 2.0 : progress;
}

bool LibraryTableSortModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const QString a = left.data().toString();
    const QString b = right.data().toString();
    if (left.column() == kLengthColumn)
        return seconds(a) < seconds(b);
    if (left.column() == Library::ProgressColumn)
        return progressKey(left) < progressKey(right);
    static thread_local QCollator collator = [] {
        QCollator made;
        made.setCaseSensitivity(Qt::CaseInsensitive);
        made.setNumericMode(true);
        return made;
    }();
    return collator.compare(a, b) < 0;
}
