#include "library/Library.h"
#include "core/Logging.h"

#include "library/ImportSession.h"
#include "library/IntegrityChecker.h"
#include "library/LibraryPaths.h"
#include "library/LibraryStore.h"
#include "library/MetaDataBuilder.h"
#include "library/SubtitleImport.h"
#include "library/VideoImporter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QNetworkReply>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <QtDebug>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

constexpr int kColumnCount = 8;
// Rows of the first read that come on their own (more than a screen shows),
// and how many come in each piece after them.
constexpr qsizetype kFirstRows = 100;
constexpr qsizetype kRowsPerPiece = 2000;
// Rows removed in the store that leave the model at once (at 100,000 rows,
// 1-2 ms each); more go a few per turn of the event loop.
constexpr qsizetype kRowsDroppedAtOnce = 2;
// Sorts by played share rather than by a stored column.
constexpr int kProgressSort = 1000;
// Only the start of the site's answer to an edit report is logged.
constexpr qint64 kMaxReportReply = 64 * 1024;

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

int sortColumn(Library::sortHeaders key)
{
    switch (key) {
    case Library::SortDate:
        return LibraryStore::CreationDate;
    case Library::SortDuration:
        return LibraryStore::Duration;
    case Library::SortTitle:
        return LibraryStore::Title;
    case Library::SortProgress:
        return kProgressSort;
    }
    return LibraryStore::Id;
}

// SQLite's storage classes in its sort order: NULL, numbers, text, blobs.
int storageClass(const QVariant &value)
{
    if (value.isNull())
        return 0;
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return 1;
    case QMetaType::QByteArray:
        return 3;
    default:
        return 2;
    }
}

// UTF-16 units ranked as their UTF-8 bytes rank (SQLite compares UTF-8).
int utf8Rank(char16_t unit)
{
    if (unit >= 0xE000)
        return unit - 0x800;
    if (unit >= 0xD800)
        return unit + 0x2000;
    return unit;
}

