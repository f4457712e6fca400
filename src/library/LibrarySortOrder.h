#pragma once

#include <QList>
#include <QVariant>

// The library's one sort order for rows as the store reads them (lists of
// column values by LibraryStore::Column): what the window puts in place by
// itself matches the store's ORDER BY.
class LibrarySortOrder
{
public:
    // Sorts by played share rather than by a stored column.
    static constexpr int ProgressSort = 1000;

    LibrarySortOrder() = default;
    LibrarySortOrder(int column, Qt::SortOrder order) : m_column(column), m_order(order) {}

    int column() const { return m_column; }
    Qt::SortOrder order() const { return m_order; }
    // True when `a` comes before `b` (ties by id).
    bool before(const QList<QVariant> &a, const QList<QVariant> &b) const;

    // The row's table id, read in place.
    static qlonglong idOfRow(const QList<QVariant> &row);
    // Played share of a row's video; one watched to the end counts as more
    // than any started one.
    static double progressOf(const QList<QVariant> &row);
    // The order SQLite's ORDER BY gives two column values.
    static int compareValues(const QVariant &a, const QVariant &b);

private:
    int m_column = -1;
    Qt::SortOrder m_order = Qt::AscendingOrder;
};
