#include "library/RowMapProxyModel.h"

#include <algorithm>

RowMapProxyModel::RowMapProxyModel(QObject *parent) : QAbstractProxyModel(parent) {}

void RowMapProxyModel::setSourceModel(QAbstractItemModel *model)
{
    beginResetModel();
    for (const QMetaObject::Connection &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    QAbstractProxyModel::setSourceModel(model);
    if (model)
        connectSource(model);
    sourceRowsRenewed();
    rebuild();
    endResetModel();
}

void RowMapProxyModel::connectSource(QAbstractItemModel *model)
{
    using Model = QAbstractItemModel;
    const auto beginReset = [this] { beginResetModel(); };
    const auto endReset = [this] {
        sourceRowsRenewed();
        rebuild();
        endResetModel();
    };
    m_connections << connect(model, &Model::modelAboutToBeReset, this, beginReset)
                  << connect(model, &Model::modelReset, this, endReset)
                  << connect(model, &Model::rowsInserted, this, &RowMapProxyModel::onRowsInserted)
                  << connect(model, &Model::rowsAboutToBeRemoved, this,
                             &RowMapProxyModel::onRowsAboutToBeRemoved)
                  << connect(model, &Model::rowsRemoved, this, &RowMapProxyModel::onRowsRemoved)
                  << connect(model, &Model::dataChanged, this, &RowMapProxyModel::onDataChanged)
                  << connect(model, &Model::layoutAboutToBeChanged, this,
                             &RowMapProxyModel::onLayoutAboutToBeChanged)
                  << connect(model, &Model::layoutChanged, this, &RowMapProxyModel::onLayoutChanged)
                  << connect(model, &Model::rowsAboutToBeMoved, this,
                             &RowMapProxyModel::onLayoutAboutToBeChanged)
                  << connect(model, &Model::rowsMoved, this, &RowMapProxyModel::onLayoutChanged)
                  << connect(model, &Model::headerDataChanged, this,
                             [this](Qt::Orientation orientation, int first, int last) {
                                 if (orientation == Qt::Horizontal)
                                     Q_EMIT headerDataChanged(orientation, first, last);
                                 else if (!m_shown.empty())
                                     Q_EMIT headerDataChanged(orientation, 0, rowCount() - 1);
                             });
    // Columns change the whole table.
    for (auto aboutTo : {&Model::columnsAboutToBeInserted, &Model::columnsAboutToBeRemoved})
        m_connections << connect(model, aboutTo, this, beginReset);
    for (auto done : {&Model::columnsInserted, &Model::columnsRemoved})
        m_connections << connect(model, done, this, endReset);
    m_connections << connect(model, &Model::columnsAboutToBeMoved, this, beginReset);
    m_connections << connect(model, &Model::columnsMoved, this, endReset);
}

QModelIndex RowMapProxyModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex RowMapProxyModel::parent(const QModelIndex &) const
{
    return {};
}

QModelIndex RowMapProxyModel::sibling(int row, int column, const QModelIndex &) const
{
    return index(row, column);
}

int RowMapProxyModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int RowMapProxyModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !sourceModel() ? 0 : sourceModel()->columnCount();
}

bool RowMapProxyModel::hasChildren(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_shown.empty() && columnCount() > 0;
}

QVariant RowMapProxyModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!sourceModel())
        return {};
    if (orientation == Qt::Horizontal)
        return sourceModel()->headerData(section, orientation, role);
    if (section >= 0 && section < rowCount())
        return sourceModel()->headerData(m_shown[section], orientation, role);
    return QAbstractProxyModel::headerData(section, orientation, role);
}

QModelIndex RowMapProxyModel::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!proxyIndex.isValid() || proxyIndex.model() != this || !sourceModel() ||
        proxyIndex.row() >= rowCount())
        return {};
    return sourceModel()->index(m_shown[proxyIndex.row()], proxyIndex.column());
}

QModelIndex RowMapProxyModel::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!sourceIndex.isValid() || sourceIndex.model() != sourceModel() ||
        sourceIndex.parent().isValid() || sourceIndex.row() >= int(m_proxyRowOf.size()))
        return {};
    const int row = m_proxyRowOf[sourceIndex.row()];
    return row < 0 ? QModelIndex() : createIndex(row, sourceIndex.column());
}

