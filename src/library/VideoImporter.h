#pragma once

#include "core/JobThread.h"

#include "library/LibraryItem.h"
#include "library/LibraryLocation.h"

#include <QString>

#include <QMutex>
#include <QObject>
#include <QSet>

class LibraryStore;
class MetaDataBuilder;

// Worker thread that makes each new video's thumbnail, reads its play length
// with the encoder and inserts the rows into the library table.
class VideoImporter : public QObject
{
    Q_OBJECT

public:
    // Imports into the library at `location`; `store` and `metaData` must
    // outlive the importer.
    VideoImporter(LibraryStore *store, const LibraryLocation &location, MetaDataBuilder *metaData);
    ~VideoImporter() override;

    // Queues items; safe from any thread. Items of finished downloads have
    // their download record deleted when their row is stored.
    void enqueue(const LibraryItems &items, bool downloaded = false);
    // Queues copies of files the user imported: one the encoder finds no
    // picture in is not stored and its copy is deleted. videoImported() tells
    // each one's outcome.
    void enqueueCopies(const LibraryItems &items);
    // Ends the loop after the current item and waits for the thread.
    void stop();
    bool isIdle() const;

    // Writes the thumbnail beside the video and fills duration and length;
    // false when the encoder read the file and found no video in it.
    bool makeThumbnailAndDuration(LibraryItem &item) const;

Q_SIGNALS:
    void importStarted();
    void importFinished();
    void updated();
    void videoImported(const QString &path, bool stored);

private:
    // Works through the queue until it is empty (one job on the thread).
    void drain();
    // Queues a drain unless one is queued or running; m_mutex held.
    void scheduleDrain();
    // Stores the items and deletes the download records of `downloaded`, in
    // one commit of the store; the ids of the new rows.
    QList<qlonglong> insertBatch(const LibraryItems &items, const QSet<QString> &downloaded);
    // Deletes the subtitle files copied in beside a refused video.
    void removeSubtitleCopies(const QString &videoPath);

    LibraryStore *m_store;
    const LibraryLocation m_location;
    MetaDataBuilder *m_metaData;
    mutable QMutex m_mutex;
    LibraryItems m_queue;
    QSet<QString> m_downloaded;
    QSet<QString> m_copies;
    bool m_stop = false;
    // A drain job is queued or running (guarded by m_mutex).
    bool m_draining = false;
    bool m_busy = false;
    // Last, so that it ends first: a drain still running uses the members.
    JobThread m_jobs;
};
