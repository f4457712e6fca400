#include "library/LibraryStore.h"
#include "core/Logging.h"

#include "library/LibraryFilterModel.h"
#include "library/LibraryReader.h"
#include "library/LibraryRowReader.h"
#include "library/LibraryUpgrade.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtDebug>

#include <algorithm>
#include <utility>

namespace {

// A row read from `query` (the columns in Column order), with its search text
// or an invalid value in its place.
LibraryStore::Row rowOf(const QSqlQuery &query, bool withSearchText = true)
{
    LibraryStore::Row row;
    row.reserve(LibraryStore::ColumnCount + 1);
    for (int column = 0; column < LibraryStore::ColumnCount; ++column)
        row.append(query.value(column));
    row.append(withSearchText ? QVariant(LibraryStore::searchTextOf(row)) : QVariant());
    return row;
}

// The columns in Column order.
const QString kColumns = QStringLiteral(
    "id, thumbnailPath, title, sizeInBytes, creationDate, mediaLengthInSecs, description, "
    "videoPath, guid, coverPath, dvdTitle, categories, stars, duration, downloaded, "
    "playPosition, watchedCount");
// The same for a table without the play columns.
const QString kColumnsWithoutPlayState = QStringLiteral(
    "id, thumbnailPath, title, sizeInBytes, creationDate, mediaLengthInSecs, description, "
    "videoPath, guid, coverPath, dvdTitle, categories, stars, duration, downloaded, "
    "0 AS playPosition, 0 AS watchedCount");

// Ids per statement when rows are read by id.
constexpr qsizetype kIdsPerStatement = 500;

// A writer waits this long for another connection's write (the index builder's).
const QString kBusyTimeout = QStringLiteral("QSQLITE_BUSY_TIMEOUT=60000");

QString idList(const QList<qlonglong> &ids, qsizetype from, qsizetype count)
{
    QStringList list;
    for (qsizetype i = from; i < from + count && i < ids.size(); ++i)
        list << QString::number(ids.at(i));
    return list.join(QLatin1Char(','));
}

} // namespace

namespace {
QAtomicPointer<QThread> windowThread;
QAtomicInt windowWaits;
} // namespace

void LibraryStore::setWindowThread(QThread *thread)
{
    windowThread.storeRelease(thread);
}

int LibraryStore::windowThreadWaits()
{
    return windowWaits.loadAcquire();
}

void LibraryStore::noteWait()
{
    if (QThread::currentThread() != windowThread.loadAcquire())
        return;
    if (windowWaits.fetchAndAddRelaxed(1) == 0)
        qCWarning(lcLibrary) << "LibraryStore: the window's thread waits for the store";
    Q_ASSERT_X(false, "LibraryStore::call", "the window's thread must not wait for the store");
}

LibraryStore::LibraryStore(const QString &databasePath, Opening opening)
    : m_tasks(std::make_unique<TaskTracker>())
{
    static const bool registered = [] {
        qRegisterMetaType<LibraryStore::Rows>("LibraryStore::Rows");
        qRegisterMetaType<QList<qlonglong>>("QList<qlonglong>");
        return true;
    }();
    Q_UNUSED(registered);
    static QAtomicInt counter;
    m_connectionName = QStringLiteral("zeltaLibraryStore-%1").arg(counter.fetchAndAddRelaxed(1));
    m_columns = kColumns;
    m_thread.setObjectName(QStringLiteral("LibraryStore"));
    m_thread.start();
    moveToThread(&m_thread);
    call([this, databasePath, opening] { open(databasePath, opening); });
}

LibraryStore::~LibraryStore()
{
    // Behind every job still queued; the owner's thread waits here once, at
    // the end.
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void LibraryStore::post(std::function<void()> job)
{
    // Shared so the queued call can be copied; the task ends once the job ran.
    auto task = std::make_shared<TaskTracker::Task>(m_tasks->begin(QStringLiteral("store")));
    QMetaObject::invokeMethod(
        this,
        [job = std::move(job), task] {
            job();
            task->end();
        },
        Qt::QueuedConnection);
}

void LibraryStore::drain()
{
    if (QThread::currentThread() == thread())
        return;
    // Jobs queued by the jobs run here, in the same turn.
    QMetaObject::invokeMethod(
        this, [this] { QCoreApplication::sendPostedEvents(this, QEvent::MetaCall); },
        Qt::BlockingQueuedConnection);
}

void LibraryStore::open(const QString &databasePath, Opening opening)
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_db.setDatabaseName(databasePath);
    m_db.setConnectOptions(kBusyTimeout);
    if (!m_db.open()) {
        if (opening == Opening::Upgrade) {
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("Library::initDatabase Unable to open database at \"%1\"")
                       .arg(databasePath);
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("    with error: ") + m_db.lastError().text();
        } else {
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("LibraryStore could not open ") + databasePath +
                       QStringLiteral("\n    with error: ") + m_db.lastError().text();
        }
        return;
    }
    QSqlQuery query(m_db);
    // Readers (the index builder, zelta-cli, the TV's reads) never wait for
    // a writer, and a write never waits for a long read.
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("LibraryStore keeps the rollback journal: ") +
                   query.lastError().text();
    // Searches scan the whole table: map the file rather than copy its pages.
    query.exec(QStringLiteral("PRAGMA mmap_size=268435456"));
    if (opening == Opening::Upgrade)
        upgrade();
    else
        chooseColumns();
}

