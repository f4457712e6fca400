#include "library/Library.h"
#include "core/Logging.h"

#include "library/IntegrityChecker.h"
#include "library/LibraryPaths.h"
#include "library/LibraryReader.h"
#include "library/MetaDataBuilder.h"
#include "library/RecursiveMutex.h"
#include "library/SQLModel.h"
#include "library/SiteReport.h"
#include "library/VideoImporter.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkReply>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QTimer>
#include <QtDebug>

#include <algorithm>
#include <utility>

namespace {

constexpr int kColumnCount = 7;
// Only the start of the site's answer to an edit report is logged.
constexpr qint64 kMaxReportReply = 64 * 1024;
// Wait before new rows are tried again while the lock is busy.
constexpr int kShowStoredRetryMs = 20;

int sortColumn(Library::sortHeaders key)
{
    switch (key) {
    case Library::SortDate:
        return 4;
    case Library::SortDuration:
        return 13;
    case Library::SortTitle:
        return 2;
    }
    return 0;
}

} // namespace

Library::Library(QObject *parent)
    : QAbstractTableModel(parent), m_copier(new FileCopier(this)),
      m_mutex(connectionMutex()), m_db(database())
{
    qRegisterMetaType<LibraryItem>("LibraryItem");
    qRegisterMetaType<LibraryItems>("LibraryItems");
    // Shown as text (in a plain view of column 0, say), an item is its title.
    static const bool converter =
        QMetaType::registerConverter<LibraryItem, QString>(&LibraryItem::title);
    Q_UNUSED(converter);

    m_model = new SQLModel(this, m_db);
    m_model->setParent(this);
    for (const QString &field : LibraryReader::itemFields())
        m_itemColumns << m_model->fieldIndex(field);
    forwardModelSignals();

    connect(m_copier, &FileCopier::finished, this, &Library::fileCopyFinished);
    connect(m_copier, &FileCopier::error, this, &Library::fileCopyError);
    connect(m_copier, &FileCopier::dataTransferProgress, this, &Library::fileCopyProgress);
    connect(m_copier, &FileCopier::done, this, &Library::done);

    m_metaDataBuilder = new MetaDataBuilder(this, databasePath());
    m_metaDataBuilder->setParent(this);
    m_integrityChecker = new IntegrityChecker(this);
    m_integrityChecker->setParent(this);
    connect(m_integrityChecker, &QThread::finished, m_metaDataBuilder, &MetaDataBuilder::build);

    m_importer = new VideoImporter(this);
    m_importer->setParent(this);
    connect(m_importer, &VideoImporter::updated, this, &Library::updated, Qt::QueuedConnection);
    connect(m_importer, &VideoImporter::importFinished, this, &Library::importFinished,
            Qt::QueuedConnection);
    connect(m_importer, &VideoImporter::inserted, this, &Library::showStoredRows,
            Qt::QueuedConnection);
    m_showStoredRetry = new QTimer(this);
    m_showStoredRetry->setSingleShot(true);
    m_showStoredRetry->setInterval(kShowStoredRetryMs);
    connect(m_showStoredRetry, &QTimer::timeout, this, &Library::showStoredRows);
    m_importer->start();

    // The first read of the table, newest first.
    onSort(SortDate, Qt::DescendingOrder);
}

Library::~Library()
{
    // The rows are not read again: nobody shows them any more.
    stopWorkers();
}

void Library::forwardModelSignals()
{
    QAbstractItemModel *inner = m_model;
    // Any change of the rows makes the decoded items stale; this runs before
    // the forwarded signals below, so views never read a stale item.
    connect(inner, &QAbstractItemModel::modelAboutToBeReset, this, &Library::clearItemCache);
    connect(inner, &QAbstractItemModel::modelReset, this, &Library::clearItemCache);
    connect(inner, &QAbstractItemModel::layoutChanged, this, &Library::clearItemCache);
    connect(inner, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { itemsInserted(first, last); });
    connect(inner, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) { itemsRemoved(first, last); });
    connect(inner, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                itemsChanged(topLeft.row(), bottomRight.row());
            });
    // A fresh read of the table makes the rows match it again.
    connect(inner, &QAbstractItemModel::modelReset, this, [this] {
        LibraryLocker locker(m_mutex->mutex());
        m_modelStale = false;
    });
    // The inner model's indexes are turned into ours (whole rows: our
    // columns are not the table's).
    connect(inner, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                emit dataChanged(index(topLeft.row(), 0),
                                 index(bottomRight.row(), kColumnCount - 1));
            });
    connect(inner, &QAbstractItemModel::headerDataChanged, this,
            [this] { emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1); });
    connect(inner, &QAbstractItemModel::layoutAboutToBeChanged, this,
            [this] { emit layoutAboutToBeChanged(); });
    connect(inner, &QAbstractItemModel::layoutChanged, this, [this] { emit layoutChanged(); });
    connect(inner, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex &, int first, int last) { beginInsertRows({}, first, last); });
    connect(inner, &QAbstractItemModel::rowsInserted, this, [this] { endInsertRows(); });
    connect(inner, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { beginRemoveRows({}, first, last); });
    connect(inner, &QAbstractItemModel::rowsRemoved, this, [this] { endRemoveRows(); });
    connect(inner, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(inner, &QAbstractItemModel::modelReset, this, [this] { endResetModel(); });
}

