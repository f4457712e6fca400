#include "downloads/DownloadRecords.h"
#include "core/Logging.h"

#include "library/LibraryItem.h"
#include "library/LibraryStore.h"
#include "web/NetworkManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtDebug>

namespace {

QString urlText(const QUrl &url)
{
    return url.isEmpty() ? QString() : url.toString();
}

QString encodedUrl(const QUrl &url)
{
    return LibraryItem::encode(urlText(url));
}

// The item's columns after the first three, in this order everywhere.
const char *const kItemColumns =
    "guid, title, mediaTitle, mediaSize, fileType, thumbnailUrl, coverUrl, categories, stars, "
    "description, duration, rating, pubDate, state, failureKind, failureText";

void bindItem(QSqlQuery &query, const DownloadRecords::Row &row)
{
    const CorvanaItem &item = row.item;
    const auto text = [&query](const QString &value) {
        query.addBindValue(LibraryItem::encode(value));
    };
    text(item.guid());
    text(item.title());
    text(item.mediaTitle());
    query.addBindValue(item.mediaSize());
    text(item.fileType());
    text(urlText(item.thumbnailUrl()));
    text(item.cover());
    text(item.categories());
    text(item.stars());
    text(item.description());
    text(item.duration());
    text(item.rating());
    query.addBindValue(item.pubDate().isValid() ? item.pubDate().toMSecsSinceEpoch() : 0);
    query.addBindValue(0);
    query.addBindValue(row.failureKind);
    text(row.failureText);
}

// Runs on the store's thread.
bool insertRow(const QSqlDatabase &db, const DownloadRecords::Row &row, QString *error)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT INTO downloads (corvanaUrl, mediaUrl, downloadPath, %1) "
                                 "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?);")
                      .arg(QLatin1String(kItemColumns)));
    query.addBindValue(encodedUrl(row.corvanaUrl));
    query.addBindValue(encodedUrl(row.mediaUrl));
    query.addBindValue(LibraryItem::encode(row.downloadPath));
    bindItem(query, row);
    if (query.exec())
        return true;
    if (error)
        *error = query.lastError().text();
    return false;
}

QString textAt(const QSqlQuery &query, int column)
{
    return column < 0 ? QString() : LibraryItem::decode(query.value(column).toString());
}

// A record as stored; one of the old layout has only its three strings.
DownloadRecords::Row rowAt(const QSqlQuery &query, const QSqlRecord &record)
{
    const auto at = [&](const char *name) { return record.indexOf(QLatin1String(name)); };
    DownloadRecords::Row row;
    row.corvanaUrl = QUrl(textAt(query, at("corvanaUrl")));
    const QString media = textAt(query, at("mediaUrl"));
    row.mediaUrl = media.isEmpty() ? QUrl() : QUrl(media);
    row.downloadPath = textAt(query, at("downloadPath"));
    const QString guid = textAt(query, at("guid"));
    if (!guid.isEmpty()) {
        CorvanaMedia item;
        item.url = row.mediaUrl;
        item.title = textAt(query, at("mediaTitle"));
        item.size = at("mediaSize") < 0 ? 0 : query.value(at("mediaSize")).toLongLong();
        item.fileType = textAt(query, at("fileType"));
        const QString thumbnail = textAt(query, at("thumbnailUrl"));
        item.thumbnail = thumbnail.isEmpty() ? QUrl() : QUrl(thumbnail);
        item.rating = textAt(query, at("rating"));
        row.item.setMedia(item);
        row.item.setGuid(guid);
        row.item.setCover(textAt(query, at("coverUrl")));
        row.item.setCategories(textAt(query, at("categories")));
        row.item.setStars(textAt(query, at("stars")));
        row.item.setDescription(textAt(query, at("description")));
        row.item.setDuration(textAt(query, at("duration")));
        const qint64 date = at("pubDate") < 0 ? 0 : query.value(at("pubDate")).toLongLong();
        if (date > 0)
            row.item.setPubDate(QDateTime::fromMSecsSinceEpoch(date));
    }
    row.item.setTitle(textAt(query, at("title")));
    row.failureKind = at("failureKind") < 0 ? 0 : query.value(at("failureKind")).toInt();
    row.failureText = textAt(query, at("failureText"));
    return row;
}

bool hasRow(const QSqlDatabase &db, const QString &where, const QStringList &values, bool *ok)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT 1 FROM downloads WHERE %1 LIMIT 1;").arg(where));
    for (const QString &value : values)
        query.addBindValue(value);
    *ok = query.exec();
    if (!*ok)
        qCWarning(lcDownloads) << "DownloadRecords: unable to list downloads:"
                               << query.lastError().text();
    return *ok && query.next();
}

} // namespace

DownloadRecords::DownloadRecords(LibraryStore *store, const LibraryLocation &location)
    : m_store(store), m_location(location)
{
}

