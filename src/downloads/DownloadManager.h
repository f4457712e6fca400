#pragma once

#include "downloads/Download.h"
#include "downloads/DownloadRecords.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QUrl>

#include <memory>
#include <vector>

class CorvanaItem;
class Download;
class JobThread;
class NetworkManager;
class NetworkStatus;
class QNetworkReply;
class TransferThread;
class UserPrompt;

// The single owner of all downloads: fetches and parses descriptors, judges
// each of their items on its own (already in the library, already on disk,
// an unusable address or size: skipped with a note; the rest queued), runs at
// most five downloads and queues the rest (twenty in all; paused downloads
// hold no place), keeps the queue with whole items in the `downloads` table
// across restarts, follows the network going up and down, and hands finished
// videos to the library. Also the list model of the downloads page.
// Rows keep the order downloads were added in; the active downloads are the
// rows not waiting in the queue. The implementation of taking on new
// downloads lies in DownloadManagerIntake.cpp.
class DownloadManager : public QAbstractListModel
{
    Q_OBJECT

public:
    static constexpr int MaxActiveDownloads = 5;
    static constexpr int MaxDownloads = 20;

    // Reads a descriptor file: only a regular file, never waiting on it, at
    // most CorvanaItem::MaxDocumentBytes. False when it cannot be used.
    static bool readDescriptorFile(const QString &path, QByteArray *document);
    // Fetches through `network`, keeps the queue in `records` (and writes
    // into the library where they lie) and tells the user through `prompt`
    // (none owned; all must outlive the manager).
    DownloadManager(NetworkManager *network, DownloadRecords *records, UserPrompt *prompt,
                    QObject *parent = nullptr);
    // Pauses the transfers while the machine is off the network and resumes
    // them when it is back (`status` must outlive the manager).
    void followNetworkStatus(NetworkStatus *status);
    ~DownloadManager() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    DownloadRecords *records() const { return m_records; }
    // The library the downloads are written into.
    const LibraryLocation &location() const { return m_records->location(); }
    QList<Download *> activeDownloads() const;
    QList<Download *> queuedDownloads() const;
    // Finished downloads for the library keep their record: the library
    // deletes it together with storing the video's row.
    void setLibraryHandOver(bool handOver) { m_libraryHandOver = handOver; }
    // Whether any descriptor is still being fetched or read, or its items admitted.
    bool hasPendingRequests() const
    {
        return !m_pending.isEmpty() || m_readingDescriptors > 0 || m_admitting > 0;
    }
    // Whether the store is judging the items of a descriptor.
    bool isJudgingItems() const { return m_admitting > 0; }
    // Downloads that hold one of the five places: running, starting, asking
    // their descriptor or waiting to retry by themselves.
    int runningCount() const;
    // The pauses between automatic retries of every download (tests shorten them).
    void setRetryDelays(Download::RetryDelays delays);
    // How every download finds the room left on the library's disk (tests
    // make it small).
    void setFreeSpaceProbe(Download::FreeSpaceProbe probe);

Q_SIGNALS:
    void added(Download *download, int row);
    void started(Download *download);
    void finished(Download *download);
    void downloaded(const QString &guid);
    // A download or a descriptor fetch failed; `message` says why, for a person.
    void error(const QString &message);
    // An item of a request was not taken on, and why.
    void refused(const QString &title, const QString &reason);
    // An item of a descriptor was skipped as already in the library.
    void skipped(const QString &title, const QString &reason);
    // Once per descriptor: what was not taken on, for a person (never a
    // question; the window shows it as it can).
    void notice(const QString &title, const QString &text);
    // A descriptor was read: `queued` of its videos joined the download list.
    void descriptorRead(int queued);
    // The record of a new download is stored: from now on a restart finds it.
    void recordStored(Download *download);

public Q_SLOTS:
    void initializeDownload(const QUrl &url);
    // A descriptor file on this computer (opened from the desktop).
    void initializeLocalDownload(const QString &path);
    void initializeDirectDownload(const QUrl &url, bool addToLibrary);
    void initializeDirectDownload(const QUrl &url);
    void pauseAll();
    void resumeAll();
    void removeAll();

private Q_SLOTS:
    void corvanaFileDownloadComplete();
    void networkStatusChanged(bool online);
    bool download(Download *download, bool direct);
    void startNextDownload();
    void downloadAborted();
    void downloadFinished();
    void downloadUpdate();
    void downloadUpdate(Download *download);

private:
    void takeStoredQueue();
    // Every listed download, the stored queue's first once it is read.
    QList<QPointer<Download>> &listed() const;
    // The thread the next transfers of `download` run on: one no other
    // listed download holds.
    TransferThread *freeTransferThread(const Download *download);
    bool isTransferThreadHeld(const TransferThread *thread, const Download *asking) const;
    void connectDownload(Download *download);
    static bool holdsPlace(const Download *download);
    // A download to start once its record is stored.
    struct RecordToStore
    {
        QPointer<Download> download;
        bool direct = false;
    };
    void storeRecords(const QList<RecordToStore> &records);
    void startWhenStored(Download *download);
    // Judges the items of a descriptor: refuses here those that cannot be
    // fetched, and hands the rest to one store job.
    void takeItems(const QUrl &url, const QList<CorvanaItem> &items);
    struct Taken
    {
        QPointer<Download> download;
        QString title;
    };
    void itemsAdmitted(int batch, const QList<Taken> &taken,
                       const QList<DownloadRecords::Admission> &verdicts, QStringList skippedNotes);
    void refuse(const CorvanaItem &item, const QString &reason, QStringList *notes);
    void tellSkipped(const QStringList &notes);
    void addDownload(Download *download);
    bool removeDownload(Download *download);
    bool isListed(const Download *download) const;
    void abortDownload(Download *download, bool startNext);
    void deleteRecord(Download *download, const char *what);
    void parseXml(const QUrl &url, const QByteArray &body);
    bool refuseExisting(Download *download);
    // Tells the user once of every video refused as already downloaded since
    // the last time (never from inside the loop over a descriptor's items).
    void tellAlreadyDownloaded();
    Download *fromSender() const;
    int rowOf(const Download *download) const;
    void dropDeleted();
    void rowChanged(Download *download);
    // Queued downloads move up into free places (not while all are paused).
    void startNextSoon();

