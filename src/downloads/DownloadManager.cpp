#include "downloads/DownloadManager.h"
#include "core/JobThread.h"
#include "core/Logging.h"
#include "web/NetworkStatus.h"

#include "core/UserPrompt.h"
#include "downloads/CorvanaItem.h"
#include "downloads/Download.h"
#include "downloads/DownloadFailure.h"
#include "downloads/DownloadRecords.h"
#include "downloads/LibraryAccess.h"
#include "downloads/TransferThread.h"
#include "web/NetworkManager.h"
#include "web/WebAddress.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QNetworkReply>
#include <QtDebug>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

DownloadManager::DownloadManager(NetworkManager *network, DownloadRecords *records,
                                 UserPrompt *prompt, QObject *parent)
    : QAbstractListModel(parent), m_network(network), m_records(records), m_prompt(prompt)
{
    qRegisterMetaType<Download *>("Download*");
    m_storedQueue = m_records->readQueue();
}

DownloadManager::~DownloadManager()
{
    const QList<QPointer<Download>> all = std::exchange(listed(), {});
    for (Download *download : all)
        delete download;
}

void DownloadManager::followNetworkStatus(NetworkStatus *status)
{
    connect(status, &NetworkStatus::onlineChanged, this, &DownloadManager::networkStatusChanged);
}

// Every way a download runs (its first start, a resume from its card or of
// all, a retry, the network coming back, moving up from the queue) starts an
// attempt, and every attempt asks here. A queued download resumed from its
// card runs beside the five active ones, so the threads grow past five then.
TransferThread *DownloadManager::freeTransferThread(const Download *download)
{
    // Its own thread while free: its stopped transfers may still write there.
    TransferThread *own = download->transferThread();
    if (own && !isTransferThreadHeld(own, download))
        return own;
    for (const std::unique_ptr<TransferThread> &thread : m_transfers) {
        if (!isTransferThreadHeld(thread.get(), download))
            return thread.get();
    }
    m_transfers.push_back(std::make_unique<TransferThread>(m_network));
    return m_transfers.back().get();
}

bool DownloadManager::isTransferThreadHeld(const TransferThread *thread,
                                           const Download *asking) const
{
    for (const QPointer<Download> &other : listed()) {
        if (other && other != asking && other->transferThread() == thread &&
            other->holdsTransferThread())
            return true;
    }
    return false;
}

// The stored queue was read while the window was being built: its
// downloads are made now, before anything looks at the list.
void DownloadManager::takeStoredQueue()
{
    if (!m_storedQueue.isValid())
        return;
    QFuture<DownloadRecords::StoredQueue> reading = std::exchange(m_storedQueue, {});
    reading.waitForFinished();
    // No result: the store went before it could run the read.
    const DownloadRecords::StoredQueue queue =
        reading.resultCount() > 0 ? reading.result() : DownloadRecords::StoredQueue();
    if (!queue.ok) {
        qCWarning(lcDownloads) << "DownloadManager: the stored downloads could not be read";
        return;
    }
    // One download per stored item, paused, with its item, progress and
    // reason shown at once; a record without a media address is a direct
    // download, unless its address is a descriptor link.
    m_list.reserve(queue.downloads.size());
    for (const DownloadRecords::StoredDownload &stored : queue.downloads) {
        const DownloadRecords::Row &row = stored.row;
        if (!row.corvanaUrl.isValid() || row.corvanaUrl.isEmpty())
            continue;
        const bool direct =
            row.mediaUrl.isEmpty() && !row.corvanaUrl.path().contains(QLatin1String(".corvana"));
        auto *download = new Download(m_network, nullptr, location(), row.corvanaUrl, direct);
        download->restore(stored, DownloadFailure::restored(DownloadFailure::Kind(row.failureKind),
                                                            row.failureText));
        connectDownload(download);
        m_list.append(download);
    }
}

QList<QPointer<Download>> &DownloadManager::listed() const
{
    // Taking the stored queue makes and lists its downloads once; that is
    // what every look at the list sees, a const one too.
    auto *self = const_cast<DownloadManager *>(this);
    self->takeStoredQueue();
    return self->m_list;
}

