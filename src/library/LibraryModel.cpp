#include "library/LibraryModel.h"

#include "media/MediaFiles.h"

#include "library/LibraryLoader.h"
#include "library/LibraryStore.h"

#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

constexpr int kColumnCount = 8;

// A list of `size` empty values with storage for `capacity` and room for
// `top` more above the first. Inserting at the top of a list without that
// room moves every value, one at a time, to new storage: with a large
// library, one long stall of the window on the first import.
template <typename T> QList<T> spacedList(qsizetype size, qsizetype top, qsizetype capacity)
{
    QList<T> list(top + std::max(size, capacity));
    list.remove(0, top);
    list.resize(size);
    return list;
}

qsizetype roomAtTop(qsizetype rows)
{
    return std::max<qsizetype>(256, rows / 16);
}

int sortColumn(LibraryModel::sortHeaders key)
{
    switch (key) {
    case LibraryModel::SortDate:
        return LibraryStore::CreationDate;
    case LibraryModel::SortDuration:
        return LibraryStore::Duration;
    case LibraryModel::SortTitle:
        return LibraryStore::Title;
    case LibraryModel::SortProgress:
        return LibrarySortOrder::ProgressSort;
    }
    return LibraryStore::Id;
}

qlonglong idOfRow(const QList<QVariant> &row)
{
    return LibrarySortOrder::idOfRow(row);
}

double progressOf(const QList<QVariant> &row)
{
    return LibrarySortOrder::progressOf(row);
}

} // namespace

LibraryModel::LibraryModel(LibraryStore *store, QObject *parent)
    : QAbstractTableModel(parent), m_store(store), m_loader(new LibraryLoader(store, this))
{
    qRegisterMetaType<LibraryItem>("LibraryItem");
    qRegisterMetaType<LibraryItems>("LibraryItems");
    // Shown as text (in a plain view of column 0, say), an item is its title.
    static const bool converter =
        QMetaType::registerConverter<LibraryItem, QString>(&LibraryItem::title);
    Q_UNUSED(converter);

    connectStore();
    connect(m_loader, &LibraryLoader::guidsRead, this, &LibraryModel::takeGuids);
    connect(m_loader, &LibraryLoader::rowsRead, this, &LibraryModel::takeReadRows);

    // The first read of the table, newest first unless the page asks for
    // another order before the event loop runs.
    m_order = LibrarySortOrder(sortColumn(SortDate), Qt::DescendingOrder);
    QMetaObject::invokeMethod(this, &LibraryModel::readFirstRows, Qt::QueuedConnection);
    // The pieces after the first go in one per turn of the event loop, so
    // the window draws and answers between them.
    m_absorber = new QTimer(this);
    m_absorber->setInterval(0);
    connect(m_absorber, &QTimer::timeout, this, &LibraryModel::absorbPiece);
    m_dropper = new QTimer(this);
    m_dropper->setInterval(0);
    connect(m_dropper, &QTimer::timeout, this, &LibraryModel::dropSomeRows);
    // A search for the rows still to go that runs over several turns starts
    // again when rows came, went or moved meanwhile.
    const auto moved = [this] { ++m_rowsRevision; };
    connect(this, &QAbstractItemModel::rowsInserted, this, moved);
    connect(this, &QAbstractItemModel::rowsRemoved, this, moved);
    connect(this, &QAbstractItemModel::rowsMoved, this, moved);
    connect(this, &QAbstractItemModel::layoutChanged, this, moved);
    connect(this, &QAbstractItemModel::modelReset, this, moved);
}

void LibraryModel::readFirstRows()
{
    if (m_loaded || m_reading)
        return;
    m_reading = true;
    m_loader->read(m_order, m_readGeneration);
}

void LibraryModel::takeGuids(LibraryStore::Guids guids, int generation)
{
    if (generation == m_readGeneration)
        m_guids.takeStored(std::move(guids));
}

void LibraryModel::takeReadRows(QList<Row> rows, bool first, bool last, int generation)
{
    // Rows read again meanwhile (reload()) replaced these.
    if (generation != m_readGeneration)
        return;
    if (first) {
        setRows(std::move(rows));
        // Counters and lists made before the rows came read them now.
        emit updated();
    } else {
        m_incoming.append(std::move(rows));
    }
    m_readEnded = last;
    if (m_incoming.isEmpty())
        endRead();
    else if (!m_absorber->isActive())
        m_absorber->start();
}

void LibraryModel::absorbPiece()
{
    if (!m_incoming.isEmpty())
        appendRows(m_incoming.takeFirst());
    if (m_incoming.isEmpty()) {
        m_absorber->stop();
        endRead();
    }
}