int Library::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_model->rowCount();
}

int Library::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QRecursiveMutex *Library::rowsLock() const
{
    return QThread::currentThread() == thread() ? nullptr : m_mutex->mutex();
}

LibraryItem Library::item(int row) const
{
    LibraryLocker locker(rowsLock());
    const int rows = m_model->rowCount();
    if (row < 0 || row >= rows)
        return LibraryItem();
    // The cache is the library thread's own.
    if (locker.mutex())
        return decodeRow(m_model->valuesAt(row));
    if (m_items.size() != rows) {
        m_items.clear();
        m_items.resize(rows);
    }
    std::optional<LibraryItem> &cached = m_items[row];
    if (!cached)
        cached = decodeRow(m_model->valuesAt(row));
    return *cached;
}

LibraryItem Library::decodeRow(const QList<QVariant> &values) const
{
    return LibraryReader::decode(values, m_itemColumns);
}

void Library::clearItemCache()
{
    LibraryLocker locker(m_mutex->mutex());
    m_items.clear();
}

void Library::itemsInserted(int first, int last)
{
    LibraryLocker locker(m_mutex->mutex());
    const int count = last - first + 1;
    // A cache of the old rows gets empty slots; any other is dropped.
    if (m_items.size() + count == m_model->rowCount() && first <= m_items.size())
        m_items.insert(first, count, std::nullopt);
    else
        m_items.clear();
}

void Library::itemsChanged(int first, int last)
{
    LibraryLocker locker(m_mutex->mutex());
    for (int row = std::max(first, 0); row <= last && row < m_items.size(); ++row)
        m_items[row].reset();
}

void Library::itemsRemoved(int first, int last)
{
    LibraryLocker locker(m_mutex->mutex());
    const int count = last - first + 1;
    if (m_items.size() - count == m_model->rowCount() && last < m_items.size())
        m_items.remove(first, count);
    else
        m_items.clear();
}

QVariant Library::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
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
    }
    return QVariant();
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
        return tr("Models");
    case 5:
        return tr("Categories");
    case 6:
        return tr("Description");
    }
    return QVariant();
}

Qt::ItemFlags Library::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

QSqlDatabase Library::connection() const
{
    if (QThread::currentThread() == thread())
        return m_db;
    // Qt connections belong to the thread that made them: a worker gets its
    // own on the same file, kept until it calls releaseThreadConnection().
    const QString name = threadConnectionName();
    if (QSqlDatabase::contains(name))
        return QSqlDatabase::database(name);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(databasePath());
    if (db.open())
        tuneConnection(db);
    else
        qCWarning(lcLibrary).noquote() << QStringLiteral("Library::connection could not open ") +
                                    databasePath() + QStringLiteral("\n    with error: ") +
                                    db.lastError().text();
    return db;
}

QString Library::threadConnectionName()
{
    return QStringLiteral("zeltaLibrary-%1").arg(quintptr(QThread::currentThreadId()), 0, 16);
}

void Library::releaseThreadConnection()
{
    const QString name = threadConnectionName();
    if (!QSqlDatabase::contains(name))
        return;
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
}

bool Library::isBusy() const
{
    return !m_copyTargets.isEmpty() || !m_pending.isEmpty() || !m_importer->isIdle() ||
           m_metaDataBuilder->isBuilding() || m_integrityChecker->isRunning();
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
    if (!stopWorkers())
        return;
    // What the importer stored last is shown by the model of this run too.
    LibraryLocker locker(m_mutex->mutex());
    if (m_modelStale)
        refresh();
    else
        showStoredRows();
}