int DownloadManager::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(listed().size());
}

QVariant DownloadManager::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    Download *download = listed().at(index.row()).data();
    if (!download) {
        qCDebug(lcDownloads) << "DownloadManager::data invalid download";
        return QVariant();
    }
    switch (role) {
    case Qt::DisplayRole:
        return download->item().title();
    case Qt::DecorationRole:
        return download->thumbnailPath();
    case Qt::UserRole:
        return QVariant::fromValue(download);
    default:
        return QVariant();
    }
}

Qt::ItemFlags DownloadManager::flags(const QModelIndex &index) const
{
    if (index.row() >= rowCount())
        return Qt::NoItemFlags;
    return QAbstractListModel::flags(index);
}

QList<Download *> DownloadManager::activeDownloads() const
{
    QList<Download *> list;
    for (Download *download : listed()) {
        if (download && download->state() != Download::Queued)
            list.append(download);
    }
    return list;
}

QList<Download *> DownloadManager::queuedDownloads() const
{
    QList<Download *> list;
    for (Download *download : listed()) {
        if (download && download->state() == Download::Queued)
            list.append(download);
    }
    return list;
}

bool DownloadManager::holdsPlace(const Download *download)
{
    const Download::State state = download->state();
    return state == Download::None || state == Download::Downloading || download->isResuming() ||
           download->isRetryScheduled();
}

int DownloadManager::runningCount() const
{
    int running = 0;
    for (const QPointer<Download> &download : listed())
        running += download && holdsPlace(download) ? 1 : 0;
    return running;
}

void DownloadManager::connectDownload(Download *download)
{
    connect(download, &Download::finished, this, &DownloadManager::downloadFinished);
    connect(download, &Download::aborted, this, &DownloadManager::downloadAborted);
    connect(download, &Download::update, this, qOverload<>(&DownloadManager::downloadUpdate));
    connect(download, &Download::update, this, [this, download] {
        rowChanged(download);
        // A pause or a failure that waits for the user frees a place.
        startNextSoon();
    });
    // Its record keeps why it stopped, and the renewed item.
    connect(download, &Download::failureChanged, this, [this, download] {
        const DownloadFailure failure = download->failure();
        m_records->updateFailure(download->url(), download->recordMediaUrl(), failure.kind(),
                                 failure.message());
    });
    connect(download, &Download::itemRenewed, this, [this, download](const QUrl &previous) {
        m_records->updateItem(download->url(), previous, download->item());
        rowChanged(download);
    });
    // A download deleted by anyone else leaves no empty row behind.
    connect(download, &QObject::destroyed, this, &DownloadManager::dropDeleted);
    connect(download, &Download::failed, this, &DownloadManager::error);
    const QPointer<DownloadManager> self(this);
    download->setTransferThreadSource([self](const Download *d) -> TransferThread * {
        return self ? self->freeTransferThread(d) : nullptr;
    });
    if (m_retryDelays)
        download->setRetryDelays(m_retryDelays);
    if (m_freeSpace)
        download->setFreeSpaceProbe(m_freeSpace);
}

void DownloadManager::setFreeSpaceProbe(Download::FreeSpaceProbe probe)
{
    m_freeSpace = std::move(probe);
    for (Download *download : activeDownloads() + queuedDownloads())
        download->setFreeSpaceProbe(m_freeSpace);
}

void DownloadManager::setRetryDelays(Download::RetryDelays delays)
{
    m_retryDelays = std::move(delays);
    for (Download *download : activeDownloads() + queuedDownloads())
        download->setRetryDelays(m_retryDelays);
}

int DownloadManager::rowOf(const Download *download) const
{
    for (int i = 0; i < listed().size(); ++i) {
        if (listed().at(i).data() == download)
            return i;
    }
    return -1;
}

void DownloadManager::rowChanged(Download *download)
{
    const int row = rowOf(download);
    if (row >= 0)
        Q_EMIT dataChanged(index(row), index(row));
}

