#include "library/LibraryGuidIndex.h"

#include "library/LibrarySortOrder.h"

void LibraryGuidIndex::takeStored(LibraryStore::Guids guids)
{
    m_counts = std::move(guids.counts);
    m_byId = std::move(guids.byId);
    m_tracking = true;
    m_expectedRows = guids.rows;
}

void LibraryGuidIndex::trackStored(const QList<Row> &rows)
{
    if (!m_tracking)
        return;
    for (const Row &row : rows) {
        const qlonglong id = LibrarySortOrder::idOfRow(row);
        const QString guid = row.value(LibraryStore::Guid).toString();
        const QString old = m_byId.value(id);
        if (old == guid)
            continue;
        if (!old.isEmpty())
            add(old, -1);
        if (guid.isEmpty()) {
            m_byId.remove(id);
        } else {
            add(guid, 1);
            m_byId.insert(id, guid);
        }
    }
}

void LibraryGuidIndex::trackRemoved(const QList<qlonglong> &ids)
{
    if (!m_tracking)
        return;
    for (const qlonglong id : ids) {
        const QString old = m_byId.take(id);
        if (!old.isEmpty())
            add(old, -1);
    }
}

void LibraryGuidIndex::stopTracking()
{
    m_tracking = false;
    m_byId = {};
    m_expectedRows = 0;
}

void LibraryGuidIndex::countRow(const Row &row, int delta)
{
    if (m_tracking)
        return;
    const QString guid = row.value(LibraryStore::Guid).toString();
    if (!guid.isEmpty())
        add(guid, delta);
}

void LibraryGuidIndex::clearShown()
{
    if (!m_tracking)
        m_counts.clear();
}

void LibraryGuidIndex::add(const QString &guid, int delta)
{
    int &count = m_counts[guid];
    count += delta;
    if (count <= 0)
        m_counts.remove(guid);
}