bool LibraryStore::upgrade()
{
    LibraryUpgrade upgrade(m_db);
    const bool upgraded = m_db.isOpen() && upgrade.run();
    m_upgradeProblem = upgrade.problem();
    chooseColumns();
    return upgraded;
}

void LibraryStore::chooseColumns()
{
    const QSqlRecord library = m_db.record(QStringLiteral("library"));
    m_columns = !library.isEmpty() && !library.contains(QStringLiteral("playPosition"))
                    ? kColumnsWithoutPlayState
                    : kColumns;
}

void LibraryStore::ensureIndexes()
{
    // Look-ups by guid (a descriptor's "already there?") and by video (every
    // import) find their row without reading the table.
    if (!m_db.tables().contains(QStringLiteral("library")))
        return;
    QSqlQuery query(m_db);
    for (const QString &statement :
         {QStringLiteral("CREATE INDEX IF NOT EXISTS library_guid ON library (guid)"),
          QStringLiteral("CREATE INDEX IF NOT EXISTS library_videoPath ON library (videoPath)")}) {
        if (!query.exec(statement))
            qCDebug(lcLibrary).noquote()
                << QStringLiteral("LibraryStore: no index: ") + query.lastError().text();
    }
}

void LibraryStore::close()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool LibraryStore::begin()
{
    QSqlQuery query(m_db);
    if (query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return true;
    qCWarning(lcLibrary).noquote()
        << QStringLiteral("LibraryStore: can't open transaction: ") + query.lastError().text();
    return false;
}

bool LibraryStore::commit()
{
    QSqlQuery query(m_db);
    if (query.exec(QStringLiteral("COMMIT")))
        return true;
    qCWarning(lcLibrary).noquote()
        << QStringLiteral("LibraryStore: can't commit transaction: ") + query.lastError().text();
    rollback();
    return false;
}

void LibraryStore::rollback()
{
    QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
}

LibraryStore::Rows LibraryStore::select(const QString &condition, const QVariantList &values)
{
    Rows rows;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    QString statement = QStringLiteral("SELECT ") + m_columns + QStringLiteral(" FROM library");
    if (!condition.isEmpty())
        statement += QStringLiteral(" WHERE ") + condition;
    if (!query.prepare(statement)) {
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("LibraryStore: can't read rows: ") + query.lastError().text();
        return rows;
    }
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("LibraryStore: can't read rows: ") + query.lastError().text();
        return rows;
    }
    while (query.next()) {
        rows.append(rowOf(query));
    }
    return rows;
}

QString LibraryStore::searchTextOf(const Row &row)
{
    const auto text = [&row](int column) {
        return LibraryItem::decode(row.value(column).toString());
    };
    return LibraryFilterModel::searchText(text(Title), text(Stars), text(Categories),
                                          text(Description));
}

QString LibraryStore::orderBy(int sortColumn, Qt::SortOrder order) const
{
    if (m_columns != kColumns && sortColumn >= PlayPosition)
        return QStringLiteral(" ORDER BY id");
    const QStringList names = kColumns.split(QStringLiteral(", "));
    QString orderBy = QStringLiteral(" ORDER BY ") + names.value(sortColumn, QStringLiteral("id"));
    orderBy += order == Qt::DescendingOrder ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
    if (sortColumn != Id)
        orderBy += QStringLiteral(", id");
    return orderBy;
}