int compareText(QStringView a, QStringView b)
{
    const qsizetype length = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < length; ++i) {
        if (a[i] != b[i])
            return utf8Rank(a[i].unicode()) < utf8Rank(b[i].unicode()) ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The order SQLite's ORDER BY gives two column values (binary collation), so
// rows placed here sit where the store's sorted read puts them.
int compareValues(const QVariant &a, const QVariant &b)
{
    const int classA = storageClass(a);
    const int classB = storageClass(b);
    if (classA != classB)
        return classA < classB ? -1 : 1;
    switch (classA) {
    case 1:
        if (a.typeId() == QMetaType::Double || b.typeId() == QMetaType::Double) {
            const double x = a.toDouble();
            const double y = b.toDouble();
            return x < y ? -1 : (y < x ? 1 : 0);
        } else {
            const qlonglong x = a.toLongLong();
            const qlonglong y = b.toLongLong();
            return x < y ? -1 : (y < x ? 1 : 0);
        }
    case 2:
        return compareText(a.toString(), b.toString());
    case 3: {
        const QByteArray x = a.toByteArray();
        const QByteArray y = b.toByteArray();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    }
    return 0;
}

qlonglong idOfRow(const QList<QVariant> &row)
{
    // Read in place: searches call this for every row, and the store's ids
    // are 64-bit integers already.
    if (row.size() <= LibraryStore::Id)
        return 0;
    const QVariant &id = row.at(LibraryStore::Id);
    if (id.metaType().id() == QMetaType::LongLong)
        return *static_cast<const qlonglong *>(id.constData());
    return id.toLongLong();
}

// Played share of a row's video; one watched to the end counts as more than
// any started one.
double progressOf(const QList<QVariant> &row)
{
    const qint64 length = row.value(LibraryStore::MediaLengthInSecs).toLongLong() * 1000;
    const qint64 position = row.value(LibraryStore::PlayPosition).toLongLong();
    if (position <= 0)
        return row.value(LibraryStore::WatchedCount).toInt() > 0 ? 2.0 : 0.0;
    return length > 0 ? qBound(0.0, double(position) / double(length), 1.0) : 0.0;
}

} // namespace

Library::Library(QObject *parent)
    : Library(std::make_unique<LibraryStore>(databasePath()), nullptr, parent)
{
}

Library::Library(LibraryStore *store, QObject *parent) : Library(nullptr, store, parent) {}

Library::Library(std::unique_ptr<LibraryStore> ownStore, LibraryStore *sharedStore, QObject *parent)
    : QAbstractTableModel(parent), m_copier(new FileCopier(this)), m_ownStore(std::move(ownStore)),
      m_store(m_ownStore ? m_ownStore.get() : sharedStore)
{
    qRegisterMetaType<LibraryItem>("LibraryItem");
    qRegisterMetaType<LibraryItems>("LibraryItems");
    // Shown as text (in a plain view of column 0, say), an item is its title.
    static const bool converter =
        QMetaType::registerConverter<LibraryItem, QString>(&LibraryItem::title);
    Q_UNUSED(converter);

    connectStore();
    connect(m_copier, &FileCopier::finished, this, &Library::fileCopyFinished);
    connect(m_copier, &FileCopier::error, this, &Library::fileCopyError);
    connect(m_copier, &FileCopier::dataTransferProgress, this, &Library::fileCopyProgress);
    connect(m_copier, &FileCopier::done, this, &Library::done);

    m_metaDataBuilder = new MetaDataBuilder(m_store, databasePath());
    m_metaDataBuilder->setParent(this);
    m_integrityChecker = new IntegrityChecker(this);
    m_integrityChecker->setParent(this);
    connect(m_integrityChecker, &QThread::finished, m_metaDataBuilder, &MetaDataBuilder::build);

    m_importer = new VideoImporter(this);
    m_importer->setParent(this);
    connect(m_importer, &VideoImporter::updated, this, &Library::updated, Qt::QueuedConnection);
    connect(m_importer, &VideoImporter::importFinished, this, &Library::importFinished,
            Qt::QueuedConnection);
    connect(m_importer, &VideoImporter::videoImported, this, &Library::videoImported,
            Qt::QueuedConnection);
    m_importSession = new ImportSession(this);
    m_importer->start();

    // The first read of the table, newest first unless the page asks for
    // another order before the event loop runs.
    m_sortColumn = sortColumn(SortDate);
    m_sortOrder = Qt::DescendingOrder;
    QMetaObject::invokeMethod(this, &Library::readFirstRows, Qt::QueuedConnection);
    // The pieces after the first go in one per turn of the event loop, so
    // the window draws and answers between them.
    m_absorber = new QTimer(this);
    m_absorber->setInterval(0);
    connect(m_absorber, &QTimer::timeout, this, &Library::absorbPiece);
    m_dropper = new QTimer(this);
    m_dropper->setInterval(0);
    connect(m_dropper, &QTimer::timeout, this, &Library::dropSomeRows);
    // A search for the rows still to go that runs over several turns starts
    // again when rows came, went or moved meanwhile.
    const auto moved = [this] { ++m_rowsRevision; };
    connect(this, &QAbstractItemModel::rowsInserted, this, moved);
    connect(this, &QAbstractItemModel::rowsRemoved, this, moved);
    connect(this, &QAbstractItemModel::rowsMoved, this, moved);
    connect(this, &QAbstractItemModel::layoutChanged, this, moved);
    connect(this, &QAbstractItemModel::modelReset, this, moved);
}

void Library::readFirstRows()
{
    if (m_loaded || m_reading)
        return;
    m_reading = true;
    LibraryStore *store = m_store;
    const int column = m_sortColumn;
    const Qt::SortOrder order = m_sortOrder;
    const int generation = m_readGeneration;
    // The library outlives every store job: its destructor ends the store first.
    Library *self = this;
    store->post([store, column, order, generation, self] {
        // Every stored guid first, so the window answers "already in the
        // library?" before even the first rows are read; then a screenful,
        // then the rest in a job of its own (other jobs queued meanwhile go
        // first), in pieces the window takes one at a time between its other
        // events. Each job posts the next at its end.
        LibraryStore::Guids guids;
        store->readGuids(&guids);
        QMetaObject::invokeMethod(self, [self, guids = std::move(guids), generation]() mutable {
            self->takeGuids(std::move(guids), generation);
        });
        store->post([store, column, order, generation, self] {
            LibraryStore::Rows first;
            const bool read = store->readFirstPiece(column, order, kFirstRows, &first);
            const bool last = !read || first.size() < kFirstRows;
            const QSet<qlonglong> taken = LibraryStore::idsOf(first);
            QMetaObject::invokeMethod(
                self, [self, first = std::move(first), last, generation]() mutable {
                    self->takeReadRows(std::move(first), true, last, generation);
                });
            if (last) {
                store->ensureIndexes();
                return;
            }
            store->post([store, column, order, generation, self, taken] {
                store->readPieces(column, order, taken, kRowsPerPiece,
                                  [generation, self](LibraryStore::Rows &&rows, bool last) {
                                      QMetaObject::invokeMethod(self, [self, rows = std::move(rows),
                                                                       last, generation]() mutable {
                                          self->takeReadRows(std::move(rows), false, last,
                                                             generation);
                                      });
                                  });
                store->ensureIndexes();
            });
        });
    });
}

void Library::takeGuids(LibraryStore::Guids guids, int generation)
{
    if (generation != m_readGeneration)
        return;
    // Until every row is here, the guids are kept by id, each store signal
    // setting its rows' guids (the rows may not be here yet).
    m_guids = std::move(guids.counts);
    m_guidOfId = std::move(guids.byId);
    m_trackingGuids = true;
    m_expectedRows = guids.rows;
}

void Library::trackGuids(const QList<Row> &rows)
{
    if (!m_trackingGuids)
        return;
    for (const Row &row : rows) {
        const qlonglong id = idOfRow(row);
        const QString guid = row.value(LibraryStore::Guid).toString();
        const QString old = m_guidOfId.value(id);
        if (old == guid)
            continue;
        if (!old.isEmpty())
            addGuid(old, -1);
        if (guid.isEmpty()) {
            m_guidOfId.remove(id);
        } else {
            addGuid(guid, 1);
            m_guidOfId.insert(id, guid);
        }
    }
}

void Library::trackRemovedGuids(const QList<qlonglong> &ids)
{
    if (!m_trackingGuids)
        return;
    for (const qlonglong id : ids) {
        const QString old = m_guidOfId.take(id);
        if (!old.isEmpty())
            addGuid(old, -1);
    }
}

void Library::stopTrackingGuids()
{
    m_trackingGuids = false;
    m_guidOfId = {};
    m_expectedRows = 0;
}

void Library::takeReadRows(QList<Row> rows, bool first, bool last, int generation)
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

void Library::absorbPiece()
{
    if (!m_incoming.isEmpty())
        appendRows(m_incoming.takeFirst());
    if (m_incoming.isEmpty()) {
        m_absorber->stop();
        endRead();
    }
}

void Library::absorbAllPieces()
{
    while (!m_incoming.isEmpty())
        absorbPiece();
}

void Library::endRead()
{
    if (!m_readEnded || !m_reading)
        return;
    m_reading = false;
    m_loaded = true;
    // The rows shown count the guids from now on.
    stopTrackingGuids();
    emit updated();
}

Library::~Library()
{
    stopWorkers();
    if (m_ownStore) {
        // The store goes before the workers' objects, which no longer use it.
        m_ownStore.reset();
        return;
    }
    // A store that stays: the jobs this library queued (and the jobs they
    // queue in turn) finish before it goes.
    do {
        m_store->call([] {});
    } while (m_store->isBusy());
}

void Library::connectStore()
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
        }
        trackGuids(rows);
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
        trackRemovedGuids(ids);
        dropRows(ids);
    });
    // A play position changes nothing the index or the counters show.
    connect(m_store, &LibraryStore::playStateChanged, this,
            [this, takeIn](const LibraryStore::Rows &rows) {
                takeIn(rows);
                changeRows(rows);
            });
}