bool Library::isImportItem(LibraryItem item)
{
    if (!item.isValid()) {
        qCWarning(lcLibrary) << "Libary::importItem invalid item";
        return false;
    }
    if (item.guid().isEmpty())
        return true;
    LibraryLocker locker(m_mutex->mutex());
    QSqlQuery query(connection());
    query.prepare(QStringLiteral("SELECT videoPath, sizeInBytes, creationDate, mediaLengthInSecs, "
                                 "thumbnailPath, title, description, categories, stars, duration "
                                 "FROM library WHERE guid=?"));
    query.addBindValue(LibraryItem::encode(item.guid()));
    if (!query.exec()) {
        qCWarning(lcLibrary).noquote() << QStringLiteral("Library::importItem error checking if importing "
                                               "item (remote) exists\n    with error: ") +
                                    query.lastError().text();
        return false;
    }
    if (query.next())
        qCDebug(lcLibrary) << "Library::importItem item already exists in database, still adding it..";
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
    const int guidColumn = m_model->fieldIndex(QStringLiteral("guid"));
    const int rows = m_model->rowCount();
    QList<int> found;
    for (int row = 0; row < rows; ++row) {
        const QString value = m_model->index(row, guidColumn).data().toString();
        if (value == stored || LibraryItem::decode(value) == guid)
            found << row;
    }
    return found;
}

void Library::removeItem(QString guid)
{
    qlonglong id = -1;
    {
        LibraryLocker locker(m_mutex->mutex());
        const QList<int> rows = rowsOfGuid(guid);
        if (rows.isEmpty())
            return;
        id = m_model->recordAt(rows.first()).value(QStringLiteral("id")).toLongLong();
        if (!m_model->removeRows(rows.first(), 1))
            return;
    }
    // The row's categories and titles leave the filter lists with it.
    m_metaDataBuilder->updateRows({id});
}

void Library::removeItem(int row, bool updateMetadata)
{
    qlonglong id;
    {
        LibraryLocker locker(m_mutex->mutex());
        if (row < 0 || row >= m_model->rowCount()) {
            qCWarning(lcLibrary) << "Library::removeItem called with invalid row " << row;
            return;
        }
        const QSqlRecord record = m_model->recordAt(row);
        id = record.value(QStringLiteral("id")).toLongLong();
        const LibraryItem video = LibraryItem::fromRecord(record);
        if (m_model->removeRows(row, 1))
            deleteItemFiles(video);
        else
            qCWarning(lcLibrary).noquote() << QStringLiteral("Library::removeRow error: ") +
                                        m_model->lastError().text();
    }
    emit updated();
    if (updateMetadata)
        m_metaDataBuilder->updateRows({id});
}

void Library::removeItem(int row)
{
    removeItem(row, true);
}

bool Library::removeRecord(int id, bool deleteFiles)
{
    LibraryItem video;
    {
        LibraryLocker locker(m_mutex->mutex());
        QSqlQuery query(connection());
        query.prepare(QStringLiteral("SELECT * FROM library WHERE id=?"));
        query.addBindValue(id);
        if (!query.exec() || !query.next())
            return false;
        video = LibraryItem::fromRecord(query.record());
        query.finish();
        query.prepare(QStringLiteral("DELETE FROM library WHERE id=?"));
        query.addBindValue(id);
        if (!query.exec()) {
            qCWarning(lcLibrary).noquote() << QStringLiteral("Library::removeRow error: ") +
                                        query.lastError().text();
            return false;
        }
        m_removedIds << id;
        if (deleteFiles)
            deleteItemFiles(video);
    }
    QMetaObject::invokeMethod(this, &Library::showStoredRows, Qt::QueuedConnection);
    emit updated();
    return true;
}

bool Library::isReferenced(const QString &path)
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id FROM library WHERE videoPath=? OR thumbnailPath=? OR "
                                 "coverPath=? LIMIT 1"));
    const QString stored = LibraryItem::encode(path);
    for (int i = 0; i < 3; ++i)
        query.addBindValue(stored);
    // When in doubt the file stays.
    return !query.exec() || query.next();
}