void LibraryModel::absorbAllPieces()
{
    while (!m_incoming.isEmpty())
        absorbPiece();
}

void LibraryModel::endRead()
{
    if (!m_readEnded || !m_reading)
        return;
    m_reading = false;
    m_loaded = true;
    // The rows shown count the guids from now on.
    m_guids.stopTracking();
    emit updated();
}

void LibraryModel::connectStore()
{
    // Before rows the store tells of go in: the pieces of the first read,
    // and a row still to go whose id the store gave a new row (it reuses
    // the id of the last row removed), so the new one is not taken for it.
    const auto takeIn = [this](const LibraryStore::Rows &rows) {
        absorbAllPieces();
        if (!m_leaving.isEmpty()) {
            QList<qlonglong> now;
            for (const Row &row : rows) {
                const qlonglong id = idOfRow(row);
                if (m_leaving.removeAll(id) > 0)
                    now << id;
            }
            if (!now.isEmpty()) {
                forgetLeavingRows(); // the rows found may move
                dropRowsNow(now);
            }
            trackLeaving();
        }
        m_guids.trackStored(rows);
    };
    // Queued: the store's thread tells, the rows change here, after the rows
    // of the first read (told before) are all in.
    connect(m_store, &LibraryStore::rowsStored, this,
            [this, takeIn](const LibraryStore::Rows &rows) {
                takeIn(rows);
                addRows(rows);
            });
    connect(m_store, &LibraryStore::rowsChanged, this,
            [this, takeIn](const LibraryStore::Rows &rows) {
                takeIn(rows);
                changeRows(rows);
                emit updated();
            });
    connect(m_store, &LibraryStore::rowsRemoved, this, [this](const QList<qlonglong> &ids) {
        absorbAllPieces();
        m_guids.trackRemoved(ids);
        dropRows(ids);
    });
    // A play position changes nothing the index or the counters show.
    connect(m_store, &LibraryStore::playStateChanged, this,
            [this, takeIn](const LibraryStore::Rows &rows) {
                takeIn(rows);
                changeRows(rows);
            });
}

int LibraryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int LibraryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

LibraryItem LibraryModel::item(int row) const
{
    const int rows = int(m_rows.size());
    if (row < 0 || row >= rows)
        return LibraryItem();
    if (m_items.size() != rows)
        m_items = spacedList<std::optional<LibraryItem>>(rows, roomAtTop(rows), rows);
    std::optional<LibraryItem> &cached = m_items[row];
    if (!cached)
        cached = LibraryStore::itemOf(m_rows.at(row));
    return *cached;
}

QList<QVariant> LibraryModel::valuesAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row) : Row();
}

qlonglong LibraryModel::idOf(int row) const
{
    return row >= 0 && row < m_rows.size() ? idOfRow(m_rows.at(row)) : -1;
}

int LibraryModel::rowOfId(qlonglong id) const
{
    if (m_rowById.isEmpty() && !m_rows.isEmpty()) {
        m_rowById.reserve(m_rows.size());
        for (qsizetype row = 0; row < m_rows.size(); ++row)
            m_rowById.insert(idOfRow(m_rows.at(row)), int(row));
    }
    return m_rowById.value(id, -1);
}

QVariant LibraryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role >= PlayPositionRole && role <= IdRole)
        return playData(index.row(), role);
    if (role == FileMissingRole)
        return isFileMissing(index.row());
    if (role != Qt::DisplayRole)
        return QVariant();
    const LibraryItem video = item(index.row());
    switch (index.column()) {
    case 0:
        return QVariant::fromValue(video);
    case 1:
        return video.title();
    case 2:
        return video.duration();
    case 3:
        return video.dvdTitle();
    case 4:
        return video.stars();
    case 5:
        return video.categories();
    case 6:
        return video.description();
    case ProgressColumn:
        return progressText(index.row());
    }
    return QVariant();
}

bool LibraryModel::isFileMissing(int row) const
{
    const QString path = item(row).videoPath();
    auto known = m_fileMissing.constFind(path);
    if (known == m_fileMissing.constEnd())
        known = m_fileMissing.insert(path, MediaFiles::isMissing(path));
    return known.value();
}

QString LibraryModel::progressText(int row) const
{
    const double progress = progressOf(m_rows.at(row));
    if (progress > 1.0)
        return tr("Watched");
    return progress > 0.0 ? tr("%1%").arg(qMax(1, int(progress * 100))) : QString();
}

