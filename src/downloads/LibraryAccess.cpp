#include "LibraryAccess.h"

#include "Download.h"
#include "Library.h"
#include "LibraryItem.h"
#include "RecursiveMutex.h"

#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

namespace {

QPointer<Library> &registered()
{
    static QPointer<Library> library;
    return library;
}

} // namespace

void LibraryAccess::setLibrary(Library *library)
{
    registered() = library;
}

Library *LibraryAccess::library()
{
    return registered();
}

QRecursiveMutex *LibraryAccess::mutex()
{
    static QRecursiveMutex fallback;
    Library *library = registered();
    return library ? library->mutex()->mutex() : &fallback;
}

bool LibraryAccess::containsGuid(const QString &guid, bool *ok, QString *error)
{
    if (Library *library = registered()) {
        const bool found = library->containsGuid(guid, ok);
        if (!*ok)
            *error = QStringLiteral("library look-up failed");
        return found;
    }
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

void LibraryAccess::importFinished(const Download &download)
{
    Library *library = registered();
    if (!library) {
        qDebug() << "LibraryAccess: no library to import" << download.mediaPath();
        return;
    }
    library->importItems(itemFor(download));
}
