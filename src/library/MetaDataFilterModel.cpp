#include "library/MetaDataFilterModel.h"

#include <QRegularExpression>

namespace {

bool isAllRow(const QModelIndex &index)
{
    static const QRegularExpression pattern(
        QRegularExpression::wildcardToRegularExpression(QStringLiteral("All (*)")));
    return pattern.match(index.data().toString()).hasMatch();
}

} // namespace

MetaDataFilterModel::MetaDataFilterModel(QObject *parent) : QSortFilterProxyModel(parent) {}

bool MetaDataFilterModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const bool ascending = sortOrder() == Qt::AscendingOrder;
    if (isAllRow(left))
        return ascending;
    if (isAllRow(right))
        return !ascending;
    return QSortFilterProxyModel::lessThan(left, right);
}