int Library::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int Library::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

LibraryItem Library::item(int row) const
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

QList<QVariant> Library::valuesAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row) : Row();
}

qlonglong Library::idOf(int row) const
{
    return row >= 0 && row < m_rows.size() ? idOfRow(m_rows.at(row)) : -1;
}

int Library::rowOfId(qlonglong id) const
{
    if (m_rowById.isEmpty() && !m_rows.isEmpty()) {
        m_rowById.reserve(m_rows.size());
        for (qsizetype row = 0; row < m_rows.size(); ++row)
            m_rowById.insert(idOfRow(m_rows.at(row)), int(row));
    }
    return m_rowById.value(id, -1);
}

QVariant Library::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role >= PlayPositionRole && role <= IdRole)
        return playData(index.row(), role);
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

QString Library::progressText(int row) const
{
    const double progress = progressOf(m_rows.at(row));
    if (progress > 1.0)
        return tr("Watched");
    return progress > 0.0 ? tr("%1%").arg(qMax(1, int(progress * 100))) : QString();
}

QVariant Library::playData(int row, int role) const
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

qlonglong Library::idOfVideo(const QString &path) const
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

qint64 Library::playPosition(qlonglong id) const
{
    const int row = rowOfId(id);
    return row < 0 ? 0 : m_rows.at(row).value(LibraryStore::PlayPosition).toLongLong();
}

