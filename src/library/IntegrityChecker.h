#pragma once

#include "library/LibraryItem.h"

#include <QAtomicInteger>
#include <QSet>
#include <QThread>

class Library;

// Brings the library table and the library folder back in line at start:
// rows whose video has gone are removed, video files without a row are
// imported.
class IntegrityChecker : public QThread
{
    Q_OBJECT

public:
    explicit IntegrityChecker(Library *library);
    ~IntegrityChecker() override;

    void stop();
    // The video file suffixes looked for (lower case).
    static const QStringList &videoSuffixes();

    int removedCount() const { return m_removed; }
    int importedCount() const { return m_imported; }

Q_SIGNALS:
    void displayMessage(const QString &message);
    void hideMessage();

protected:
    void run() override;

private:
    void removeMissing();
    void removeStaleCopies();
    LibraryItems collectNewFiles();
    QSet<QString> queuedDownloadPaths();

    Library *m_library;
    QAtomicInteger<bool> m_stop = false;
    int m_removed = 0;
    int m_imported = 0;
};