QList<DownloadRecords::Row> DownloadRecords::allRows(bool *ok) const
{
    LibraryStore *store = m_store;
    bool done = false;
    QList<Row> rows = store->call([store, &done] { return readAll(store, &done); });
    if (ok)
        *ok = done;
    return rows;
}

QFuture<DownloadRecords::StoredQueue> DownloadRecords::readQueue() const
{
    LibraryStore *store = m_store;
    const LibraryLocation location = m_location;
    return store->run([store, location] {
        StoredQueue queue;
        const QList<Row> rows = readAll(store, &queue.ok);
        queue.downloads.reserve(rows.size());
        for (const Row &row : rows) {
            StoredDownload stored{row, {}, -1};
            if (location.contains(row.downloadPath)) {
                const QFileInfo file(row.downloadPath);
                stored.keptPath = file.absoluteFilePath();
                stored.bytesOnDisk = file.exists() ? file.size() : 0;
            }
            queue.downloads.append(stored);
        }
        return queue;
    });
}

QList<DownloadRecords::Row> DownloadRecords::readAll(LibraryStore *store, bool *ok)
{
    QList<Row> rows;
    QSqlQuery query(store->connection());
    query.setForwardOnly(true);
    *ok = query.exec(QStringLiteral("SELECT * FROM downloads"));
    const QSqlRecord record = query.record();
    while (*ok && query.next())
        rows.append(rowAt(query, record));
    return rows;
}

QList<QUrl> DownloadRecords::storedUrls(bool *ok) const
{
    LibraryStore *store = m_store;
    bool done = false;
    QList<QUrl> urls = store->call([store, &done] {
        QList<QUrl> urls;
        QSqlQuery query(store->connection());
        query.setForwardOnly(true);
        done = query.exec(QStringLiteral("SELECT DISTINCT corvanaUrl FROM downloads;"));
        while (done && query.next())
            urls.append(QUrl(LibraryItem::decode(query.value(0).toString())));
        return urls;
    });
    if (ok)
        *ok = done;
    return urls;
}

void DownloadRecords::admit(const QList<Candidate> &candidates, AdmissionsDone done)
{
    LibraryStore *store = m_store;
    store->post([store, candidates, done = std::move(done)] {
        // One commit for the whole descriptor: the downloads wait for it.
        const bool inTransaction = candidates.size() > 1 && store->begin();
        QStringList batchPaths;
        QList<Admission> admissions;
        for (const Candidate &candidate : candidates)
            admissions.append(admitOne(store, candidate, &batchPaths));
        if (inTransaction && !store->commit()) {
            for (Admission &admission : admissions) {
                if (admission.verdict == Admitted)
                    admission.verdict = StoreFailed;
            }
        }
        QMetaObject::invokeMethod(QCoreApplication::instance(),
                                  [done, admissions] { done(admissions); });
    });
}

// Runs on the store's thread, inside the admission's transaction.
DownloadRecords::Admission
DownloadRecords::admitOne(LibraryStore *store, const Candidate &candidate, QStringList *batchPaths)
{
    const CorvanaItem &item = candidate.item;
    bool ok = false;
    QString error;
    if (store->containsGuid(item.guid(), &ok, &error))
        return {InLibrary, {}};
    if (!ok) {
        qCWarning(lcDownloads) << "DownloadRecords: unable to list library:" << error;
        return {StoreFailed, {}};
    }
    const QSqlDatabase db = store->connection();
    const QString media = encodedUrl(item.mediaUrl());
    // A path is taken by another item of this descriptor, by another stored
    // download, or by a video of the library with another guid.
    const auto taken = [&](const QString &path) {
        if (batchPaths->contains(path))
            return true;
        bool asked = false;
        if (hasRow(db, QStringLiteral("downloadPath=? AND mediaUrl<>?"),
                   {LibraryItem::encode(path), media}, &asked))
            return true;
        QString owner;
        return store->videoOwner(path, &owner) && owner != item.guid();
    };
    const QFileInfo first(candidate.path);
    QString path = candidate.path;
    for (int n = 1; taken(path); ++n)
        path = QStringLiteral("%1-%2/%3").arg(first.absolutePath()).arg(n).arg(first.fileName());
    if (QFileInfo::exists(path))
        return {AlreadyOnDisk, path};
    if (hasRow(db, QStringLiteral("corvanaUrl=? AND mediaUrl=?"),
               {encodedUrl(candidate.corvanaUrl), media}, &ok) ||
        !ok)
        return {ok ? Listed : StoreFailed, path};
    Row row{candidate.corvanaUrl, item.mediaUrl(), path, item, 0, {}};
    if (!insertRow(db, row, &error)) {
        qCWarning(lcDownloads) << "DownloadRecords: failed to store download for URL:"
                               << NetworkManager::loggableUrl(candidate.corvanaUrl) << error;
        return {StoreFailed, path};
    }
    batchPaths->append(path);
    return {Admitted, path};
}