bool LibraryStore::readAll(Rows *rows, int sortColumn, Qt::SortOrder order, bool withSearchText)
{
    LibraryRowReader reader(m_db);
    const QString select = QStringLiteral("SELECT ") + m_columns + QStringLiteral(" FROM library");
    const bool read = reader.run(select + orderBy(sortColumn, order), [&](Row &&row) {
        row.append(withSearchText ? QVariant(searchTextOf(row)) : QVariant());
        rows->append(std::move(row));
    });
    if (!read)
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("SQLModel::select failed: ") + reader.lastError();
    return read;
}

bool LibraryStore::readInPieces(int sortColumn, Qt::SortOrder order, qsizetype firstCount,
                                qsizetype pieceSize, const std::function<void(Rows &&, bool)> &take)
{
    Rows first;
    const bool read = readFirstPiece(sortColumn, order, firstCount, &first);
    if (!read || first.size() < std::max<qsizetype>(1, firstCount)) {
        take(std::move(first), true);
        return read;
    }
    const QSet<qlonglong> taken = idsOf(first);
    take(std::move(first), false);
    return readPieces(sortColumn, order, taken, pieceSize, take);
}

bool LibraryStore::readFirstPiece(int sortColumn, Qt::SortOrder order, qsizetype firstCount,
                                  Rows *piece)
{
    // SQLite sorts no more than the ids of these rows.
    const QString ordered = orderBy(sortColumn, order);
    LibraryRowReader reader(m_db);
    const bool read = reader.run(
        QStringLiteral("SELECT ") + m_columns +
            QStringLiteral(" FROM library WHERE id IN (SELECT id FROM library%1 LIMIT %2)")
                .arg(ordered)
                .arg(std::max<qsizetype>(1, firstCount)) +
            ordered,
        [piece](Row &&row) {
            row.append(searchTextOf(row));
            piece->append(std::move(row));
        });
    if (!read)
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("SQLModel::select failed: ") + reader.lastError();
    return read;
}

bool LibraryStore::readPieces(int sortColumn, Qt::SortOrder order, const QSet<qlonglong> &taken,
                              qsizetype pieceSize, const std::function<void(Rows &&, bool)> &take)
{
    // The order of the ids, then the rows as they lie in the table (sorting
    // whole rows would take SQLite several times as long).
    LibraryRowReader reader(m_db);
    QList<qlonglong> ids;
    QHash<qlonglong, Row> rows;
    const bool read =
        reader.run(QStringLiteral("SELECT id FROM library") + orderBy(sortColumn, order),
                   [&ids](Row &&row) { ids.append(row.at(0).toLongLong()); }) &&
        reader.run(QStringLiteral("SELECT ") + m_columns + QStringLiteral(" FROM library"),
                   [&rows](Row &&row) {
                       const qlonglong id = row.at(Id).toLongLong();
                       rows.insert(id, std::move(row));
                   });
    if (!read) {
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("SQLModel::select failed: ") + reader.lastError();
        take({}, true);
        return false;
    }
    pieceSize = std::max<qsizetype>(1, pieceSize);
    Rows piece;
    for (const qlonglong id : std::as_const(ids)) {
        if (taken.contains(id))
            continue;
        const auto found = rows.find(id);
        if (found == rows.end())
            continue;
        Row row = std::move(found.value());
        row.append(searchTextOf(row));
        piece.append(std::move(row));
        if (piece.size() == pieceSize)
            take(std::exchange(piece, {}), false);
    }
    // The last piece, even an empty one: the taker learns that all came.
    take(std::move(piece), true);
    return true;
}

QSet<qlonglong> LibraryStore::idsOf(const Rows &rows)
{
    QSet<qlonglong> ids;
    ids.reserve(rows.size());
    for (const Row &row : rows)
        ids.insert(row.at(Id).toLongLong());
    return ids;
}

bool LibraryStore::readGuids(Guids *guids)
{
    LibraryRowReader reader(m_db);
    const bool read =
        reader.run(QStringLiteral("SELECT id, guid FROM library"), [guids](Row &&row) {
            ++guids->rows;
            QString guid = row.at(1).toString();
            if (guid.isEmpty())
                return;
            ++guids->counts[guid];
            guids->byId.insert(row.at(0).toLongLong(), std::move(guid));
        });
    if (!read)
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("LibraryStore::readGuids failed: ") + reader.lastError();
    return read;
}

LibraryStore::Rows LibraryStore::readIds(const QList<qlonglong> &ids)
{
    Rows rows;
    for (qsizetype from = 0; from < ids.size(); from += kIdsPerStatement)
        rows += select(QStringLiteral("id IN (%1)").arg(idList(ids, from, kIdsPerStatement)), {});
    return rows;
}