bool RowMapProxyModel::acceptsSourceRow(int) const
{
    return true;
}

bool RowMapProxyModel::lessThan(int sourceRowA, int sourceRowB) const
{
    return sourceRowA < sourceRowB;
}

void RowMapProxyModel::sourceRowsInserted(int, int) {}

void RowMapProxyModel::sourceRowsChanged(int, int) {}

void RowMapProxyModel::sourceRowsRemoved(int, int) {}

void RowMapProxyModel::sourceRowsRenewed() {}

bool RowMapProxyModel::before(int a, int b) const
{
    if (!isOrdered())
        return a < b;
    if (lessThan(a, b))
        return true;
    if (lessThan(b, a))
        return false;
    return a < b;
}

void RowMapProxyModel::rebuild()
{
    const int rows = sourceModel() ? sourceModel()->rowCount() : 0;
    m_proxyRowOf.assign(rows, -1);
    m_shown.clear();
    m_shown.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        if (acceptsSourceRow(row))
            m_shown.push_back(row);
    }
    // Rows in the source's order sorted stably: ties keep it, with one
    // comparison per step.
    if (isOrdered())
        std::stable_sort(m_shown.begin(), m_shown.end(),
                         [this](int a, int b) { return lessThan(a, b); });
    renumber(0);
}

void RowMapProxyModel::renumber(int from)
{
    for (int row = from; row < int(m_shown.size()); ++row)
        m_proxyRowOf[m_shown[row]] = row;
}

int RowMapProxyModel::placeOf(int sourceRow) const
{
    const auto place =
        isOrdered() ? std::lower_bound(m_shown.cbegin(), m_shown.cend(), sourceRow,
                                       [this](int shown, int row) { return before(shown, row); })
                    : std::lower_bound(m_shown.cbegin(), m_shown.cend(), sourceRow);
    return int(place - m_shown.cbegin());
}

void RowMapProxyModel::insertShown(int place, const std::vector<int> &sourceRows)
{
    beginInsertRows(QModelIndex(), place, place + int(sourceRows.size()) - 1);
    m_shown.insert(m_shown.begin() + place, sourceRows.cbegin(), sourceRows.cend());
    renumber(place);
    endInsertRows();
}

void RowMapProxyModel::removeShown(int first, int last)
{
    beginRemoveRows(QModelIndex(), first, last);
    for (int row = first; row <= last; ++row)
        m_proxyRowOf[m_shown[row]] = -1;
    m_shown.erase(m_shown.begin() + first, m_shown.begin() + last + 1);
    renumber(first);
    endRemoveRows();
}

void RowMapProxyModel::onRowsInserted(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid())
        return;
    if (first > int(m_proxyRowOf.size())) {
        // Not the rows this proxy knows: start over.
        beginResetModel();
        sourceRowsRenewed();
        rebuild();
        endResetModel();
        return;
    }
    const int count = last - first + 1;
    // The rows below move down in the source; nothing moves here.
    for (int &row : m_shown) {
        if (row >= first)
            row += count;
    }
    m_proxyRowOf.insert(m_proxyRowOf.begin() + first, count, -1);
    sourceRowsInserted(first, last);
    std::vector<int> added;
    for (int row = first; row <= last; ++row) {
        if (acceptsSourceRow(row))
            added.push_back(row);
    }
    if (added.empty())
        return;
    if (!isOrdered()) {
        // Between the same two shown rows, so together.
        insertShown(placeOf(first), added);
        return;
    }
    std::sort(added.begin(), added.end(), [this](int a, int b) { return before(a, b); });
    std::vector<int> places;
    places.reserve(added.size());
    for (int row : added)
        places.push_back(placeOf(row));
    // Runs that share a place go in together, the last run first so the
    // places found stay right.
    std::size_t end = added.size();
    while (end > 0) {
        std::size_t start = end - 1;
        while (start > 0 && places[start - 1] == places[start])
            --start;
        insertShown(places[start], std::vector<int>(added.begin() + start, added.begin() + end));
        end = start;
    }
}

