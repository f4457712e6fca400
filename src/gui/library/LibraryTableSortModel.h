#pragma once

#include "library/RowMapProxyModel.h"

#include <QHash>
#include <QIcon>

// The order of the detail table, by whichever column's header was clicked,
// without touching the order of the tile list beside it: names in the
// user's language's order, lengths by their seconds. A video whose file is
// gone has a warning sign and "File missing" beside its name. Until a header
// is clicked the rows keep the source's order.
class LibraryTableSortModel : public RowMapProxyModel
{
    Q_OBJECT

public:
    explicit LibraryTableSortModel(QObject *parent = nullptr);

    // Seconds of a length such as "45", "1:05" or "1:02:03" (-1 when empty).
    static int seconds(const QString &length);
    // Sort key of the Progress column.
    static double progressKey(const QModelIndex &index);
    // Whether `left` comes before `right` in ascending order of their column.
    static bool sortsBefore(const QModelIndex &left, const QModelIndex &right);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // By a column (-1: the source's order); rows that compare equal keep the
    // source's order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // Draws the missing-file marks again (once the library model forgot
    // what it saw of the files).
    void refreshFileMarks();

protected:
    bool isOrdered() const override { return m_sortColumn >= 0; }
    bool lessThan(int sourceRowA, int sourceRowB) const override;

private:
    bool isFileMissing(const QModelIndex &index) const;

    QIcon m_missingIcon;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