QList<qlonglong> LibraryStore::insertItems(const LibraryItems &items,
                                           const QSet<QString> &downloadedPaths)
{
    if (items.isEmpty() && downloadedPaths.isEmpty())
        return {};
    if (!begin())
        return {};
    QList<qlonglong> ids;
    QSet<QString> failed;
    QSqlQuery listed(m_db);
    listed.prepare(QStringLiteral("SELECT id FROM library WHERE videoPath=? LIMIT 1"));
    QSqlQuery insert(m_db);
    QString prepared;
    for (const LibraryItem &item : items) {
        // A video is listed once, however often it is handed over.
        listed.addBindValue(LibraryItem::encode(item.videoPath()));
        if (listed.exec() && listed.next()) {
            qCDebug(lcLibrary).noquote()
                << QStringLiteral("VideoImporter: already in the library: ") + item.videoPath();
            listed.finish();
            continue;
        }
        listed.finish();
        const QSqlRecord record = item.toRecord();
        const QString statement = m_db.driver()->sqlStatement(
            QSqlDriver::InsertStatement, QStringLiteral("library"), record, true);
        if (statement != prepared) {
            prepared = statement;
            insert.prepare(statement);
        }
        for (int i = 0; i < record.count(); ++i)
            insert.addBindValue(record.value(i));
        if (insert.exec()) {
            ids << insert.lastInsertId().toLongLong();
        } else {
            failed.insert(item.videoPath());
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("SQLModel::insertRecord failed: ") + insert.lastError().text();
        }
    }
    // A finished download's record goes in the same commit as its row.
    QSqlQuery records(m_db);
    records.prepare(QStringLiteral("DELETE FROM downloads WHERE downloadPath=?"));
    for (const QString &path : downloadedPaths) {
        if (failed.contains(path))
            continue;
        records.addBindValue(LibraryItem::encode(path));
        if (!records.exec())
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("VideoImporter could not remove the download record: ") +
                       records.lastError().text();
    }
    listed.finish();
    insert.finish();
    records.finish();
    if (!commit())
        return {};
    if (!ids.isEmpty())
        emit rowsStored(readIds(ids));
    return ids;
}

LibraryItems LibraryStore::removeIds(const QList<qlonglong> &ids, QList<qlonglong> *removedIds)
{
    const Rows rows = readIds(ids);
    if (rows.isEmpty() || !begin())
        return {};
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("DELETE FROM library WHERE id=?"));
    QList<qlonglong> removed;
    LibraryItems items;
    for (const Row &row : rows) {
        query.addBindValue(row.at(Id));
        if (!query.exec()) {
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("Library::removeRow error: ") + query.lastError().text();
            query.finish();
            rollback();
            return {};
        }
        removed << row.at(Id).toLongLong();
        items << itemOf(row);
    }
    query.finish();
    if (!commit())
        return {};
    if (removedIds)
        *removedIds = removed;
    emit rowsRemoved(removed);
    return items;
}

bool LibraryStore::updateFields(qlonglong id, const QString &title, const QString &description,
                                const QString &categories, const QString &stars, QString *error)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("UPDATE library SET title=:title, description=:description, "
                                 "categories=:categories, stars=:stars WHERE id=:id"));
    query.bindValue(QStringLiteral(":title"), LibraryItem::encode(title));
    query.bindValue(QStringLiteral(":description"), LibraryItem::encode(description));
    query.bindValue(QStringLiteral(":categories"), LibraryItem::encode(categories));
    query.bindValue(QStringLiteral(":stars"), LibraryItem::encode(stars));
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec()) {
        if (error)
            *error = query.lastError().text();
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("CorvMediaInformationEditDialog::accept(): ") +
                   query.lastError().text();
        qCWarning(lcLibrary).noquote() << query.lastQuery();
        return false;
    }
    emit rowsChanged(readIds({id}));
    return true;
}

bool LibraryStore::setVideoPath(qlonglong id, const QString &path)
{
    const QFileInfo file(path);
    const qlonglong owner = idOfVideo(file.absoluteFilePath());
    if (owner >= 0 && owner != id)
        return false;
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("UPDATE library SET videoPath=?, sizeInBytes=? WHERE id=?"));
    query.addBindValue(LibraryItem::encode(file.absoluteFilePath()));
    query.addBindValue(file.size());
    query.addBindValue(id);
    if (!query.exec() || query.numRowsAffected() != 1) {
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("LibraryStore::setVideoPath could not update record: ") +
                   query.lastError().text();
        return false;
    }
    emit rowsChanged(readIds({id}));
    return true;
}

