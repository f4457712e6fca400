#pragma once

#include "library/LibraryItem.h"

#include <QAtomicInteger>
#include <QSet>
#include <QThread>

class LibraryStore;

// Brings the library table and the library folder back in line at start:
// rows whose video has gone are removed, video files without a row are
// imported.
class IntegrityChecker : public QThread
{
    Q_OBJECT

public:
    // `store` must outlive the checker.
    explicit IntegrityChecker(LibraryStore *store);
    ~IntegrityChecker() override;

    void stop();
    // The video file suffixes looked for (lower case).
    static const QStringList &videoSuffixes();

    int removedCount() const { return m_removed; }
    int importedCount() const { return m_imported; }

Q_SIGNALS:
    void displayMessage(const QString &message);
    void hideMessage();
    // Video files without a row, to be imported; rows whose video had gone
    // were removed with their files.
    void filesFound(const LibraryItems &items);
    void rowsRemoved();

protected:
    void run() override;

private:
    void removeMissing();
    void removeStaleCopies();
    LibraryItems collectNewFiles();
    QSet<QString> queuedDownloadPaths();

    LibraryStore *m_store;
    QAtomicInteger<bool> m_stop = false;
    int m_removed = 0;
    int m_imported = 0;
};
