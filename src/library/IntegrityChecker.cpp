#include "library/IntegrityChecker.h"
#include "core/Logging.h"

#include "library/LibraryPaths.h"
#include "library/LibraryRemoval.h"
#include "library/LibraryStore.h"
#include "media/MediaFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtDebug>

namespace {

// An image beside a video, named after its file name, or (older files) its
// complete or short base name.
QString sideImage(const QFileInfo &video, const char *pattern)
{
    const QDir folder = video.dir();
    for (const QString &base : {video.fileName(), video.completeBaseName(), video.baseName()}) {
        const QString path = folder.absoluteFilePath(QString::fromLatin1(pattern).arg(base));
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

} // namespace

IntegrityChecker::IntegrityChecker(LibraryStore *store, const LibraryLocation &location,
                                   QObject *parent)
    : QObject(parent), m_store(store), m_location(location),
      m_jobs(QStringLiteral("check"), store->tasks())
{
}

IntegrityChecker::~IntegrityChecker()
{
    stop();
}

void IntegrityChecker::start()
{
    m_jobs.post([this] {
        check();
        emit finished();
    });
}

void IntegrityChecker::stop()
{
    m_stop = true;
    m_jobs.finish();
}

void IntegrityChecker::check()
{
    m_removed = 0;
    m_imported = 0;
    removeMissing();
    removeStaleCopies();
    if (m_stop)
        return;
    const LibraryItems found = collectNewFiles();
    m_imported = int(found.size());
    if (found.isEmpty() || m_stop) {
        emit hideMessage();
        return;
    }
    emit displayMessage(tr("Rebuilding library (%1 files)...").arg(found.size()));
    emit filesFound(found);
}

void IntegrityChecker::removeMissing()
{
    LibraryStore *store = m_store;
    // Only the paths are looked at. Reading whole rows of a large library
    // here made (and then freed) a hundred MB of small pieces at once,
    // which kept the memory allocator's lock, shared with the window's
    // thread, held for tens of ms.
    bool read = false;
    const QList<LibraryStore::StoredVideo> videos =
        store->call([store, &read] { return store->readVideoPaths(&read); });
    if (!read)
        qCWarning(lcLibrary) << "IntegrityChecker::run could not read the library";
    QList<qlonglong> missing;
    for (const LibraryStore::StoredVideo &video : videos) {
        if (m_stop)
            return;
        if (!QFileInfo::exists(LibraryItem::decode(video.videoPath)))
            missing << video.id;
    }
    // Many rows to a transaction: one commit per row took a deleted
    // folder of thousands of videos most of a minute.
    constexpr qsizetype kRowsPerRemoval = 256;
    for (qsizetype start = 0; start < missing.size() && !m_stop; start += kRowsPerRemoval) {
        const QList<qlonglong> ids = missing.mid(start, kRowsPerRemoval);
        const LibraryLocation &location = m_location;
        const int removed = store->call([store, &location, ids] {
            const LibraryItems items = store->removeIds(ids);
            for (const LibraryItem &item : items)
                LibraryRemoval::deleteItemFiles(store, location, item);
            return int(items.size());
        });
        m_removed += removed;
        if (removed > 0)
            emit rowsRemoved();
    }
}

QSet<QString> IntegrityChecker::queuedDownloadPaths()
{
    LibraryStore *store = m_store;
    return store->call([store] { return store->downloadPaths(); });
}

void IntegrityChecker::removeStaleCopies()
{
    // Copies a killed import left behind; they are hidden and never imported.
    QDirIterator it(m_location.folder(), {QStringLiteral("*.zelta-copy")},
                    QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext() && !m_stop) {
        const QString path = it.next();
        if (!LibraryPaths::isStaleTemporaryCopy(path))
            continue;
        qCDebug(lcLibrary).noquote()
            << QStringLiteral("IntegrityChecker removes an unfinished copy ") + path;
        QFile::remove(path);
    }
}

LibraryItems IntegrityChecker::collectNewFiles()
{
    const QString root = QDir(m_location.folder()).absolutePath();
    const QSet<QString> downloads = queuedDownloadPaths();
    // First what tells whether the library has a file (its path, title and
    // DVD title); the rest of an item only for the files it has not: most
    // files are listed, and their side pictures need not be looked for.
    QStringList paths;
    LibraryItems keys;
    QDirIterator it(root, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext() && !m_stop) {
        const QFileInfo file(it.next());
        if (!file.isFile() || !MediaFiles::isVideoSuffix(file.suffix()))
            continue;
        const QString path = file.absoluteFilePath();
        if (downloads.contains(path)) {
            qCDebug(lcLibrary).noquote() << QStringLiteral("This file skipped ") + path;
            continue;
        }
        LibraryItem key;
        key.videoPath(path);
        key.title(file.baseName());
        if (file.absolutePath() != root)
            key.dvdTitle(file.dir().dirName());
        paths << path;
        keys << key;
    }
    LibraryItems found;
    LibraryStore *store = m_store;
    const QList<bool> listed = store->call([store, keys] { return store->contains(keys); });
    for (qsizetype i = 0; i < paths.size() && !m_stop; ++i) {
        if (listed.at(i)) {
            qCDebug(lcLibrary).noquote() << QStringLiteral("This file skipped ") + paths.at(i);
            continue;
        }
        const QFileInfo file(paths.at(i));
        LibraryItem item = LibraryItem::fromFile(paths.at(i));
        item.dvdTitle(keys.at(i).dvdTitle());
        const QString cover = sideImage(file, "%1-cover.jpg");
        if (!cover.isEmpty())
            item.coverPath(cover);
        const QString thumbnail = sideImage(file, "%1-thumb.jpg");
        if (!thumbnail.isEmpty())
            item.thumbnailPath(thumbnail);
        found << item;
    }
    return found;
}