void RowMapProxyModel::onRowsAboutToBeRemoved(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid())
        return;
    std::vector<int> rows;
    for (int row = first; row <= last && row < int(m_proxyRowOf.size()); ++row) {
        if (m_proxyRowOf[row] >= 0)
            rows.push_back(m_proxyRowOf[row]);
    }
    // From the bottom up, a run of neighbours at a time.
    std::sort(rows.begin(), rows.end());
    std::size_t end = rows.size();
    while (end > 0) {
        std::size_t start = end - 1;
        while (start > 0 && rows[start - 1] + 1 == rows[start])
            --start;
        removeShown(rows[start], rows[end - 1]);
        end = start;
    }
}

void RowMapProxyModel::onRowsRemoved(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid())
        return;
    sourceRowsRemoved(first, last);
    const int count = last - first + 1;
    if (last < int(m_proxyRowOf.size()))
        m_proxyRowOf.erase(m_proxyRowOf.begin() + first, m_proxyRowOf.begin() + last + 1);
    for (int &row : m_shown) {
        if (row > last)
            row -= count;
    }
}

void RowMapProxyModel::onDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                     const QList<int> &roles)
{
    if (!topLeft.isValid() || topLeft.parent().isValid())
        return;
    const int first = topLeft.row();
    const int last = std::min(bottomRight.row(), int(m_proxyRowOf.size()) - 1);
    sourceRowsChanged(first, last);
    for (int row = first; row <= last; ++row) {
        const bool accepted = acceptsSourceRow(row);
        const int shown = m_proxyRowOf[row];
        if (shown >= 0 && !accepted)
            removeShown(shown, shown);
        else if (shown < 0 && accepted)
            insertShown(placeOf(row), {row});
        else if (shown >= 0 && isOrdered())
            moveIfOutOfPlace(shown);
    }
    int top = -1;
    int bottom = -1;
    for (int row = first; row <= last; ++row) {
        const int shown = m_proxyRowOf[row];
        if (shown < 0)
            continue;
        top = top < 0 ? shown : std::min(top, shown);
        bottom = std::max(bottom, shown);
    }
    if (top >= 0)
        Q_EMIT dataChanged(index(top, topLeft.column()), index(bottom, bottomRight.column()),
                           roles);
}

void RowMapProxyModel::moveIfOutOfPlace(int proxyRow)
{
    const int row = m_shown[proxyRow];
    const auto less = [this](int a, int b) { return before(a, b); };
    if (proxyRow > 0 && before(row, m_shown[proxyRow - 1])) {
        const int place =
            int(std::lower_bound(m_shown.cbegin(), m_shown.cbegin() + proxyRow, row, less) -
                m_shown.cbegin());
        beginMoveRows(QModelIndex(), proxyRow, proxyRow, QModelIndex(), place);
        std::rotate(m_shown.begin() + place, m_shown.begin() + proxyRow,
                    m_shown.begin() + proxyRow + 1);
        renumber(place);
        endMoveRows();
    } else if (proxyRow + 1 < int(m_shown.size()) && before(m_shown[proxyRow + 1], row)) {
        // Above the first row that does not come before it.
        const int place =
            int(std::lower_bound(m_shown.cbegin() + proxyRow + 1, m_shown.cend(), row, less) -
                m_shown.cbegin());
        beginMoveRows(QModelIndex(), proxyRow, proxyRow, QModelIndex(), place);
        std::rotate(m_shown.begin() + proxyRow, m_shown.begin() + proxyRow + 1,
                    m_shown.begin() + place);
        renumber(proxyRow);
        endMoveRows();
    }
}

void RowMapProxyModel::onLayoutAboutToBeChanged()
{
    Q_EMIT layoutAboutToBeChanged();
    m_layoutFrom = persistentIndexList();
    m_layoutSources.clear();
    for (const QModelIndex &index : std::as_const(m_layoutFrom))
        m_layoutSources << QPersistentModelIndex(mapToSource(index));
}

void RowMapProxyModel::onLayoutChanged()
{
    sourceRowsRenewed();
    finishRelayout();
}

void RowMapProxyModel::finishRelayout()
{
    rebuild();
    QModelIndexList to;
    to.reserve(m_layoutSources.size());
    for (const QPersistentModelIndex &source : std::as_const(m_layoutSources))
        to << mapFromSource(source);
    changePersistentIndexList(m_layoutFrom, to);
    m_layoutFrom.clear();
    m_layoutSources.clear();
    Q_EMIT layoutChanged();
}

void RowMapProxyModel::remap()
{
    onLayoutAboutToBeChanged();
    finishRelayout();
}