int Library::watchedCount(qlonglong id) const
{
    const int row = rowOfId(id);
    return row < 0 ? 0 : m_rows.at(row).value(LibraryStore::WatchedCount).toInt();
}

void Library::savePlayPosition(qlonglong id, qint64 positionMs)
{
    if (id < 0)
        return;
    LibraryStore *store = m_store;
    store->post([store, id, positionMs] { store->setPlayPosition(id, positionMs); });
}

void Library::relocateVideo(qlonglong id, const QString &path)
{
    if (id < 0 || path.isEmpty())
        return;
    LibraryStore *store = m_store;
    store->post([store, id, path] { store->setVideoPath(id, path); });
}

void Library::setWatched(qlonglong id, bool watched)
{
    if (id < 0)
        return;
    LibraryStore *store = m_store;
    store->post([store, id, watched] { store->setWatched(id, watched); });
}

QVariant Library::headerData(int section, Qt::Orientation orientation, int role) const
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

Qt::ItemFlags Library::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

bool Library::before(const Row &a, const Row &b) const
{
    if (m_sortColumn == kProgressSort) {
        const double x = progressOf(a);
        const double y = progressOf(b);
        if (x != y)
            return (m_sortOrder == Qt::DescendingOrder) ? y < x : x < y;
    } else if (m_sortColumn > LibraryStore::Id && m_sortColumn < LibraryStore::ColumnCount) {
        int order = compareValues(a.at(m_sortColumn), b.at(m_sortColumn));
        if (m_sortOrder == Qt::DescendingOrder)
            order = -order;
        if (order != 0)
            return order < 0;
    } else if (m_sortColumn == LibraryStore::Id && m_sortOrder == Qt::DescendingOrder) {
        return idOfRow(b) < idOfRow(a);
    }
    return idOfRow(a) < idOfRow(b);
}

int Library::findRow(qlonglong id) const
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

void Library::countGuid(const Row &row, int delta)
{
    // While the first read comes, the store's signals keep the guids.
    if (m_trackingGuids)
        return;
    const QString guid = row.value(LibraryStore::Guid).toString();
    if (!guid.isEmpty())
        addGuid(guid, delta);
}

void Library::addGuid(const QString &guid, int delta)
{
    int &count = m_guids[guid];
    count += delta;
    if (count <= 0)
        m_guids.remove(guid);
}

