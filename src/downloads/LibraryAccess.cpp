#include "downloads/LibraryAccess.h"

#include "downloads/Download.h"
#include "library/LibraryItem.h"
#include "library/LibraryStore.h"

#include <QFileInfo>

bool LibraryAccess::containsGuid(LibraryStore *store, const QString &guid, bool *ok, QString *error)
{
    return store->call([store, &guid, ok, error] { return store->containsGuid(guid, ok, error); });
}

bool LibraryAccess::videoOwner(LibraryStore *store, const QString &path, QString *guid)
{
    return store->call([store, &path, guid] { return store->videoOwner(path, guid); });
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
