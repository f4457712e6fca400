#include "downloads/DownloadRecords.h"
#include "core/Logging.h"

#include "library/Library.h"
#include "downloads/LibraryAccess.h"
#include "library/LibraryItem.h"

#include <QMutexLocker>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

namespace {

QString urlText(const QUrl &url)
{
    return url.isEmpty() ? QString() : url.toString();
}

} // namespace

QList<QUrl> DownloadRecords::storedUrls(bool *ok)
{
    QSqlQuery query(Library::database());
    {
        QMutexLocker locker(LibraryAccess::mutex());
        const bool done = query.exec(QStringLiteral("SELECT DISTINCT corvanaUrl FROM downloads;"));
        if (ok)
            *ok = done;
        if (!done)
            return {};
    }
    QList<QUrl> urls;
    while (query.next())
        urls.append(QUrl(LibraryItem::decode(query.value(0).toString())));
    return urls;
}

bool DownloadRecords::exists(const QUrl &corvanaUrl, const QUrl &mediaUrl, bool *ok, QString *error)
{
    QMutexLocker locker(LibraryAccess::mutex());
    QSqlQuery query(Library::database());
    query.prepare(QStringLiteral(
        "SELECT corvanaUrl, mediaUrl FROM downloads WHERE corvanaUrl=? AND mediaUrl=?;"));
    query.addBindValue(LibraryItem::encode(urlText(corvanaUrl)));
    query.addBindValue(LibraryItem::encode(urlText(mediaUrl)));
    *ok = query.exec();
    if (!*ok) {
        if (error)
            *error = query.lastError().text();
        return false;
    }
    return query.next();
}

bool DownloadRecords::insert(const QUrl &corvanaUrl, const QUrl &mediaUrl,
                             const QString &downloadPath, QString *error)
{
    QMutexLocker locker(LibraryAccess::mutex());
    QSqlQuery query(Library::database());
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

bool DownloadRecords::execRemove(const QString &column, const QString &value, const char *what)
{
    QMutexLocker locker(LibraryAccess::mutex());
    QSqlQuery query(Library::database());
    const QString statement = QStringLiteral("DELETE FROM downloads WHERE %1=?;").arg(column);
    qCDebug(lcDownloads) << what << statement << value;
    query.prepare(statement);
    query.addBindValue(value);
    if (query.exec())
        return true;
    qCWarning(lcDownloads) << what << "failed:" << query.lastError().text();
    return false;
}

bool DownloadRecords::removeByMediaUrl(const QUrl &mediaUrl)
{
    return execRemove(QStringLiteral("mediaUrl"), LibraryItem::encode(urlText(mediaUrl)),
                      "removeByMediaUrl");
}

bool DownloadRecords::removeByCorvanaUrl(const QUrl &corvanaUrl)
{
    return execRemove(QStringLiteral("corvanaUrl"), LibraryItem::encode(urlText(corvanaUrl)),
                      "removeByCorvanaUrl");
}

bool DownloadRecords::removeByPath(const QString &downloadPath)
{
    return execRemove(QStringLiteral("downloadPath"), LibraryItem::encode(downloadPath),
                      "removeByPath");
}

QList<DownloadRecords::Row> DownloadRecords::allRows(bool *ok)
{
    QSqlQuery query(Library::database());
    {
        QMutexLocker locker(LibraryAccess::mutex());
        const bool done =
            query.exec(QStringLiteral("SELECT corvanaUrl, mediaUrl, downloadPath FROM downloads"));
        if (ok)
            *ok = done;
        if (!done)
            return {};
    }
    QList<Row> rows;
    while (query.next()) {
        const QString media = LibraryItem::decode(query.value(1).toString());
        rows.append({QUrl(LibraryItem::decode(query.value(0).toString())),
                     media.isEmpty() ? QUrl() : QUrl(media),
                     LibraryItem::decode(query.value(2).toString())});
    }
    return rows;
}

bool DownloadRecords::containsPath(const QString &path, bool *ok)
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