QVariant LibraryModel::playData(int row, int role) const
{
    if (row < 0 || row >= m_rows.size())
        return QVariant();
    const Row &values = m_rows.at(row);
    switch (role) {
    case PlayPositionRole:
        return values.value(LibraryStore::PlayPosition).toLongLong();
    case WatchedCountRole:
        return values.value(LibraryStore::WatchedCount).toInt();
    case ProgressRole:
        // Started videos only (a watched one has no position left).
        return values.value(LibraryStore::PlayPosition).toLongLong() > 0 ? progressOf(values) : 0.0;
    case IdRole:
        return idOfRow(values);
    }
    return QVariant();
}

qlonglong LibraryModel::idOfVideo(const QString &path) const
{
    if (path.isEmpty())
        return -1;
    const QString stored = LibraryItem::encode(QFileInfo(path).absoluteFilePath());
    for (const Row &row : m_rows) {
        if (row.value(LibraryStore::VideoPath).toString() == stored)
            return idOfRow(row);
    }
    return -1;
}

qint64 LibraryModel::playPosition(qlonglong id) const
{
    const int row = rowOfId(id);
    return row < 0 ? 0 : m_rows.at(row).value(LibraryStore::PlayPosition).toLongLong();
}

int LibraryModel::watchedCount(qlonglong id) const
{
    const int row = rowOfId(id);
    return row < 0 ? 0 : m_rows.at(row).value(LibraryStore::WatchedCount).toInt();
}

QVariant LibraryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case 1:
        return tr("Name");
    case 2:
        return tr("Time");
    case 3:
        return tr("DVD Title");
    case 4:
        return tr("Cast");
    case 5:
        return tr("Categories");
    case 6:
        return tr("Description");
    case ProgressColumn:
        return tr("Progress");
    }
    return QVariant();
}

Qt::ItemFlags LibraryModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

bool LibraryModel::before(const Row &a, const Row &b) const
{
    return m_order.before(a, b);
}

int LibraryModel::findRow(qlonglong id) const
{
    // The map of rows is rebuilt only when asked for many ids: after a row
    // came or went, one look-up reads the ids in place.
    if (!m_rowById.isEmpty())
        return m_rowById.value(id, -1);
    if (!m_ids.contains(id))
        return -1;
    for (qsizetype row = 0; row < m_rows.size(); ++row) {
        if (idOfRow(m_rows.at(row)) == id)
            return int(row);
    }
    return -1;
}

void LibraryModel::setRows(QList<Row> rows)
{
    // An empty library read again is no change for the views.
    if (rows.isEmpty() && m_rows.isEmpty())
        return;
    beginResetModel();
    // Storage for every row the store counted, and room above them.
    const qsizetype expected = std::max(rows.size(), m_guids.expectedRows());
    m_rows = spacedList<Row>(rows.size(), roomAtTop(expected), expected);
    std::move(rows.begin(), rows.end(), m_rows.begin());
    m_rowById.clear();
    m_items.clear();
    m_guids.clearShown();
    m_ids.clear();
    // Room for the rows still to come: growing the set on the way would
    // copy it over and over.
    m_ids.reserve(std::max(m_rows.size(), m_guids.expectedRows()));
    for (const Row &row : std::as_const(m_rows)) {
        m_guids.countRow(row, 1);
        m_ids.insert(idOfRow(row));
    }
    endResetModel();
}

void LibraryModel::insertSorted(QList<Row> added)
{
    const auto less = [this](const Row &a, const Row &b) { return before(a, b); };
    std::stable_sort(added.begin(), added.end(), less);
    QList<qsizetype> places;
    places.reserve(added.size());
    for (const Row &row : std::as_const(added))
        places << (std::upper_bound(m_rows.cbegin(), m_rows.cend(), row, less) - m_rows.cbegin());
    // Runs of rows that share a place go in together, the last run first so
    // the places found stay right.
    qsizetype end = added.size();
    while (end > 0) {
        qsizetype start = end - 1;
        const qsizetype place = places.at(start);
        while (start > 0 && places.at(start - 1) == place)
            --start;
        const qsizetype count = end - start;
        beginInsertRows(QModelIndex(), int(place), int(place + count - 1));
        m_rows.insert(place, count, Row());
        if (m_items.size() + count == m_rows.size())
            m_items.insert(place, count, std::nullopt);
        else
            m_items.clear();
        m_rowById.clear();
        for (qsizetype i = 0; i < count; ++i) {
            m_guids.countRow(added.at(start + i), 1);
            m_ids.insert(idOfRow(added.at(start + i)));
            m_rows[place + i] = std::move(added[start + i]);
        }
        endInsertRows();
        end = start;
    }
}