void Library::deleteItemFiles(const LibraryItem &item)
{
    // Only the row's own files inside the library go, never a file another
    // row still shows, and a folder only once it is empty.
    QStringList folders;
    for (const QString &path : {item.videoPath(), item.coverPath(), item.thumbnailPath()}) {
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
        if (isReferenced(path))
            continue;
        if (!QFile::remove(path)) {
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("Library::removeItem unable to delete: ") + path;
        }
    }
    for (const QString &path : std::as_const(folders)) {
        QDir folder(path);
        if (!folder.exists() || LibraryPaths::isLibraryFolder(path) || !LibraryPaths::isInside(path) ||
            !folder.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            continue;
        const QString name = folder.dirName();
        if (folder.cdUp() && !folder.rmdir(name))
            qCWarning(lcLibrary).noquote() << QStringLiteral("Could not remove file: ") + path;
    }
}

bool Library::importFile(QString originalPath, QString toDir)
{
    const QFileInfo original(originalPath);
    if (!original.exists()) {
        qCWarning(lcLibrary) << "Library::importFile invalid path";
        return false;
    }
    const QDir library(libraryPath());
    // A name is taken by a file or by a copy still on its way there.
    const auto taken = [this, &library](const QString &name) {
        return library.exists(name) ||
               std::any_of(
                   m_copyTargets.cbegin(), m_copyTargets.cend(),
                   [&](const QString &target) { return target == library.absoluteFilePath(name); });
    };
    QString target = original.fileName();
    for (int n = 1; taken(target); ++n) {
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
        qCWarning(lcLibrary).noquote() << QStringLiteral("Library::importFile file already exists in "
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
    m_copyTargets.insert(id, destination);
    emit importStarted();
    return true;
}

bool Library::importFile(QString originalPath)
{
    return importFile(originalPath, QString());
}

void Library::importFolder(QString path)
{
    const QDir folder(path);
    if (path.isEmpty() || !folder.exists()) {
        qCWarning(lcLibrary) << "Libraray::importFolder invalid path";
        return;
    }
    const QFileInfoList entries = folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries)
        importFile(entry.absoluteFilePath(), QString());
}

LibraryItems Library::find(QString searchString)
{
    LibraryItems found;
    LibraryLocker locker(m_mutex->mutex());
    const QString pattern = LibraryReader::findPattern(searchString);
    // While the model matches the table, only the ids of the hits are read
    // and the rows come from the model, decoded once. A row removed by a
    // worker may still be shown with an id the table gave to a new row.
    if (!m_modelStale && m_removedIds.isEmpty()) {
        bool complete = false;
        found = findInModel(pattern, &complete);
        if (complete)
            return found;
        found.clear();
    }
    LibraryReader reader(connection());
    if (!reader.find(searchString, [&found](int, const LibraryItem &item) { found << item; }))
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("Library::find query failed: ") + reader.lastError();
    return found;
}

LibraryItems Library::findInModel(const QString &pattern, bool *complete) const
{
    LibraryItems found;
    *complete = false;
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id FROM library WHERE ") + LibraryReader::findCondition());
    query.bindValue(QStringLiteral(":text"), pattern);
    if (!query.exec())
        return found;
    QList<int> rows;
    while (query.next()) {
        const int row = m_model->rowOfId(query.value(0).toInt());
        if (row < 0)
            return found;
        rows << row;
    }
    found.reserve(rows.size());
    for (int row : std::as_const(rows))
        found << item(row);
    *complete = true;
    return found;
}

void Library::setDownloaded(QString guid)
{
    bool ok;
    {
        LibraryLocker locker(m_mutex->mutex());
        QSqlQuery query(connection());
        query.prepare(QStringLiteral("UPDATE library SET downloaded=1 WHERE guid=?;"));
        query.addBindValue(LibraryItem::encode(guid));
        ok = query.exec();
        // Only the rows of this guid are read again (by id: a row may move).
        QList<int> ids;
        for (int row : rowsOfGuid(guid))
            ids << m_model->valuesAt(row).value(m_model->fieldIndex(QStringLiteral("id"))).toInt();
        for (int id : std::as_const(ids)) {
            if (ok && !m_model->reloadRow(m_model->rowOfId(id)))
                markModelStale();
        }
    }
    if (!ok) {
        qCWarning(lcLibrary) << "set Download Failed query";
        return;
    }
    if (m_modelStale)
        refresh();
    emit updated();
}

void Library::onSort(Library::sortHeaders column, Qt::SortOrder order)
{
    qCDebug(lcLibrary) << "onsort col" << int(column);
    LibraryLocker locker(m_mutex->mutex());
    m_model->setSort(sortColumn(column), order);
    m_model->select();
    emit doSorted();
    m_model->fetchAll();
}

QList<bool> Library::contains(const LibraryItems &items)
{
    QList<bool> found(items.size(), false);
    if (items.isEmpty())
        return found;
    LibraryLocker locker(m_mutex->mutex());
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT title, dvdTitle, videoPath FROM library"))) {
        qCWarning(lcLibrary) << "Library::contains could not execute query";
        return found;
    }
    // One read of the table answers for every item.
    QSet<QString> videoPaths;
    QSet<QPair<QString, QString>> titles;
    while (query.next()) {
        titles.insert({LibraryItem::decode(query.value(0).toString()),
                       LibraryItem::decode(query.value(1).toString())});
        videoPaths.insert(LibraryItem::decode(query.value(2).toString()));
    }
    for (qsizetype i = 0; i < items.size(); ++i) {
        const LibraryItem &item = items.at(i);
        found[i] = videoPaths.contains(item.videoPath()) ||
                   titles.contains({item.title(), item.dvdTitle()});
    }
    return found;
}

RecursiveMutex *Library::connectionMutex()
{
    // One lock for the one shared connection, whoever uses it: the library,
    // the download records and the updater, in any thread.
    static RecursiveMutex mutex;
    return &mutex;
}

bool Library::containsGuid(const QString &guid, bool *ok)
{
    LibraryLocker locker(m_mutex->mutex());
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id FROM library WHERE guid=?"));
    query.addBindValue(LibraryItem::encode(guid));
    const bool executed = query.exec();
    if (ok)
        *ok = executed;
    if (!executed)
        qCWarning(lcLibrary).noquote() << QStringLiteral("Library::containsGuid query failed: ") +
                                    query.lastError().text();
    return executed && query.next();
}

bool Library::updateItem(int row, const QString &title, const QString &description,
                         const QString &categories, const QString &stars)
{
    SiteReport::Form form;
    qlonglong id;
    {
        LibraryLocker locker(m_mutex->mutex());
        if (row < 0 || row >= m_model->rowCount())
            return false;
        const QSqlRecord record = m_model->recordAt(row);
        id = record.value(QStringLiteral("id")).toLongLong();
        const LibraryItem old = LibraryItem::fromRecord(record);
        form << qMakePair(QStringLiteral("member_id"), SiteReport::memberName())
             << qMakePair(QStringLiteral("fileName"), QFileInfo(old.videoPath()).fileName());
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

        QSqlQuery query(connection());
        query.prepare(QStringLiteral("UPDATE library SET title=:title, description=:description, "
                                     "categories=:categories, stars=:stars WHERE id=:id"));
        query.bindValue(QStringLiteral(":title"), LibraryItem::encode(title));
        query.bindValue(QStringLiteral(":description"), LibraryItem::encode(description));
        query.bindValue(QStringLiteral(":categories"), LibraryItem::encode(categories));
        query.bindValue(QStringLiteral(":stars"), LibraryItem::encode(stars));
        query.bindValue(QStringLiteral(":id"), id);
        if (!query.exec()) {
            qCWarning(lcLibrary).noquote() << QStringLiteral("CorvMediaInformationEditDialog::accept(): ") +
                                        query.lastError().text();
            qCWarning(lcLibrary).noquote() << query.lastQuery();
            return false;
        }
        // Only this row is read again; views repaint it.
        if (!m_model->reloadRow(row))
            markModelStale();
    }
    if (m_modelStale)
        refresh();
    emit updated();
    m_metaDataBuilder->updateRows({id});
    QNetworkReply *reply = SiteReport::postEdit(form);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { postbackFinsihed(reply); });
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

void Library::refresh()
{
    LibraryLocker locker(m_mutex->mutex());
    m_storedIds.clear();
    m_removedIds.clear();
    m_model->select();
}

void Library::showStoredRows()
{
    // An index build holds the lock for long: rather than wait (and freeze
    // the views), try again shortly.
    if (!m_mutex->tryLock()) {
        m_showStoredRetry->start();
        return;
    }
    // Removals first: a stored row may reuse the id of a removed one.
    m_model->forgetRows(std::exchange(m_removedIds, {}));
    const QList<qlonglong> ids = std::exchange(m_storedIds, {});
    if (!ids.isEmpty())
        m_model->showStoredRows(ids);
    m_mutex->unlock();
}

void Library::done(bool)
{
    if (m_pending.isEmpty())
        return;
    importItems(m_pending);
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
    if (error) {
        qCWarning(lcLibrary) << "Library::fileCopyFinished error occurred, cancelling import";
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