void Library::setRows(QList<Row> rows)
{
    // An empty library read again is no change for the views.
    if (rows.isEmpty() && m_rows.isEmpty())
        return;
    beginResetModel();
    // Storage for every row the store counted, and room above them.
    const qsizetype expected = std::max(rows.size(), m_expectedRows);
    m_rows = spacedList<Row>(rows.size(), roomAtTop(expected), expected);
    std::move(rows.begin(), rows.end(), m_rows.begin());
    m_rowById.clear();
    m_items.clear();
    if (!m_trackingGuids)
        m_guids.clear();
    m_ids.clear();
    // Room for the rows still to come: growing the set on the way would
    // copy it over and over.
    m_ids.reserve(std::max(m_rows.size(), m_expectedRows));
    for (const Row &row : std::as_const(m_rows)) {
        countGuid(row, 1);
        m_ids.insert(idOfRow(row));
    }
    endResetModel();
}

void Library::insertSorted(QList<Row> added)
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
            countGuid(added.at(start + i), 1);
            m_ids.insert(idOfRow(added.at(start + i)));
            m_rows[place + i] = std::move(added[start + i]);
        }
        endInsertRows();
        end = start;
    }
}

void Library::appendRows(QList<Row> rows)
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
        countGuid(row, 1);
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

void Library::addRows(QList<Row> rows)
{
    // A row the first read brought already is not shown twice.
    rows.removeIf([this](const Row &row) { return m_ids.contains(idOfRow(row)); });
    if (!rows.isEmpty())
        insertSorted(std::move(rows));
}

void Library::changeRows(const QList<Row> &rows)
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
        countGuid(m_rows.at(row), -1);
        countGuid(stored, 1);
        m_rows[row] = stored;
        if (row < m_items.size())
            m_items[row].reset();
        emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
    }
}

void Library::dropRow(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    countGuid(m_rows.at(row), -1);
    m_ids.remove(idOfRow(m_rows.at(row)));
    m_rows.remove(row);
    if (row < m_items.size() && m_items.size() == m_rows.size() + 1)
        m_items.remove(row);
    else
        m_items.clear();
    m_rowById.clear();
    endRemoveRows();
}

void Library::dropRows(const QList<qlonglong> &ids)
{
    // A few go at once, as they came; many go on later turns.
    if (m_leaving.isEmpty() && ids.size() <= kRowsDroppedAtOnce) {
        dropRowsNow(ids);
        return;
    }
    m_leaving.append(ids);
    if (!m_dropper->isActive())
        m_dropper->start();
}

void Library::dropSomeRows()
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
}

void Library::searchLeavingRows()
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

