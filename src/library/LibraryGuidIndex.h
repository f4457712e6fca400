#pragma once

#include "library/LibraryStore.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

// The stored rows counted by site guid, for the "already in the library?"
// question asked on the window's thread. Once every row is shown, the rows
// going in and out count their guids. While the first read comes, the
// guids read ahead of it (every stored row's, by id) are kept up to date
// from the store's signals instead, since the rows they tell of may not be
// shown yet.
class LibraryGuidIndex
{
public:
    using Row = QList<QVariant>;

    // The guids of every stored row, read before the first read's rows.
    void takeStored(LibraryStore::Guids guids);
    // True while the guids read ahead are kept (the first read is coming).
    bool isTracking() const { return m_tracking; }
    // The rows the first read will bring, as counted with the guids.
    qsizetype expectedRows() const { return m_expectedRows; }
    // Rows the store wrote or removed while the first read comes.
    void trackStored(const QList<Row> &rows);
    void trackRemoved(const QList<qlonglong> &ids);
    // The first read is in: the rows shown count from now on.
    void stopTracking();

    // A shown row came (+1) or went (-1); nothing while tracking.
    void countRow(const Row &row, int delta);
    // The shown rows are replaced: their counts go (unless tracking).
    void clearShown();
    // `encodedGuid` as stored (LibraryItem::encode).
    bool contains(const QString &encodedGuid) const { return m_counts.contains(encodedGuid); }

private:
    void add(const QString &guid, int delta);

    // Rows per stored guid.
    QHash<QString, int> m_counts;
    // While tracking: the guid of every stored row by id (rows without one left out).
    QHash<qlonglong, QString> m_byId;
    bool m_tracking = false;
    qsizetype m_expectedRows = 0;
};