void DownloadRecords::add(const QList<Row> &rows, std::function<void()> done)
{
    LibraryStore *store = m_store;
    store->post([store, rows, done = std::move(done)] {
        const QSqlDatabase db = store->connection();
        // Without a transaction every row is a commit of its own, each
        // waiting for the disk, and the downloads wait for their rows.
        const bool inTransaction = rows.size() > 1 && store->begin();
        for (const Row &row : rows)
            storeRow(db, row);
        if (inTransaction)
            store->commit();
        if (done)
            QMetaObject::invokeMethod(QCoreApplication::instance(), done);
    });
}

void DownloadRecords::storeRow(const QSqlDatabase &db, const Row &row)
{
    bool ok = false;
    if (hasRow(db, QStringLiteral("corvanaUrl=? AND mediaUrl=?"),
               {encodedUrl(row.corvanaUrl), encodedUrl(row.mediaUrl)}, &ok)) {
        qCDebug(lcDownloads) << "DownloadManager::download: download already exists in database";
        return;
    }
    if (!ok)
        return; // the download still runs, only without a stored row
    QString error;
    if (!insertRow(db, row, &error))
        qCWarning(lcDownloads) << "DownloadManager::download failed to store download for URL:"
                               << NetworkManager::loggableUrl(row.corvanaUrl) << error;
}

bool DownloadRecords::insert(const QUrl &corvanaUrl, const QUrl &mediaUrl,
                             const QString &downloadPath, QString *error)
{
    Row row;
    row.corvanaUrl = corvanaUrl;
    row.mediaUrl = mediaUrl;
    row.downloadPath = downloadPath;
    return insert(row, error);
}

bool DownloadRecords::insert(const Row &row, QString *error)
{
    LibraryStore *store = m_store;
    return store->call([store, &row, error] { return insertRow(store->connection(), row, error); });
}

void DownloadRecords::updateItem(const QUrl &corvanaUrl, const QUrl &mediaUrl,
                                 const CorvanaItem &item)
{
    LibraryStore *store = m_store;
    store->post([store, corvanaUrl, mediaUrl, item] {
        Row row;
        row.item = item;
        QSqlQuery query(store->connection());
        query.prepare(
            QStringLiteral("UPDATE downloads SET mediaUrl=?, guid=?, title=?, mediaTitle=?, "
                           "mediaSize=?, fileType=?, thumbnailUrl=?, coverUrl=?, categories=?, "
                           "stars=?, description=?, duration=?, rating=?, pubDate=?, state=?, "
                           "failureKind=?, failureText=? WHERE corvanaUrl=? AND mediaUrl=?;"));
        query.addBindValue(encodedUrl(item.mediaUrl()));
        bindItem(query, row);
        query.addBindValue(encodedUrl(corvanaUrl));
        query.addBindValue(encodedUrl(mediaUrl));
        if (!query.exec())
            qCWarning(lcDownloads)
                << "DownloadRecords::updateItem failed:" << query.lastError().text();
    });
}

void DownloadRecords::updateFailure(const QUrl &corvanaUrl, const QUrl &mediaUrl, int kind,
                                    const QString &text)
{
    LibraryStore *store = m_store;
    store->post([store, corvanaUrl, mediaUrl, kind, text] {
        QSqlQuery query(store->connection());
        query.prepare(QStringLiteral("UPDATE downloads SET failureKind=?, failureText=? "
                                     "WHERE corvanaUrl=? AND mediaUrl=?;"));
        query.addBindValue(kind);
        query.addBindValue(LibraryItem::encode(text));
        query.addBindValue(encodedUrl(corvanaUrl));
        query.addBindValue(encodedUrl(mediaUrl));
        if (!query.exec())
            qCWarning(lcDownloads)
                << "DownloadRecords::updateFailure failed:" << query.lastError().text();
    });
}

void DownloadRecords::remove(const QString &column, const QString &value, const char *what)
{
    LibraryStore *store = m_store;
    store->post([store, column, value, what] {
        QSqlQuery query(store->connection());
        const QString statement = QStringLiteral("DELETE FROM downloads WHERE %1=?;").arg(column);
        qCDebug(lcDownloads) << what << statement << value;
        query.prepare(statement);
        query.addBindValue(value);
        if (!query.exec())
            qCWarning(lcDownloads) << what << "failed:" << query.lastError().text();
    });
}

void DownloadRecords::removeByMediaUrl(const QUrl &mediaUrl)
{
    remove(QStringLiteral("mediaUrl"), encodedUrl(mediaUrl), "removeByMediaUrl");
}

void DownloadRecords::removeByCorvanaUrl(const QUrl &corvanaUrl)
{
    remove(QStringLiteral("corvanaUrl"), encodedUrl(corvanaUrl), "removeByCorvanaUrl");
}

void DownloadRecords::removeByPath(const QString &downloadPath)
{
    remove(QStringLiteral("downloadPath"), LibraryItem::encode(downloadPath), "removeByPath");
}
