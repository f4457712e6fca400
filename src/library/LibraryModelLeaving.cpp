// The rows the store took out leave the model: a few at once, many a few
// milliseconds' worth per turn of the event loop.
#include "library/LibraryModel.h"

#include "library/LibraryStore.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace {

// Rows removed in the store that leave the model at once (at 100,000 rows,
// 1-2 ms each); more go a few per turn of the event loop.
constexpr qsizetype kRowsDroppedAtOnce = 2;

qlonglong idOfRow(const QList<QVariant> &row)
{
    return LibrarySortOrder::idOfRow(row);
}

} // namespace

void LibraryModel::dropRows(const QList<qlonglong> &ids)
{
    // A few go at once, as they came; many go on later turns.
    if (m_leaving.isEmpty() && ids.size() <= kRowsDroppedAtOnce) {
        dropRowsNow(ids);
        return;
    }
    m_leaving.append(ids);
    if (!m_dropper->isActive())
        m_dropper->start();
    trackLeaving();
}

void LibraryModel::trackLeaving()
{
    if (m_leaving.isEmpty())
        m_leavingTask.end();
    else if (!m_leavingTask.isActive())
        m_leavingTask = m_store->tasks()->begin(QStringLiteral("rows"));
}

void LibraryModel::dropSomeRows()
{
    // Each row out costs the views a pass over all rows: thousands at once
    // (a check finding a deleted folder's videos) would hold the window for
    // seconds, so they go a few ms' worth per turn of the event loop, from
    // the bottom up: the rows found for the others stay where they were.
    constexpr qint64 kBudgetMs = 2;
    constexpr int kMostRows = 64;
    QElapsedTimer spent;
    spent.start();
    for (int dropped = 0; !m_leaving.isEmpty() && dropped < kMostRows;) {
        if (spent.elapsed() >= kBudgetMs)
            break;
        if (m_leavingRows.empty() || m_searchFrom >= 0) {
            searchLeavingRows();
            continue;
        }
        const auto [row, id] = m_leavingRows.back();
        m_leavingRows.pop_back();
        // Rows that came or went meanwhile moved it: it is looked for again.
        if (row >= m_rows.size() || idOfRow(m_rows.at(row)) != id) {
            forgetLeavingRows();
            ++m_searchRestarts;
            continue;
        }
        if (m_leaving.removeOne(id)) { // not taken out meanwhile
            dropRow(row);
            ++dropped;
            m_searchRestarts = 0;
        }
    }
    if (m_leaving.isEmpty()) {
        forgetLeavingRows();
        m_searchRestarts = 0;
        m_dropper->stop();
    } else if (!m_dropper->isActive()) {
        m_dropper->start();
    }
    trackLeaving();
}

void LibraryModel::searchLeavingRows()
{
    // At 100,000 rows a whole pass takes several ms (each row's id is in a
    // memory block of its own), so it goes a slice per call.
    constexpr qsizetype kRowsPerSlice = 8192;
    if (m_searchFrom < 0 || m_searchRevision != m_rowsRevision) {
        // Rows that keep coming could start it again for ever: after two
        // such starts a pass goes whole.
        if (m_searchFrom >= 0)
            ++m_searchRestarts;
        m_searchFrom = 0;
        m_searchRevision = m_rowsRevision;
        m_searched = QSet<qlonglong>(m_leaving.cbegin(), m_leaving.cend());
        m_leavingRows.clear();
    }
    const auto allFound = [this] { return qsizetype(m_leavingRows.size()) >= m_searched.size(); };
    const qsizetype end = m_searchRestarts >= 2
                              ? m_rows.size()
                              : std::min(m_rows.size(), m_searchFrom + kRowsPerSlice);
    const qsizetype row = findRows(m_searched, m_searchFrom, end, &m_leavingRows);
    if (row < m_rows.size() && !allFound()) {
        m_searchFrom = row;
        return;
    }
    // The whole pass: those it looked for and did not find are not shown
    // any more (ids that came meanwhile wait for the next pass).
    m_searchFrom = -1;
    if (!allFound()) {
        for (const auto &found : m_leavingRows)
            m_searched.remove(found.second);
        m_leaving.removeIf([this](qlonglong id) { return m_searched.contains(id); });
    }
    m_searched.clear();
}

qsizetype LibraryModel::findRows(const QSet<qlonglong> &ids, qsizetype from, qsizetype end,
                                 std::vector<std::pair<int, qlonglong>> *found) const
{
    qsizetype row = from;
    for (; row < end && qsizetype(found->size()) < ids.size(); ++row) {
        const qlonglong id = idOfRow(m_rows.at(row));
        if (ids.contains(id))
            found->emplace_back(int(row), id);
    }
    return row;
}

void LibraryModel::forgetLeavingRows()
{
    m_leavingRows.clear();
    m_searchFrom = -1;
    m_searched.clear();
}

void LibraryModel::dropRowsNow(const QList<qlonglong> &ids)
{
    QSet<qlonglong> wanted;
    for (qlonglong id : ids) {
        if (m_ids.contains(id))
            wanted.insert(id);
    }
    // One pass over the rows finds them all (a map of the rows, when there
    // is one, at once).
    std::vector<std::pair<int, qlonglong>> rows;
    if (!m_rowById.isEmpty()) {
        for (qlonglong id : std::as_const(wanted)) {
            if (const int row = m_rowById.value(id, -1); row >= 0)
                rows.emplace_back(row, id);
        }
        std::sort(rows.begin(), rows.end());
    } else {
        findRows(wanted, 0, m_rows.size(), &rows);
    }
    // From the bottom up, so the rows found stay right.
    for (auto row = rows.crbegin(); row != rows.crend(); ++row)
        dropRow(row->first);
}