void DownloadManager::dropDeleted()
{
    for (int row = rowCount() - 1; row >= 0; --row) {
        if (!listed().at(row).isNull())
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        listed().removeAt(row);
        endRemoveRows();
    }
}

void DownloadManager::addDownload(Download *download)
{
    const int row = rowCount();
    // Paused downloads hold no place: only those that run count.
    if (runningCount() >= MaxActiveDownloads)
        download->queue();
    beginInsertRows(QModelIndex(), row, row);
    listed().append(download);
    endInsertRows();
    emit added(download, row);
}

bool DownloadManager::isListed(const Download *download) const
{
    return rowOf(download) >= 0;
}

bool DownloadManager::removeDownload(Download *download)
{
    const int row = rowOf(download);
    if (row < 0)
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    listed().removeAt(row);
    endRemoveRows();
    download->deleteLater();
    return true;
}

// A direct download: listed at once, started once its record is stored.
bool DownloadManager::download(Download *d, bool direct)
{
    for (const QPointer<Download> &other : std::as_const(listed())) {
        if (other && other->url() == d->url() && other->mediaUrl() == d->mediaUrl()) {
            qCDebug(lcDownloads) << "DownloadManager::download failed because download exists";
            return false;
        }
    }
    // The record comes first: a file is never written that no record knows of,
    // even when the program is killed right after the transfer starts. The
    // transfer starts once the record is stored (unless it waits in the queue).
    m_awaitingRecord.append(d);
    storeRecords({{d, direct}});
    connectDownload(d);
    addDownload(d);
    return true;
}

void DownloadManager::storeRecords(const QList<RecordToStore> &records)
{
    if (records.isEmpty())
        return;
    QList<DownloadRecords::Row> rows;
    for (const RecordToStore &record : records) {
        if (record.download)
            rows.append({record.download->url(), record.download->mediaUrl(),
                         record.download->mediaPath(), record.download->item()});
    }
    const QPointer<DownloadManager> self(this);
    m_records->add(rows, [self, records] {
        if (self) { // those deleted meanwhile
            self->m_awaitingRecord.removeAll(QPointer<Download>());
            self->m_startWhenStored.removeAll(QPointer<Download>());
        }
        for (const RecordToStore &record : records) {
            Download *download = record.download;
            if (!self || !download)
                continue;
            self->m_awaitingRecord.removeAll(record.download);
            const bool asked = self->m_startWhenStored.removeAll(record.download) > 0;
            emit self->recordStored(download);
            const Download::State state = download->state();
            if (asked && (state == Download::Paused || state == Download::Queued)) {
                download->resume(); // resumed, or next in line, meanwhile
                continue;
            }
            if (state != Download::None)
                continue; // queued, paused or cancelled meanwhile
            if (record.direct)
                download->startDirectDownload();
            else
                download->start();
        }
    });
}

// One still waiting for its record starts once it is stored: a file is
// never written that no record knows of.
void DownloadManager::startWhenStored(Download *download)
{
    if (!m_awaitingRecord.contains(download))
        download->resume();
    else if (!m_startWhenStored.contains(download))
        m_startWhenStored.append(download);
}

// Queued downloads move up, in row order, into the places free.
void DownloadManager::startNextDownload()
{
    const QList<QPointer<Download>> shown = listed();
    for (const QPointer<Download> &next : shown) {
        if (runningCount() >= MaxActiveDownloads)
            return;
        if (!next || next->state() != Download::Queued || !isListed(next))
            continue;
        startWhenStored(next);
        emit started(next);
    }
}

void DownloadManager::startNextSoon()
{
    if (m_queueHeld || m_startNextPending)
        return;
    m_startNextPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_startNextPending = false;
            if (!m_queueHeld)
                startNextDownload();
        },
        Qt::QueuedConnection);
}

Download *DownloadManager::fromSender() const
{
    auto *download = qobject_cast<Download *>(sender());
    if (!download)
        qCDebug(lcDownloads) << "DownloadManager::downloadFinished called with invalid download";
    return download;
}