bool LibraryStore::updatePlayState(qlonglong id, const QString &assignments,
                                   const QVariantList &values)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("UPDATE library SET ") + assignments +
                  QStringLiteral(" WHERE id=?"));
    for (const QVariant &value : values)
        query.addBindValue(value);
    query.addBindValue(id);
    if (!query.exec()) {
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("LibraryStore could not store the play position: ") +
                   query.lastError().text();
        return false;
    }
    if (query.numRowsAffected() < 1)
        return false;
    emit playStateChanged(readIds({id}));
    return true;
}

bool LibraryStore::setPlayPosition(qlonglong id, qint64 positionMs)
{
    return updatePlayState(id, QStringLiteral("playPosition=?"), {qMax(qint64(0), positionMs)});
}

bool LibraryStore::setWatched(qlonglong id, bool watched)
{
    return updatePlayState(id,
                           watched ? QStringLiteral("playPosition=0, watchedCount=watchedCount+1")
                                   : QStringLiteral("playPosition=0, watchedCount=0"),
                           {});
}

qint64 LibraryStore::watchedZoneMs(qint64 lengthMs)
{
    return qMax(lengthMs / 20, qMin(qint64(30000), lengthMs / 4));
}

bool LibraryStore::reportPlayPosition(qlonglong id, qint64 positionMs, qint64 lengthMs)
{
    const Rows rows = select(QStringLiteral("id=?"), {id});
    if (rows.isEmpty())
        return false;
    const qint64 known = rows.first().value(MediaLengthInSecs).toLongLong() * 1000;
    const qint64 length = known > 0 ? known : lengthMs;
    qint64 position = qMax(qint64(0), positionMs);
    if (length > 0) {
        position = qMin(position, length);
        if (position > 0 && position >= length - watchedZoneMs(length))
            return setWatched(id, true);
    }
    return setPlayPosition(id, position);
}

QHash<QString, qint64> LibraryStore::playPositionsOf(const QStringList &paths)
{
    QHash<QString, qint64> positions;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (m_columns != kColumns || !query.prepare(QStringLiteral(
                                     "SELECT playPosition FROM library WHERE videoPath=? LIMIT 1")))
        return positions;
    for (const QString &path : paths) {
        query.addBindValue(LibraryItem::encode(path));
        if (query.exec() && query.next())
            positions.insert(path, query.value(0).toLongLong());
        query.finish();
    }
    return positions;
}

qint64 LibraryStore::playPosition(qlonglong id)
{
    const Rows rows = select(QStringLiteral("id=?"), {id});
    return rows.isEmpty() ? -1 : rows.first().value(PlayPosition).toLongLong();
}

qlonglong LibraryStore::idOfVideo(const QString &path)
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id FROM library WHERE videoPath=? LIMIT 1"));
    query.addBindValue(LibraryItem::encode(QFileInfo(path).absoluteFilePath()));
    if (!query.exec() || !query.next())
        return -1;
    return query.value(0).toLongLong();
}

LibraryStore::Rows LibraryStore::metaDataRows(const QList<qlonglong> &ids, bool *ok)
{
    Rows rows;
    bool done = true;
    const auto read = [&](const QString &condition) {
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT id, dvdTitle, categories, stars FROM library") +
                        condition)) {
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("MetaDataBuilder::run error, ") + query.lastError().text();
            done = false;
            return;
        }
        while (query.next())
            rows.append({query.value(0), query.value(1), query.value(2), query.value(3)});
    };
    if (ids.isEmpty()) {
        read(QString());
    } else {
        for (qsizetype from = 0; done && from < ids.size(); from += kIdsPerStatement)
            read(QStringLiteral(" WHERE id IN (%1)").arg(idList(ids, from, kIdsPerStatement)));
    }
    if (ok)
        *ok = done;
    return rows;
}

LibraryStore::Rows LibraryStore::names(const QString &statement)
{
    Rows rows;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(statement))
        return rows;
    while (query.next())
        rows.append({query.value(0), query.value(1)});
    return rows;
}

LibraryItem LibraryStore::itemOf(const Row &row)
{
    // Where each of LibraryReader::itemFields() is in a row.
    static const QList<int> columns = {VideoPath,     SizeInBytes, CreationDate, MediaLengthInSecs,
                                       ThumbnailPath, CoverPath,   Title,        Description,
                                       Guid,          DvdTitle,    Categories,   Stars,
                                       Duration,      Downloaded};
    return LibraryReader::decode(row, columns);
}
