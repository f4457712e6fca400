#include "library/LibraryRemoval.h"

#include "core/JobThread.h"
#include "core/Logging.h"
#include "library/LibraryModel.h"
#include "library/LibraryStore.h"
#include "library/MetaDataBuilder.h"
#include "library/SubtitleImport.h"

#include <QDir>
#include <QFileInfo>

LibraryRemoval::LibraryRemoval(LibraryStore *store, const LibraryLocation &location,
                               LibraryModel *model, MetaDataBuilder *metaData, QObject *parent)
    : QObject(parent), m_store(store), m_location(location), m_model(model), m_metaData(metaData),
      m_files(std::make_unique<JobThread>(QStringLiteral("files"), store->tasks()))
{
}

LibraryRemoval::~LibraryRemoval()
{
    finish();
}

void LibraryRemoval::finish()
{
    if (m_files->isFinishing())
        return; // the store may be gone by now
    // Removals still queued in the store hand their files over first.
    m_store->drain();
    m_files->finish();
}

void LibraryRemoval::removeInStore(const QList<qlonglong> &ids, bool deleteFiles)
{
    LibraryStore *store = m_store;
    LibraryRemoval *self = this;
    JobThread *files = m_files.get();
    const LibraryLocation location = m_location;
    store->post([store, self, files, location, ids, deleteFiles] {
        const LibraryItems removed = store->removeIds(ids);
        if (!deleteFiles || removed.isEmpty())
            return;
        // The files go on a thread of their own: deleting thousands would
        // hold the store's short jobs behind it.
        files->post([store, self, location, removed] {
            for (const LibraryItem &item : removed)
                deleteItemFiles(store, location, item);
            QMetaObject::invokeMethod(self, [self] { emit self->updated(); });
        });
    });
}

void LibraryRemoval::removeItem(const QString &guid)
{
    const QList<int> rows = m_model->rowsOfGuid(guid);
    if (rows.isEmpty())
        return;
    const qlonglong id = m_model->idOf(rows.first());
    removeInStore({id}, false);
    // The row's categories and titles leave the filter lists with it.
    m_metaData->updateRows({id});
}

void LibraryRemoval::removeItem(int row, bool updateMetadata)
{
    if (row < 0 || row >= m_model->rowCount()) {
        qCWarning(lcLibrary) << "Library::removeItem called with invalid row " << row;
        return;
    }
    const qlonglong id = m_model->idOf(row);
    removeInStore({id}, true);
    if (updateMetadata)
        m_metaData->updateRows({id});
}

bool LibraryRemoval::removeRecord(qlonglong id, bool deleteFiles)
{
    return removeRecords({id}, deleteFiles) > 0;
}

int LibraryRemoval::removeRecords(const QList<qlonglong> &ids, bool deleteFiles)
{
    LibraryStore *store = m_store;
    const LibraryLocation &location = m_location;
    const int removed = store->call([store, &location, ids, deleteFiles] {
        const LibraryItems items = store->removeIds(ids);
        if (deleteFiles) {
            for (const LibraryItem &item : items)
                deleteItemFiles(store, location, item);
        }
        return int(items.size());
    });
    if (removed > 0)
        emit updated();
    return removed;
}

void LibraryRemoval::deleteItemFiles(LibraryStore *store, const LibraryLocation &location,
                                     const LibraryItem &item)
{
    // Only the row's own files inside the library go, never a file another
    // row still shows, and a folder only once it is empty.
    QStringList folders;
    QStringList files{item.videoPath(), item.coverPath(), item.thumbnailPath()};
    // Each answer is a short job of the store (run at once on its thread).
    const auto referenced = [store](const QString &path) {
        return store->call([store, &path] { return store->isReferenced(path); });
    };
    if (!item.videoPath().isEmpty())
        files += SubtitleImport::ownFiles(item.videoPath(), referenced);
    for (const QString &path : std::as_const(files)) {
        if (path.isEmpty())
            continue;
        const QString folder = QFileInfo(path).absolutePath();
        if (!folders.contains(folder))
            folders << folder;
        if (!QFileInfo::exists(path))
            continue;
        if (!location.contains(path)) {
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("Library::removeItem leaves a file outside the library: ") + path;
            continue;
        }
        if (referenced(path))
            continue;
        if (!QFile::remove(path)) {
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("Library::removeItem unable to delete: ") + path;
        }
    }
    for (const QString &path : std::as_const(folders)) {
        QDir folder(path);
        if (!folder.exists() || location.isFolder(path) || !location.contains(path) ||
            !folder.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            continue;
        const QString name = folder.dirName();
        if (folder.cdUp() && !folder.rmdir(name))
            qCWarning(lcLibrary).noquote() << QStringLiteral("Could not remove file: ") + path;
    }
}