void LibraryModel::appendRows(QList<Row> rows)
{
    rows.removeIf([this](const Row &row) { return m_ids.contains(idOfRow(row)); });
    if (rows.isEmpty())
        return;
    const auto less = [this](const Row &a, const Row &b) { return before(a, b); };
    // Rows read in the current order go below the others in one step.
    const bool below = (m_rows.isEmpty() || !before(rows.first(), m_rows.last())) &&
                       std::is_sorted(rows.cbegin(), rows.cend(), less);
    if (!below) {
        insertSorted(std::move(rows));
        return;
    }
    const qsizetype start = m_rows.size();
    beginInsertRows(QModelIndex(), int(start), int(start + rows.size() - 1));
    const bool itemsKept = m_items.size() == start;
    for (Row &row : rows) {
        m_guids.countRow(row, 1);
        const qlonglong id = idOfRow(row);
        m_ids.insert(id);
        // A map of the rows made already goes on with them.
        if (!m_rowById.isEmpty())
            m_rowById.insert(id, int(m_rows.size()));
        m_rows.append(std::move(row));
    }
    if (itemsKept)
        m_items.resize(m_rows.size());
    else
        m_items.clear();
    endInsertRows();
}

void LibraryModel::addRows(QList<Row> rows)
{
    // A row the first read brought already is not shown twice.
    rows.removeIf([this](const Row &row) { return m_ids.contains(idOfRow(row)); });
    if (!rows.isEmpty())
        insertSorted(std::move(rows));
}

void LibraryModel::changeRows(const QList<Row> &rows)
{
    for (const Row &stored : rows) {
        const int row = findRow(idOfRow(stored));
        if (row < 0) {
            insertSorted({stored});
            continue;
        }
        const bool placed = (row == 0 || !before(stored, m_rows.at(row - 1))) &&
                            (row + 1 == m_rows.size() || !before(m_rows.at(row + 1), stored));
        if (!placed) {
            // Its sort key changed: out at the old place, in at the new one.
            dropRow(row);
            insertSorted({stored});
            continue;
        }
        m_guids.countRow(m_rows.at(row), -1);
        m_guids.countRow(stored, 1);
        m_rows[row] = stored;
        if (row < m_items.size())
            m_items[row].reset();
        emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
    }
}

void LibraryModel::dropRow(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    m_guids.countRow(m_rows.at(row), -1);
    m_ids.remove(idOfRow(m_rows.at(row)));
    m_rows.remove(row);
    if (row < m_items.size() && m_items.size() == m_rows.size() + 1)
        m_items.remove(row);
    else
        m_items.clear();
    m_rowById.clear();
    endRemoveRows();
}

QList<int> LibraryModel::rowsOfGuid(const QString &guid) const
{
    const QString stored = LibraryItem::encode(guid);
    QList<int> found;
    for (int row = 0; row < m_rows.size(); ++row) {
        const QString value = m_rows.at(row).at(LibraryStore::Guid).toString();
        if (value == stored || LibraryItem::decode(value) == guid)
            found << row;
    }
    return found;
}

void LibraryModel::onSort(LibraryModel::sortHeaders column, Qt::SortOrder order)
{
    const bool reading = m_reading;
    if (reading) {
        // The rows still to come are read again in the new order, rather
        // than each put in its place.
        ++m_readGeneration;
        m_incoming.clear();
        m_absorber->stop();
        m_reading = false;
        m_readEnded = false;
    }
    // The rows are all here: they are put in order without the store.
    beginResetModel();
    m_order = LibrarySortOrder(sortColumn(column), order);
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [this](const Row &a, const Row &b) { return before(a, b); });
    m_rowById.clear();
    m_items.clear();
    endResetModel();
    emit doSorted();
    if (reading)
        readFirstRows();
}

bool LibraryModel::containsGuid(const QString &guid, bool *ok)
{
    // The rows shown know every stored guid once the first read came; while
    // it comes, the guids read with its first rows (kept since) answer.
    if (QThread::currentThread() == thread() && (m_loaded || m_guids.isTracking())) {
        if (ok)
            *ok = true;
        return m_guids.contains(LibraryItem::encode(guid));
    }
    LibraryStore *store = m_store;
    bool done = false;
    const bool found =
        store->call([store, guid, &done] { return store->containsGuid(guid, &done); });
    if (ok)
        *ok = done;
    return found;
}

void LibraryModel::reload()
{
    // Rows of an earlier read still on their way are not taken.
    ++m_readGeneration;
    m_reading = false;
    m_incoming.clear();
    m_absorber->stop();
    // The rows read now are without the rows still to go.
    m_leaving.clear();
    forgetLeavingRows();
    m_dropper->stop();
    trackLeaving();
    LibraryStore::Rows rows = m_loader->readAll(m_order);
    m_guids.stopTracking();
    setRows(std::move(rows));
    m_loaded = true;
}
