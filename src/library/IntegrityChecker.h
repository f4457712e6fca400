#pragma once

#include "library/LibraryItem.h"
#include "library/LibraryLocation.h"

#include "core/JobThread.h"

#include <QAtomicInteger>
#include <QObject>
#include <QSet>

class LibraryStore;

// Brings the library table and the library folder back in line at start:
// rows whose video has gone are removed, video files without a row are
// imported.
class IntegrityChecker : public QObject
{
    Q_OBJECT

public:
    // Checks the library at `location`; `store` must outlive the checker.
    IntegrityChecker(LibraryStore *store, const LibraryLocation &location,
                     QObject *parent = nullptr);
    ~IntegrityChecker() override;

    // Queues a check on the checker's thread.
    void start();
    // Cuts a running check short and ends the thread; later starts do nothing.
    void stop();

    int removedCount() const { return m_removed; }
    int importedCount() const { return m_imported; }

Q_SIGNALS:
    void displayMessage(const QString &message);
    void hideMessage();
    // Video files without a row, to be imported; rows whose video had gone
    // were removed with their files.
    void filesFound(const LibraryItems &items);
    void rowsRemoved();
    // A check has ended (also when cut short).
    void finished();

private:
    void check();
    void removeMissing();
    void removeStaleCopies();
    LibraryItems collectNewFiles();
    QSet<QString> queuedDownloadPaths();

    LibraryStore *m_store;
    const LibraryLocation m_location;
    QAtomicInteger<bool> m_stop = false;
    int m_removed = 0;
    int m_imported = 0;
    // Last, so that it ends first: a check still running uses the members.
    JobThread m_jobs;
};
