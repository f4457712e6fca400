#pragma once

#include "library/LibraryItem.h"
#include "library/LibraryLocation.h"
#include "library/LibraryModel.h"

#include <QList>
#include <QObject>

#include <memory>

class JobThread;
class LibraryModel;
class LibraryStore;
class MetaDataBuilder;

// Takes videos out of the library: their rows in the store and, when asked,
// their own files inside the library folder (on the store's thread).
class LibraryRemoval : public QObject
{
    Q_OBJECT

public:
    // Removes from the library at `location`. None is owned; all must
    // outlive the removal's jobs.
    LibraryRemoval(LibraryStore *store, const LibraryLocation &location, LibraryModel *model,
                   MetaDataBuilder *metaData, QObject *parent = nullptr);
    ~LibraryRemoval() override;

    // Deletes the files of rows already removed, then ends the file thread.
    void finish();

    // Removes the row shown at `row` with its files; the filter lists follow
    // when `updateMetadata`.
    void removeItem(int row, bool updateMetadata = true);
    // Removes the first row with this site guid, keeping its files.
    void removeItem(const QString &guid);
    // Removes the row with this id and, when asked, its files. For worker
    // threads (it waits for the store). False when no such row.
    bool removeRecord(qlonglong id, bool deleteFiles);
    // The same for many rows in one transaction; how many were removed.
    int removeRecords(const QList<qlonglong> &ids, bool deleteFiles);

    // Deletes a removed row's own files inside the library at `location`,
    // and their folder when nothing else is left in it (any thread; it asks
    // the store).
    static void deleteItemFiles(LibraryStore *store, const LibraryLocation &location,
                                const LibraryItem &item);

Q_SIGNALS:
    // Files of removed rows are gone.
    void updated();

private:
    void removeInStore(const QList<qlonglong> &ids, bool deleteFiles);

    LibraryStore *m_store;
    const LibraryLocation m_location;
    LibraryModel *m_model;
    MetaDataBuilder *m_metaData;
    std::unique_ptr<JobThread> m_files;
};
