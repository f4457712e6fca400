#pragma once

#include "downloads/CorvanaItem.h"
#include "downloads/DownloadFailure.h"
#include "downloads/DownloadProgress.h"
#include "downloads/DownloadRecords.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <functional>

class FileTransfer;
class NetworkManager;
class QNetworkReply;
class TransferThread;

// One video being fetched: its media file and, for videos announced by a
// descriptor, a cover and a thumbnail beside it. Tracks state, progress,
// speed and remaining time, follows redirects with a fresh transfer and
// resumes partial files by range. A failed transfer keeps its partial file,
// says why it failed (failure()) and, where waiting can help, tries again by
// itself: at once after an attempt that got further, otherwise after growing
// pauses.
class Download : public QObject
{
    Q_OBJECT

public:
    enum State
    {
        None = 0,
        Queued = 1,
        Downloading = 2,
        Finished = 3,
        Paused = 4,
        Cancelled = 5
    };
    Q_ENUM(State)

    // Fetches descriptors through `network` and files on `transfers` (neither
    // owned; both must outlive the download) into the library at `library`.
    Download(NetworkManager *network, TransferThread *transfers, const LibraryLocation &library,
             const QUrl &url, bool direct, QObject *parent = nullptr);
    ~Download() override;

    QUrl url() const { return m_url; }
    QUrl mediaUrl() const { return m_item.mediaUrl(); }
    CorvanaItem item() const { return m_item; }
    void setItem(const CorvanaItem &item);
    State state() const { return m_state; }
    QString statusText() const;
    bool isDirect() const { return m_direct; }
    bool addToLibrary() const { return m_addToLibrary; }
    void setAddToLibrary(bool add) { m_addToLibrary = add; }
    // Certificate errors are refused without asking (installers).
    void setStrictTls(bool strict) { m_strictTls = strict; }

    // A path of its own (a stored one, or one that keeps two videos of the
    // same title apart); the folder is then the path's folder.
    void setMediaPath(const QString &path);
    // A download restored from its stored record: its item (null for a
    // record of the old layout: the descriptor item with this media address
    // is the one to fetch), into the record's path as the records found it
    // (kept only when it lies in the library folder), stopped for `failure`
    // (null when it was not).
    void restore(const DownloadRecords::StoredDownload &stored, const DownloadFailure &failure);
    // The media address its stored record carries.
    QUrl recordMediaUrl() const
    {
        return m_recordMediaUrl.isEmpty() ? mediaUrl() : m_recordMediaUrl;
    }

    QString downloadFolder() const;
    QString mediaPath() const;
    QString coverPath() const;
    QString thumbnailPath() const;

    qint64 mediaSize() const { return m_item.mediaSize(); }
    qint64 bytesWritten() const { return m_bytesWritten; }
    double progress() const { return m_progress; }
    // Why the last attempt failed; null once the download runs again or the
    // user paused it.
    DownloadFailure failure() const { return m_failure; }
    // Failed attempts in a row that got no further than the one before (0
    // after an attempt that added bytes to the file).
    int failedAttempts() const { return m_failedAttempts; }
    bool isRetryScheduled() const { return m_retryTimer.isActive(); }
    // Whether a transfer of its files still runs: a stopped one (paused,
    // failed, cancelled) runs on until it has written its last byte.
    bool isTransferring() const;
    TransferThread *transferThread() const { return m_transfers; }
    // Its next transfers run on `transfers`; kept as it is while a transfer
    // still runs (a stop must reach that one before the same file is
    // fetched again).
    void setTransferThread(TransferThread *transfers);
    // Whether its thread is taken: it runs, or a stopped transfer of it still
    // writes there.
    bool holdsTransferThread() const { return m_state == Downloading || isTransferring(); }
    // Asked for the thread to run on as each attempt starts (first start,
    // resume, retry); without one the download keeps the thread it was given.
    using TransferThreadSource = std::function<TransferThread *(const Download *download)>;
    void setTransferThreadSource(TransferThreadSource source)
    {
        m_threadSource = std::move(source);
    }
    // Milliseconds to wait before the next automatic attempt after `attempt`
    // failed attempts in a row (DownloadFailure::retryDelayMs by default).
    using RetryDelays = std::function<int(int attempt)>;
    void setRetryDelays(RetryDelays delays) { m_retryDelays = std::move(delays); }
    // Bytes free for new files in a folder, or -1 when unknown (the file
    // system's own figure by default). Also called on the transfer thread.
    using FreeSpaceProbe = std::function<qint64(const QString &folder)>;
    void setFreeSpaceProbe(FreeSpaceProbe probe) { m_freeSpace = std::move(probe); }
    static qint64 freeSpace(const QString &folder);

    // The card's bar and transfer line; the line is empty unless Downloading.
    DownloadProgress::Bar progressBar() const;
    QString progressText() const;
    double speed() const;
    double timeLeft() const;
    bool coverValid() const;
    // The descriptor is being fetched again before the transfer restarts.
    bool isResuming() const;
    bool thumbnailValid() const;
    // Its thumbnail is being fetched: the file is not whole yet.
    bool isThumbnailArriving() const;