    NetworkManager *m_network;
    // One transfer thread per download that runs at once: each attempt of a
    // download takes one no other download holds. Usually five; more when
    // queued downloads are resumed from their cards. They stop once every
    // download is gone (the destructor).
    std::vector<std::unique_ptr<TransferThread>> m_transfers;
    DownloadRecords *m_records;
    UserPrompt *m_prompt;
    // Titles refused as already downloaded, not told yet.
    QStringList m_alreadyDownloaded;
    // New direct downloads whose record is not stored yet: they start once it is.
    QList<QPointer<Download>> m_awaitingRecord;
    // Those of them resumed by Resume All, or next in line, before their
    // record was stored: they start once it is.
    QList<QPointer<Download>> m_startWhenStored;
    // Every listed download, in the order they were added (the rows); only
    // through listed().
    QList<QPointer<Download>> m_list;
    // The stored queue, read from the store since the manager was made.
    QFuture<DownloadRecords::StoredQueue> m_storedQueue;
    // Descriptors whose items the store is judging.
    int m_admitting = 0;
    // Their items, counted against the twenty of the list.
    int m_admittingItems = 0;
    // Per descriptor being judged: whether Pause All was pressed (and not
    // Resume All after it) meanwhile; its items are then listed paused.
    QHash<int, bool> m_admissionPaused;
    int m_lastBatch = 0;
    // Pause All holds the queue until Resume All (or a new download).
    bool m_queueHeld = false;
    bool m_startNextPending = false;
    QHash<QNetworkReply *, QUrl> m_pending;
    // Reads descriptors, one after another in the order they came (made at
    // the first); the count of those not yet judged.
    std::unique_ptr<JobThread> m_descriptorReader;
    int m_readingDescriptors = 0;
    bool m_libraryHandOver = false;
    Download::RetryDelays m_retryDelays;
    Download::FreeSpaceProbe m_freeSpace;
};