qsizetype Library::findRows(const QSet<qlonglong> &ids, qsizetype from, qsizetype end,
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

void Library::forgetLeavingRows()
{
    m_leavingRows.clear();
    m_searchFrom = -1;
    m_searched.clear();
}

void Library::dropRowsNow(const QList<qlonglong> &ids)
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

bool Library::isBusy() const
{
    return !m_copyTargets.isEmpty() || !m_pending.isEmpty() || !m_leaving.isEmpty() ||
           m_importSession->isRunning() || !m_importer->isIdle() ||
           m_metaDataBuilder->isBuilding() || m_integrityChecker->isRunning() || m_store->isBusy();
}

void Library::startIntegrityCheck()
{
    if (!m_closed)
        m_integrityChecker->start(QThread::InheritPriority);
}

bool Library::stopWorkers()
{
    if (m_closed)
        return false;
    m_closed = true;
    m_integrityChecker->stop();
    m_metaDataBuilder->stop();
    m_importer->stop();
    m_copier->cancelAll();
    return true;
}

void Library::lastWindowClosed()
{
    stopWorkers();
}

bool Library::isImportItem(LibraryItem item)
{
    if (!item.isValid()) {
        qCWarning(lcLibrary) << "Libary::importItem invalid item";
        return false;
    }
    if (item.guid().isEmpty())
        return true;
    bool ok = false;
    const bool found = containsGuid(item.guid(), &ok);
    if (!ok) {
        qCWarning(lcLibrary).noquote() << QStringLiteral("Library::importItem error checking if "
                                                         "importing item (remote) exists");
        return false;
    }
    if (found)
        qCDebug(lcLibrary)
            << "Library::importItem item already exists in database, still adding it..";
    return true;
}

void Library::importItems(LibraryItems records)
{
    emit importStarted();
    m_importer->enqueue(records);
}

void Library::importItems(LibraryItem record)
{
    importItems(LibraryItems{record});
}

void Library::importDownload(const LibraryItem &record)
{
    emit importStarted();
    m_importer->enqueue({record}, true);
}

QList<int> Library::rowsOfGuid(const QString &guid) const
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

void Library::removeInStore(const QList<qlonglong> &ids, bool deleteFiles)
{
    LibraryStore *store = m_store;
    Library *self = this;
    store->post([store, self, ids, deleteFiles] {
        const LibraryItems removed = store->removeIds(ids);
        if (!deleteFiles)
            return;
        for (const LibraryItem &item : removed)
            deleteItemFiles(store, item);
        // After the removed rows (the events keep their order).
        QMetaObject::invokeMethod(self, [self] { emit self->updated(); });
    });
}

void Library::removeItem(QString guid)
{
    const QList<int> rows = rowsOfGuid(guid);
    if (rows.isEmpty())
        return;
    const qlonglong id = idOf(rows.first());
    removeInStore({id}, false);
    // The row's categories and titles leave the filter lists with it.
    m_metaDataBuilder->updateRows({id});
}

void Library::removeItem(int row, bool updateMetadata)
{
    if (row < 0 || row >= m_rows.size()) {
        qCWarning(lcLibrary) << "Library::removeItem called with invalid row " << row;
        return;
    }
    const qlonglong id = idOf(row);
    removeInStore({id}, true);
    if (updateMetadata)
        m_metaDataBuilder->updateRows({id});
}

void Library::removeItem(int row)
{
    removeItem(row, true);
}

bool Library::removeRecord(qlonglong id, bool deleteFiles)
{
    return removeRecords({id}, deleteFiles) > 0;
}

int Library::removeRecords(const QList<qlonglong> &ids, bool deleteFiles)
{
    LibraryStore *store = m_store;
    const int removed = store->call([store, ids, deleteFiles] {
        const LibraryItems items = store->removeIds(ids);
        if (deleteFiles) {
            for (const LibraryItem &item : items)
                deleteItemFiles(store, item);
        }
        return int(items.size());
    });
    if (removed > 0)
        emit updated();
    return removed;
}

void Library::deleteItemFiles(LibraryStore *store, const LibraryItem &item)
{
    // Only the row's own files inside the library go, never a file another
    // row still shows, and a folder only once it is empty.
    QStringList folders;
    QStringList files{item.videoPath(), item.coverPath(), item.thumbnailPath()};
    if (!item.videoPath().isEmpty()) {
        files += SubtitleImport::ownFiles(
            item.videoPath(), [store](const QString &path) { return store->isReferenced(path); });
    }
    for (const QString &path : std::as_const(files)) {
        if (path.isEmpty())
            continue;
        const QString folder = QFileInfo(path).absolutePath();
        if (!folders.contains(folder))
            folders << folder;
        if (!QFileInfo::exists(path))
            continue;
        if (!LibraryPaths::isInside(path)) {
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("Library::removeItem leaves a file outside the library: ") + path;
            continue;
        }
        if (store->isReferenced(path))
            continue;
        if (!QFile::remove(path)) {
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("Library::removeItem unable to delete: ") + path;
        }
    }
    for (const QString &path : std::as_const(folders)) {
        QDir folder(path);
        if (!folder.exists() || LibraryPaths::isLibraryFolder(path) ||
            !LibraryPaths::isInside(path) ||
            !folder.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            continue;
        const QString name = folder.dirName();
        if (folder.cdUp() && !folder.rmdir(name))
            qCWarning(lcLibrary).noquote() << QStringLiteral("Could not remove file: ") + path;
    }
}

bool Library::importFile(QString originalPath, QString toDir)
{
    const SubtitleFiles subtitles = SubtitleImport::isSubtitleFile(originalPath)
                                        ? SubtitleFiles()
                                        : SubtitleFile::besideVideo(originalPath);
    return queueImport(originalPath, toDir, subtitles);
}

bool Library::importFile(const QString &originalPath, const SubtitleFiles &subtitles)
{
    return queueImport(originalPath, QString(), subtitles);
}

bool Library::queueImport(const QString &originalPath, const QString &toDir,
                          const SubtitleFiles &subtitles)
{
    const QFileInfo original(originalPath);
    if (!original.exists()) {
        qCWarning(lcLibrary) << "Library::importFile invalid path";
        return false;
    }
    const QDir library(libraryPath());
    // A name is taken by a file or by a copy still on its way there.
    const auto taken = [this, &library](const QString &name) {
        return library.exists(name) || m_copyDestinations.contains(library.absoluteFilePath(name));
    };
    if (SubtitleImport::isSubtitleFile(originalPath)) {
        qCDebug(lcLibrary).noquote()
            << QStringLiteral("Library::importFile a subtitle comes with its video: ") +
                   originalPath;
        return false;
    }
    // The video's subtitles need free names too.
    const auto subtitleTaken = [&](const QString &name) {
        const QStringList names = SubtitleImport::namesFor(subtitles, name);
        return std::any_of(names.cbegin(), names.cend(), taken);
    };
    QString target = original.fileName();
    for (int n = 1; taken(target) || subtitleTaken(target); ++n) {
        target = QStringLiteral("%1-%2").arg(original.completeBaseName()).arg(n);
        if (!original.suffix().isEmpty())
            target += QLatin1Char('.') + original.suffix();
    }
    const QDir folder(toDir.isEmpty() ? libraryPath() : toDir);
    if (!folder.exists()) {
        qCWarning(lcLibrary) << "Library::importFile toDir does not exist";
        return false;
    }
    if (folder.exists(target)) {
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("Library::importFile file already exists in "
                              "toDir: ") +
                   target;
        return false;
    }
    const QString destination = folder.absoluteFilePath(target);
    // A folder is refused by the copier; nothing starts then. A link is
    // imported as a copy of its target: no link in the library leads out.
    const int id =
        m_copier->copy(original.absoluteFilePath(), destination, CopyRequest::FollowLinks);
    if (id < 0)
        return false;
    trackCopy(id, destination);
    emit importQueued(original.absoluteFilePath(), destination);
    for (const CopyRequest &copy : SubtitleImport::copiesFor(subtitles, destination)) {
        const int subtitleId = m_copier->copy(copy.source, copy.destination, copy.flags);
        if (subtitleId < 0)
            continue;
        trackCopy(subtitleId, copy.destination);
        m_subtitleCopies.insert(subtitleId);
    }
    emit importStarted();
    return true;
}

void Library::trackCopy(int id, const QString &destination)
{
    m_copyTargets.insert(id, destination);
    m_copyDestinations.insert(destination);
}

bool Library::importFile(QString originalPath)
{
    return importFile(originalPath, QString());
}

void Library::importPaths(const QStringList &paths)
{
    m_importSession->add(paths);
}

void Library::importFolder(QString path)
{
    const QDir folder(path);
    if (path.isEmpty() || !folder.exists()) {
        qCWarning(lcLibrary) << "Libraray::importFolder invalid path";
        return;
    }
    const QFileInfoList entries = folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot);
    // One listing finds the subtitles of every video here.
    const QHash<QString, SubtitleFiles> subtitles = SubtitleFile::inFolder(folder.absolutePath());
    for (const QFileInfo &entry : entries)
        queueImport(entry.absoluteFilePath(), QString(), subtitles.value(entry.completeBaseName()));
}

LibraryItems Library::find(QString searchString)
{
    LibraryStore *store = m_store;
    return store->call([store, searchString] { return store->find(searchString); });
}

void Library::setDownloaded(QString guid)
{
    LibraryStore *store = m_store;
    store->post([store, guid] {
        if (!store->markDownloaded(guid))
            qCWarning(lcLibrary) << "set Download Failed query";
    });
}

void Library::onSort(Library::sortHeaders column, Qt::SortOrder order)
{
    qCDebug(lcLibrary) << "onsort col" << int(column);
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
    m_sortColumn = sortColumn(column);
    m_sortOrder = order;
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [this](const Row &a, const Row &b) { return before(a, b); });
    m_rowById.clear();
    m_items.clear();
    endResetModel();
    emit doSorted();
    if (reading)
        readFirstRows();
}

