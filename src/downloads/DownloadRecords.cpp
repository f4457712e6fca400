#include "downloads/DownloadRecords.h"
#include "core/Logging.h"

#include "library/LibraryItem.h"
#include "library/LibraryStore.h"
#include "web/NetworkManager.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

namespace {

QString urlText(const QUrl &url)
{
    return url.isEmpty() ? QString() : url.toString();
}

// Runs on the store's thread.
bool insertRow(const QSqlDatabase &db, const QUrl &corvanaUrl, const QUrl &mediaUrl,
               const QString &downloadPath, QString *error)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "INSERT INTO downloads (corvanaUrl, mediaUrl, downloadPath) VALUES(?, ?, ?);"));
    query.addBindValue(LibraryItem::encode(urlText(corvanaUrl)));
    query.addBindValue(LibraryItem::encode(urlText(mediaUrl)));
    query.addBindValue(LibraryItem::encode(downloadPath));
    if (query.exec())
        return true;
    if (error)
        *error = query.lastError().text();
    return false;
}

} // namespace

DownloadRecords::DownloadRecords(LibraryStore *store) : m_store(store) {}

QList<DownloadRecords::Row> DownloadRecords::allRows(bool *ok) const
{
    LibraryStore *store = m_store;
    bool done = false;
    QList<Row> rows = store->call([store, &done] {
        QList<Row> rows;
        QSqlQuery query(store->connection());
        query.setForwardOnly(true);
        done =
            query.exec(QStringLiteral("SELECT corvanaUrl, mediaUrl, downloadPath FROM downloads"));
        while (done && query.next()) {
            const QString media = LibraryItem::decode(query.value(1).toString());
            rows.append({QUrl(LibraryItem::decode(query.value(0).toString())),
                         media.isEmpty() ? QUrl() : QUrl(media),
                         LibraryItem::decode(query.value(2).toString())});
        }
        return rows;
    });
    if (ok)
        *ok = done;
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

bool DownloadRecords::containsPath(const QString &path, bool *ok) const
{
    bool done = false;
    const QList<Row> rows = allRows(&done);
    if (ok)
        *ok = done;
    if (!done) {
        qCDebug(lcDownloads) << "DownloadManager::contains could not execute query";
        return false;
    }
    for (const Row &row : rows) {
        if (row.downloadPath == path)
            return true;
    }
    return false;
}

void DownloadRecords::add(const QList<Row> &rows, std::function<void()> done)
{
    LibraryStore *store = m_store;
    store->post([store, rows, done = std::move(done)] {
        QSqlDatabase db = store->connection();
        // Without a transaction every row is a commit of its own, each
        // waiting for the disk, and the downloads wait for their rows.
        const bool inTransaction = rows.size() > 1 && db.transaction();
        for (const Row &row : rows)
            storeRow(db, row.corvanaUrl, row.mediaUrl, row.downloadPath);
        if (inTransaction && !db.commit()) {
            qCWarning(lcDownloads)
                << "DownloadRecords: unable to store downloads:" << db.lastError().text();
            db.rollback();
        }
        if (done)
            QMetaObject::invokeMethod(QCoreApplication::instance(), done);
    });
}

void DownloadRecords::storeRow(const QSqlDatabase &db, const QUrl &corvanaUrl, const QUrl &mediaUrl,
                               const QString &downloadPath)
{
    {
        QSqlQuery query(db);
        query.prepare(QStringLiteral(
            "SELECT corvanaUrl, mediaUrl FROM downloads WHERE corvanaUrl=? AND mediaUrl=?;"));
        query.addBindValue(LibraryItem::encode(urlText(corvanaUrl)));
        query.addBindValue(LibraryItem::encode(urlText(mediaUrl)));
        if (!query.exec()) {
            // The download still runs, only without a stored row.
            qCWarning(lcDownloads) << "DownloadManager::download: unable to list downloads"
                                   << "error:" << query.lastError().text();
            return;
        }
        if (query.next()) {
            qCDebug(lcDownloads)
                << "DownloadManager::download: download already exists in database";
            return;
        }
    }
    QString error;
    if (!insertRow(db, corvanaUrl, mediaUrl, downloadPath, &error))
        qCWarning(lcDownloads) << "DownloadManager::download failed to store download for URL:"
                               << NetworkManager::loggableUrl(corvanaUrl) << error;
}

bool DownloadRecords::insert(const QUrl &corvanaUrl, const QUrl &mediaUrl,
                             const QString &downloadPath, QString *error)
{
    LibraryStore *store = m_store;
    return store->call([store, &corvanaUrl, &mediaUrl, &downloadPath, error] {
        return insertRow(store->connection(), corvanaUrl, mediaUrl, downloadPath, error);
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
    remove(QStringLiteral("mediaUrl"), LibraryItem::encode(urlText(mediaUrl)), "removeByMediaUrl");
}

void DownloadRecords::removeByCorvanaUrl(const QUrl &corvanaUrl)
{
    remove(QStringLiteral("corvanaUrl"), LibraryItem::encode(urlText(corvanaUrl)),
           "removeByCorvanaUrl");
}

void DownloadRecords::removeByPath(const QString &downloadPath)
{
    remove(QStringLiteral("downloadPath"), LibraryItem::encode(downloadPath), "removeByPath");
}
