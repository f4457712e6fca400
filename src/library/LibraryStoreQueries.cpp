// The store's questions about single videos and paths: is this guid or
// file stored, who owns a path, what the downloads and the integrity check
// need to know. Run on the store's thread like the rest of LibraryStore.
#include "library/LibraryStore.h"

#include "core/Logging.h"
#include "library/LibraryReader.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

bool LibraryStore::markDownloaded(const QString &guid)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("UPDATE library SET downloaded=1 WHERE guid=?;"));
    query.addBindValue(LibraryItem::encode(guid));
    if (!query.exec())
        return false;
    const Rows rows = select(QStringLiteral("guid=?"), {LibraryItem::encode(guid)});
    if (!rows.isEmpty())
        emit rowsChanged(rows);
    return true;
}

bool LibraryStore::containsGuid(const QString &guid, bool *ok, QString *error)
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id FROM library WHERE guid=? LIMIT 1"));
    query.addBindValue(LibraryItem::encode(guid));
    const bool executed = query.exec();
    if (ok)
        *ok = executed;
    if (!executed) {
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("Library::containsGuid query failed: ") + query.lastError().text();
        if (error)
            *error = query.lastError().text();
    }
    return executed && query.next();
}

bool LibraryStore::videoOwner(const QString &path, QString *guid)
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT guid FROM library WHERE videoPath=? LIMIT 1"));
    query.addBindValue(LibraryItem::encode(path));
    if (!query.exec() || !query.next())
        return false;
    *guid = LibraryItem::decode(query.value(0).toString());
    return true;
}

QList<bool> LibraryStore::contains(const LibraryItems &items)
{
    QList<bool> found(items.size(), false);
    if (items.isEmpty())
        return found;
    QSqlQuery query(m_db);
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

bool LibraryStore::isReferenced(const QString &path)
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id FROM library WHERE videoPath=? OR thumbnailPath=? OR "
                                 "coverPath=? LIMIT 1"));
    const QString stored = LibraryItem::encode(path);
    for (int i = 0; i < 3; ++i)
        query.addBindValue(stored);
    // When in doubt the file stays.
    return !query.exec() || query.next();
}

LibraryItems LibraryStore::find(const QString &text, bool *ok)
{
    LibraryItems found;
    LibraryReader reader(m_db);
    const bool done = reader.find(text, [&found](int, const LibraryItem &item) { found << item; });
    if (!done)
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("Library::find query failed: ") + reader.lastError();
    if (ok)
        *ok = done;
    return found;
}

QSet<QString> LibraryStore::downloadPaths()
{
    QSet<QString> paths;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT downloadPath FROM downloads")))
        return paths;
    while (query.next())
        paths << QFileInfo(LibraryItem::decode(query.value(0).toString())).absoluteFilePath();
    return paths;
}

QList<LibraryStore::StoredVideo> LibraryStore::readVideoPaths(bool *ok)
{
    QList<StoredVideo> videos;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    const bool read = query.exec(QStringLiteral("SELECT id, videoPath FROM library ORDER BY id"));
    if (read) {
        while (query.next())
            videos.append({query.value(0).toLongLong(), query.value(1).toString()});
    } else {
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("LibraryStore::readVideoPaths failed: ") + query.lastError().text();
    }
    if (ok)
        *ok = read;
    return videos;
}
