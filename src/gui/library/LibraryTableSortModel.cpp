#include "gui/library/LibraryTableSortModel.h"

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

bool LibraryTableSortModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const QString a = left.data().toString();
    const QString b = right.data().toString();
    if (left.column() == kLengthColumn)
        return seconds(a) < seconds(b);
    static thread_local QCollator collator = [] {
        QCollator made;
        made.setCaseSensitivity(Qt::CaseInsensitive);
        made.setNumericMode(true);
        return made;
    }();
    return collator.compare(a, b) < 0;
}