void DownloadManager::deleteRecord(Download *download, const char *what)
{
    qCDebug(lcDownloads) << what;
    const QUrl mediaUrl = download->recordMediaUrl();
    // A failed delete is logged by the records.
    if (mediaUrl.isEmpty())
        m_records->removeByCorvanaUrl(download->url());
    else
        m_records->removeByMediaUrl(mediaUrl);
}

void DownloadManager::downloadFinished()
{
    Download *download = fromSender();
    if (!download)
        return;
    // A video handed to the library keeps its record until its row is stored.
    if (!m_libraryHandOver || !download->addToLibrary())
        deleteRecord(download, "downloadFinished");
    removeDownload(download);
    startNextDownload();
    qCDebug(lcDownloads) << "downloadUpdate(Download *download)";
    emit finished(download);
    emit downloaded(download->item().guid());
}

void DownloadManager::downloadAborted()
{
    Download *download = fromSender();
    if (!download)
        return;
    if (download->recordMediaUrl().isEmpty()) {
        qCDebug(lcDownloads) << "downloadAborted";
        m_records->removeByCorvanaUrl(download->url());
    }
    abortDownload(download, true);
}

void DownloadManager::abortDownload(Download *download, bool startNext)
{
    if (!isListed(download)) {
        download->deleteLater();
        return;
    }
    deleteRecord(download, "abortDownload");
    removeDownload(download);
    emit finished(download);
    if (startNext)
        startNextDownload();
}

// Queued downloads keep their state, unless one was resumed from its card:
// that one runs (or waits to retry) and stops with the others. The queue
// waits until Resume All.
void DownloadManager::pauseAll()
{
    m_startWhenStored.clear();
    m_queueHeld = true;
    for (bool &paused : m_admissionPaused)
        paused = true;
    const QList<QPointer<Download>> shown = listed();
    for (const QPointer<Download> &download : shown) {
        if (!download)
            continue;
        if (download->state() != Download::Queued || download->isResuming() ||
            download->isRetryScheduled())
            download->pause();
    }
}

// Every paused download runs again, in row order: the first into the free
// places, the others wait in the queue for theirs.
void DownloadManager::resumeAll()
{
    m_queueHeld = false;
    for (bool &paused : m_admissionPaused)
        paused = false;
    const QList<QPointer<Download>> shown = listed();
    for (const QPointer<Download> &download : shown) {
        if (!download || !isListed(download) || download->state() != Download::Paused ||
            holdsPlace(download))
            continue;
        if (runningCount() < MaxActiveDownloads)
            startWhenStored(download);
        else
            download->queue();
    }
}

void DownloadManager::removeAll()
{
    const UserPrompt::Button answer = m_prompt->question(
        tr("Are you sure?"), tr("Are you sure you want to remove all downloads?"),
        UserPrompt::Yes | UserPrompt::No, UserPrompt::No);
    if (answer == UserPrompt::No)
        return;
    const QList<QPointer<Download>> snapshot = listed();
    for (const QPointer<Download> &download : snapshot) {
        if (download && download->state() != Download::Cancelled)
            download->cancel();
    }
}

// The network going away fails the running downloads (they keep their files
// and wait); its return retries the waiting ones at once. Downloads the user
// paused stay paused either way.
void DownloadManager::networkStatusChanged(bool online)
{
    // Queued downloads too: one resumed from its card runs like an active one.
    const QList<QPointer<Download>> shown = listed();
    for (const QPointer<Download> &download : shown) {
        if (!download || !isListed(download))
            continue;
        if (online)
            download->retryNow();
        else
            download->connectionLost();
    }
}

void DownloadManager::downloadUpdate()
{
    if (!qobject_cast<Download *>(sender()))
        qCDebug(lcDownloads) << "DownloadManager::downloadFinished called with invalid download";
}

void DownloadManager::downloadUpdate(Download *)
{
    qCDebug(lcDownloads) << "downloadUpdate(Download *download)";
}