    // The last non-empty segment of a URL's path, made safe as a file name.
    static QString urlFileName(const QUrl &url);
    // A name made safe as one path component ("..", "." and "" become "_").
    static QString safeFileName(const QString &name);
    // A file name cut to leave room for the "-thumb.jpg" added to it, its
    // suffix kept; a start of `title` that leaves room for any suffix. Both
    // cut on character boundaries, so every name fits 255 bytes.
    static QString fitFileName(const QString &name);
    static QString fileBase(const QString &title);
    // The media-link pattern of the site (unescaped dots on purpose).
    static bool isMediaLink(const QString &path);
    // Whether the address may be fetched at all (http or https with a host).
    static bool isFetchable(const QUrl &url);

Q_SIGNALS:
    void finished();
    void aborted();
    void update();
    void updateProgress();
    void updateThumbnail();
    // The transfer failed; `message` says why, for a person.
    void failed(const QString &message);
    // Why it stopped changed (failure()), to be kept with its record.
    void failureChanged();
    // The descriptor gave its item again: a new media address, say. Its
    // record was stored under `previousMediaUrl`.
    void itemRenewed(const QUrl &previousMediaUrl);

public Q_SLOTS:
    void start();
    void startDirectDownload();
    void pause();
    void resume();
    void cancel();
    void queue();
    // The network came back: a download waiting after a failure tries again
    // at once (one the user paused stays paused).
    void retryNow();
    // The network went away: a running download stops as failed and waits
    // for it (or for its next retry).
    void connectionLost();

private Q_SLOTS:
    void downloadFinished();
    void metaDataDownloaded();
    void downloadProgress(qint64 bytesReceived, qint64 fileTotal);

private:
    // A child of the download; one replaced goes with deleteLater() (it may
    // be the sender of the signal being handled).
    using Transfer = QPointer<FileTransfer>;

    FileTransfer *createTransfer(const QUrl &url, const QString &path, int kind);
    static void replaceTransfer(Transfer &slot, FileTransfer *next);
    void startMediaTransfer(const QUrl &url, int kind);
    bool imageValid(const QString &path, const Transfer &transfer) const;
    void takeTransferThread();
    void stopTransfers();
    void failMedia(const DownloadFailure &failure);
    void retry();
    void restart();
    // Asks the descriptor (the site's or the file's) for the item again.
    void fetchDescriptor();
    void restartFromLocalDescriptor();
    // A media address the site no longer answers for is renewed once from
    // the descriptor before the download fails.
    bool renewsAddress(int status) const;
    void renewAddress();
    void setFailure(const DownloadFailure &failure);
    void useDescriptorItems(const QList<CorvanaItem> &items);
    bool attemptGotFurther() const;
    QString displayTitle() const;
    // False (after failing) when the file system lacks room for `remaining` bytes.
    bool checkFreeSpace(qint64 remaining);
    qint64 bytesOnDisk() const;
    QUrl redirectTarget(const FileTransfer *transfer) const;
    // Where a descriptor item is written unless given a path of its own.
    QString itemFolder(const CorvanaItem &item) const;
    QString itemMediaPath(const CorvanaItem &item) const;

    NetworkManager *m_network;
    TransferThread *m_transfers;
    const LibraryLocation m_library;
    QPointer<QNetworkReply> m_metaReply;
    Transfer m_cover;
    Transfer m_thumbnail;
    Transfer m_media;
    QElapsedTimer m_startTime;
    QElapsedTimer m_lastUpdate;
    qint64 m_bytesWritten = 0;
    qint64 m_bytesReceived = 0;
    double m_progress = 0.0;
    State m_state = None;
    CorvanaItem m_item;
    QUrl m_url;
    QUrl m_recordMediaUrl;
    QString m_mediaPath;
    bool m_direct = false;
    bool m_addToLibrary = true;
    bool m_strictTls = false;
    int m_redirects = 0;
    // The descriptor was asked for a new media address since the last user
    // resume or finished transfer.
    bool m_addressRenewed = false;
    // The descriptor no longer listed it: the next attempt asks it first.
    bool m_renewFirst = false;
    // Its failure came with its stored record, not from an attempt of this run.
    bool m_failureRestored = false;
    DownloadFailure m_failure;
    RetryDelays m_retryDelays = &DownloadFailure::retryDelayMs;
    FreeSpaceProbe m_freeSpace = &Download::freeSpace;
    TransferThreadSource m_threadSource;
    QTimer m_retryTimer;
    int m_failedAttempts = 0;
    bool m_repeatedInterruption = false; // the last failure was repeated at once
    qint64 m_attemptStartBytes = 0;      // on disk when the current attempt began
    QElapsedTimer m_attemptTimer;        // since the current attempt began
    qint64 m_resourceTotal = -1;         // the media's whole size as its answers told it
};
