#include "downloads/LibraryAccess.h"
#include "core/Logging.h"

#include "downloads/Download.h"
#include "library/Library.h"
#include "library/LibraryItem.h"

#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRecursiveMutex>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

QRecursiveMutex *LibraryAccess::mutex()
{
    // The lock of the download records' connection.
    static QRecursiveMutex lock;
    return &lock;
}

bool LibraryAccess::containsGuid(const QString &guid, bool *ok, QString *error)
{
    QMutexLocker locker(mutex());
    QSqlQuery query(Library::database());
    query.prepare(QStringLiteral("SELECT id FROM library WHERE guid=?;"));
    query.addBindValue(LibraryItem::encode(guid));
    *ok = query.exec();
    if (!*ok) {
        *error = query.lastError().text();
        return false;
    }
    return query.next();
}

bool LibraryAccess::videoOwner(const QString &path, QString *guid)
{
    QMutexLocker locker(mutex());
    QSqlQuery query(Library::database());
    query.prepare(QStringLiteral("SELECT guid FROM library WHERE videoPath=? LIMIT 1;"));
    query.addBindValue(LibraryItem::encode(path));
    if (!query.exec() || !query.next())
        return false;
    *guid = LibraryItem::decode(query.value(0).toString());
    return true;
}

LibraryItem LibraryAccess::itemFor(const Download &download)
{
    if (download.isDirect())
        return LibraryItem::fromFile(download.mediaPath(), QString());
    const CorvanaItem item = download.item();
    LibraryItem record = LibraryItem::fromFile(download.mediaPath(), QString());
    record.title(item.title());
    record.description(item.description());
    record.guid(item.guid());
    record.categories(item.categories());
    record.stars(item.stars());
    record.duration(item.duration());
    if (QFileInfo::exists(download.coverPath()))
        record.coverPath(download.coverPath());
    if (QFileInfo::exists(download.thumbnailPath()))
        record.thumbnailPath(download.thumbnailPath());
    return record;
}
