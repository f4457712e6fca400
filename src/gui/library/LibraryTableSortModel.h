#pragma once

#include <QSortFilterProxyModel>

// The order of the detail table, by whichever column's header was clicked,
// without touching the order of the tile list beside it: names in the
// user's language's order, lengths by their seconds.
class LibraryTableSortModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit LibraryTableSortModel(QObject *parent = nullptr);

    // Seconds of a length such as "45", "1:05" or "1:02:03" (-1 when empty).
    static int seconds(const QString &length);
    // Sort key of the Progress column.
    static double progressKey(const QModelIndex &index);

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;
};
