#pragma once

#include <QSortFilterProxyModel>

// Sorts a metadata list with its "All" row kept on top in both orders.
class MetaDataFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit MetaDataFilterModel(QObject *parent = nullptr);

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;
};