QList<bool> Library::contains(const LibraryItems &items)
{
    LibraryStore *store = m_store;
    return store->call([store, items] { return store->contains(items); });
}

bool Library::containsGuid(const QString &guid, bool *ok)
{
    // The rows shown know every stored guid once the first read came; while
    // it comes, the guids read with its first rows (kept since) answer.
    if (QThread::currentThread() == thread() && (m_loaded || m_trackingGuids)) {
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

bool Library::updateItem(int row, const QString &title, const QString &description,
                         const QString &categories, const QString &stars)
{
    if (row < 0 || row >= m_rows.size())
        return false;
    const qlonglong id = idOf(row);
    const LibraryItem old = item(row);
    EditForm form;
    form << qMakePair(QStringLiteral("fileName"), QFileInfo(old.videoPath()).fileName());
    if (!old.guid().isEmpty())
        form << qMakePair(QStringLiteral("scene_id"), old.guid());
    form << qMakePair(QStringLiteral("oldTitle"), old.title())
         << qMakePair(QStringLiteral("oldDescription"), old.description())
         << qMakePair(QStringLiteral("oldTags"), old.categories())
         << qMakePair(QStringLiteral("oldCast"), old.stars())
         << qMakePair(QStringLiteral("title"), title)
         << qMakePair(QStringLiteral("description"), description)
         << qMakePair(QStringLiteral("tags"), categories)
         << qMakePair(QStringLiteral("cast"), stars);

    LibraryStore *store = m_store;
    Library *self = this;
    store->post([store, self, id, title, description, categories, stars, form] {
        if (!store->updateFields(id, title, description, categories, stars, nullptr))
            return;
        // Told after the changed row (the events keep their order).
        QMetaObject::invokeMethod(self, [self, id, form] {
            self->m_metaDataBuilder->updateRows({id});
            emit self->editReported(form);
        });
    });
    return true;
}

void Library::postbackFinsihed(QNetworkReply *reply)
{
    qCDebug(lcLibrary) << "void Library::postbackFinsihed(QNetworkReply *reply)";
    if (reply->error() != QNetworkReply::NoError)
        qCWarning(lcLibrary).noquote() << reply->errorString();
    else
        qCDebug(lcLibrary).noquote() << QString::fromUtf8(reply->read(kMaxReportReply));
    reply->deleteLater();
}

void Library::reload()
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
    LibraryStore *store = m_store;
    const int column = m_sortColumn;
    const Qt::SortOrder order = m_sortOrder;
    LibraryStore::Rows rows = store->call([store, column, order] {
        LibraryStore::Rows read;
        store->readAll(&read, column, order);
        return read;
    });
    stopTrackingGuids();
    setRows(std::move(rows));
    m_loaded = true;
}

void Library::done(bool)
{
    if (m_pending.isEmpty())
        return;
    // Copies the user chose: a file that turns out to be no video goes again.
    emit importStarted();
    m_importer->enqueueCopies(m_pending);
    m_pending.clear();
}

void Library::fileCopyError(int, FileCopier::Error error, bool stopped)
{
    qCWarning(lcLibrary) << "Library::fileCopyError triggered with error " << int(error);
    if (stopped)
        emit importFinished();
}

void Library::fileCopyFinished(int id, bool error)
{
    const QString destination = m_copyTargets.take(id);
    m_copyDestinations.remove(destination);
    if (m_subtitleCopies.remove(id)) {
        if (error)
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("Library::fileCopyFinished subtitle not copied: ") + destination;
        return;
    }
    if (error) {
        qCWarning(lcLibrary) << "Library::fileCopyFinished error occurred, cancelling import";
        emit importCopyFailed(destination);
        emit importFinished();
        return;
    }
    if (!destination.isEmpty())
        m_pending << LibraryItem::fromFile(destination);
}

void Library::fileCopyProgress(int, qint64 progress)
{
    emit importProgress(int(progress));
}
