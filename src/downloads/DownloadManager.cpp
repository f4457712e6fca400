#include "downloads/DownloadManager.h"
#include "core/Logging.h"

#include "core/UserPrompt.h"
#include "downloads/CorvanaItem.h"
#include "downloads/Download.h"
#include "downloads/DownloadFailure.h"
#include "downloads/DownloadRecords.h"
#include "downloads/LibraryAccess.h"
#include "downloads/TransferThread.h"
#include "web/NetworkManager.h"
#include "web/SignInState.h"
#include "web/WebAddress.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QNetworkInformation>
#include <QNetworkReply>
#include <QtDebug>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

void warnFileExists(UserPrompt *prompt, const QStringList &titles)
{
    if (titles.size() <= 1) {
        prompt->warning(DownloadManager::tr("File Exists"),
                        DownloadManager::tr("You have already downloaded this video"));
        return;
    }
    prompt->warning(DownloadManager::tr("File Exists"),
                    DownloadManager::tr("You have already downloaded these videos:\n%1")
                        .arg(titles.join(QLatin1Char('\n'))));
}

} // namespace

DownloadManager::DownloadManager(NetworkManager *network, DownloadRecords *records,
                                 UserPrompt *prompt, QObject *parent)
    : QAbstractListModel(parent), m_network(network), m_records(records), m_prompt(prompt)
{
    qRegisterMetaType<Download *>("Download*");
    followNetworkState();
    populate();
}

DownloadManager::~DownloadManager()
{
    const QList<QPointer<Download>> all = m_activeDownloads + m_queuedDownloads;
    m_activeDownloads.clear();
    m_queuedDownloads.clear();
    for (Download *download : all)
        delete download;
}

void DownloadManager::followNetworkState()
{
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return; // no backend: count as online
    connect(QNetworkInformation::instance(), &QNetworkInformation::reachabilityChanged, this,
            [this](QNetworkInformation::Reachability reachability) {
                if (reachability == QNetworkInformation::Reachability::Unknown)
                    return;
                networkStatusChanged(reachability !=
                                     QNetworkInformation::Reachability::Disconnected);
            });
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
    for (const QList<QPointer<Download>> *list : {&m_activeDownloads, &m_queuedDownloads}) {
        for (const QPointer<Download> &other : *list) {
            if (other && other != asking && other->transferThread() == thread &&
                other->holdsTransferThread())
                return true;
        }
    }
    return false;
}

void DownloadManager::populate()
{
    bool ok = false;
    const QList<DownloadRecords::Row> rows = m_records->allRows(&ok);
    if (!ok) {
        qCWarning(lcDownloads) << "DownloadManager::populate unable to exec query";
        return;
    }
    // One download per stored item; a record without a media address is a
    // direct download, unless its address is a descriptor link.
    for (const DownloadRecords::Row &row : rows) {
        if (!row.corvanaUrl.isValid() || row.corvanaUrl.isEmpty())
            continue;
        const bool direct =
            row.mediaUrl.isEmpty() && !row.corvanaUrl.path().contains(QLatin1String(".corvana"));
        auto *download = new Download(m_network, nullptr, row.corvanaUrl, direct);
        download->restore(row.mediaUrl, row.downloadPath);
        connectDownload(download);
        addDownload(download);
        download->pause();
    }
}

int DownloadManager::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_activeDownloads.size() + m_queuedDownloads.size());
}

QVariant DownloadManager::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const int row = index.row();
    Download *download = row < m_activeDownloads.size()
                             ? m_activeDownloads.at(row).data()
                             : m_queuedDownloads.at(row - m_activeDownloads.size()).data();
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

bool DownloadManager::contains(const QString &path) const
{
    return m_records->containsPath(path);
}

QList<Download *> DownloadManager::activeDownloads() const
{
    QList<Download *> list;
    for (Download *download : m_activeDownloads)
        list.append(download);
    return list;
}

QList<Download *> DownloadManager::queuedDownloads() const
{
    QList<Download *> list;
    for (Download *download : m_queuedDownloads)
        list.append(download);
    return list;
}

void DownloadManager::connectDownload(Download *download)
{
    connect(download, &Download::finished, this, &DownloadManager::downloadFinished);
    connect(download, &Download::aborted, this, &DownloadManager::downloadAborted);
    connect(download, &Download::update, this, qOverload<>(&DownloadManager::downloadUpdate));
    connect(download, &Download::update, this, [this, download] { rowChanged(download); });
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
    for (int i = 0; i < m_activeDownloads.size(); ++i) {
        if (m_activeDownloads.at(i).data() == download)
            return i;
    }
    for (int i = 0; i < m_queuedDownloads.size(); ++i) {
        if (m_queuedDownloads.at(i).data() == download)
            return int(m_activeDownloads.size()) + i;
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
        const bool active = row < m_activeDownloads.size();
        QList<QPointer<Download>> &list = active ? m_activeDownloads : m_queuedDownloads;
        const int at = active ? row : row - int(m_activeDownloads.size());
        if (!list.at(at).isNull())
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        list.removeAt(at);
        endRemoveRows();
    }
}

void DownloadManager::addDownload(Download *download)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    if (m_activeDownloads.size() >= MaxActiveDownloads) {
        download->queue();
        m_queuedDownloads.append(download);
    } else {
        m_activeDownloads.append(download);
    }
    endInsertRows();
    emit added(download, row);
}

bool DownloadManager::isListed(const Download *download) const
{
    for (const QList<QPointer<Download>> *list : {&m_activeDownloads, &m_queuedDownloads}) {
        for (const QPointer<Download> &entry : *list) {
            if (entry.data() == download)
                return true;
        }
    }
    return false;
}

bool DownloadManager::removeDownload(Download *download)
{
    int row = -1;
    QList<QPointer<Download>> *list = nullptr;
    for (int i = 0; i < m_activeDownloads.size(); ++i) {
        if (m_activeDownloads.at(i) == download) {
            row = i;
            list = &m_activeDownloads;
        }
    }
    for (int i = 0; !list && i < m_queuedDownloads.size(); ++i) {
        if (m_queuedDownloads.at(i) == download) {
            row = int(m_activeDownloads.size()) + i;
            list = &m_queuedDownloads;
        }
    }
    if (!list)
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    list->removeAt(list == &m_activeDownloads ? row : row - m_activeDownloads.size());
    endRemoveRows();
    download->deleteLater();
    return true;
}

void DownloadManager::initializeDownload(const QUrl &url)
{
    qCDebug(lcDownloads) << "Initialize download on url =" << NetworkManager::loggableUrl(url);
    if (!SignInState::hasCredentials()) {
        qCDebug(lcDownloads) << "DownloadManager::initDownload invalid credentials";
        return;
    }
    if (!url.isValid()) {
        qCDebug(lcDownloads) << "Invalid url!";
        return;
    }
    // Descriptors come from the site's own hosts only: never a local file,
    // another scheme or a host a page happens to name.
    if (!WebAddress::isSiteAddress(url)) {
        qCWarning(lcDownloads) << "DownloadManager: descriptor address outside the site refused:"
                               << NetworkManager::loggableUrl(url);
        emit error(tr("The download list at %1 was not opened: it is not an address of the site.")
                       .arg(NetworkManager::loggableUrl(url).toString()));
        return;
    }
    QNetworkRequest request(url);
    request.setRawHeader("User-Agent", "Corvana ZELTA");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    QNetworkReply *reply = m_network->get(request);
    // A redirect may lead only to another address of the site, never down to plain HTTP.
    connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl &target) {
        const bool downgrade = reply->url().scheme() == QLatin1String("https") &&
                               target.scheme() != QLatin1String("https");
        if (WebAddress::isSiteAddress(target) && !downgrade) {
            Q_EMIT reply->redirectAllowed();
            return;
        }
        qCWarning(lcDownloads) << "DownloadManager: descriptor redirect outside the site refused:"
                               << NetworkManager::loggableUrl(target);
        reply->abort();
    });
    NetworkManager::limitBody(reply, CorvanaItem::MaxDocumentBytes);
    connect(reply, &QNetworkReply::finished, this, &DownloadManager::corvanaFileDownloadComplete);
    m_pending.insert(reply, url);
}

void DownloadManager::corvanaFileDownloadComplete()
{
    auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (!reply) {
        qCDebug(lcDownloads) << "Reply is empty!";
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    qCDebug(lcDownloads) << "Download finished with status code = " << status;
    reply->deleteLater();
    if (!m_pending.contains(reply)) {
        qCDebug(lcDownloads) << "DownloadManager::corvanaFileDownloadComplete invalid corvana file";
        return;
    }
    const QUrl url = m_pending.take(reply);
    if (reply->error() == QNetworkReply::NoError && (status == 200 || status == 206)) {
        qCDebug(lcDownloads) << "Reply isFinished():" << reply->isFinished();
        parseXml(url, reply->readAll());
        return;
    }
    const DownloadFailure failure =
        DownloadFailure::fromReply(reply->error(), status, Download::urlFileName(url));
    qCDebug(lcDownloads) << "DownloadManager::downloadComplete error with reply:"
                         << NetworkManager::loggableError(reply);
    m_prompt->warning(tr("Download Failed"), failure.message());
    Q_EMIT error(failure.message());
}

// Only a regular file, opened without waiting (a FIFO would block) and read no
// further than a descriptor may be long (a device reports no size).
bool DownloadManager::readDescriptorFile(const QString &path, QByteArray *document)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    QFile file;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > CorvanaItem::MaxDocumentBytes ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    *document = file.read(CorvanaItem::MaxDocumentBytes + 1);
    return document->size() <= CorvanaItem::MaxDocumentBytes;
}

void DownloadManager::initializeLocalDownload(const QString &path)
{
    qCDebug(lcDownloads) << "Initialize download from file =" << path;
    if (!SignInState::hasCredentials()) {
        qCDebug(lcDownloads) << "DownloadManager::initDownload invalid credentials";
        return;
    }
    QByteArray document;
    if (!readDescriptorFile(path, &document)) {
        qCWarning(lcDownloads) << "DownloadManager: cannot read descriptor file" << path;
        Q_EMIT error(tr("The file %1 could not be read.").arg(path));
        return;
    }
    parseXml(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()), document);
}

void DownloadManager::parseXml(const QUrl &url, const QByteArray &body)
{
    qCDebug(lcDownloads) << "Parse xml, url=" << NetworkManager::loggableUrl(url);
    QList<RecordToStore> records;
    m_recordsToStore = &records;
    const int queued = takeItems(url, CorvanaItem::parseCorvanaFile(body));
    m_recordsToStore = nullptr;
    storeRecords(records);
    tellAlreadyDownloaded();
    if (queued >= 0)
        emit descriptorRead(queued);
}

// The number of items taken on, or -1 when the library could not be asked.
int DownloadManager::takeItems(const QUrl &url, const QList<CorvanaItem> &items)
{
    QStringList paths; // taken by the items of this document
    int queued = 0;
    for (const CorvanaItem &item : items) {
        bool ok = false;
        QString sqlError;
        if (LibraryAccess::containsGuid(m_records->store(), item.guid(), &ok, &sqlError)) {
            qCDebug(lcDownloads) << "DownloadManager::parseXml: video already exists in library";
            continue;
        }
        if (!ok) {
            qCWarning(lcDownloads) << "DownloadManager::parseXml: unable to list library"
                                   << "error:" << sqlError << "sql line:"
                                   << "SELECT * FROM library WHERE guid=?;";
            return -1;
        }
        if (!Download::isFetchable(item.mediaUrl())) {
            qCWarning(lcDownloads) << "DownloadManager::parseXml refused media URL"
                                   << NetworkManager::loggableUrl(item.mediaUrl());
            emit refused(item.title(), tr("its media address is not a web address"));
            continue;
        }
        if (!item.hasVideoFileType()) {
            qCWarning(lcDownloads)
                << "DownloadManager::parseXml refused file type" << item.fileType();
            const QString reason =
                tr("its file type \"%1\" is not a video type").arg(item.fileType());
            emit refused(item.title(), reason);
            emit error(tr("%1 was not downloaded: %2.").arg(item.title(), reason));
            continue;
        }
        if (rowCount() >= MaxDownloads) {
            qCDebug(lcDownloads) << "DownloadManager::parseXml max number of downloads reached";
            emit refused(item.title(), tr("the download list is full"));
            continue;
        }
        auto *newDownload = new Download(m_network, nullptr, url, false);
        newDownload->setItem(item);
        assignOwnPath(newDownload, paths);
        const QFileInfo existing(newDownload->mediaPath());
        qCDebug(lcDownloads) << "Existing file info:" << existing.absolutePath()
                             << "size =" << existing.size();
        qCDebug(lcDownloads) << "Size of item to download =" << newDownload->mediaSize();
        if (refuseExisting(newDownload))
            continue;
        paths << newDownload->mediaPath();
        if (!download(newDownload, false)) {
            qCDebug(lcDownloads) << "DownloadManager::parseXml download failed";
            if (!isListed(newDownload))
                newDownload->deleteLater();
            continue;
        }
        ++queued;
    }
    return queued;
}

bool DownloadManager::isPathTaken(const Download *download, const QStringList &paths) const
{
    const QString path = download->mediaPath();
    if (paths.contains(path))
        return true;
    for (const QList<QPointer<Download>> *list : {&m_activeDownloads, &m_queuedDownloads}) {
        for (const QPointer<Download> &other : *list) {
            if (other && other->mediaPath() == path &&
                other->recordMediaUrl() != download->mediaUrl())
                return true;
        }
    }
    // A video of the library with another guid.
    QString owner;
    return LibraryAccess::videoOwner(m_records->store(), path, &owner) &&
           owner != download->item().guid();
}

void DownloadManager::assignOwnPath(Download *download, const QStringList &paths) const
{
    // Two videos of the same title: the later ones go to "Title-1", "Title-2", ...
    const QString folder = download->downloadFolder();
    const QString name = QFileInfo(download->mediaPath()).fileName();
    for (int n = 1; isPathTaken(download, paths); ++n)
        download->setMediaPath(QStringLiteral("%1-%2/%3").arg(folder).arg(n).arg(name));
}

// A download whose media file is already on disk is refused. It was never
// listed, so no stored row (maybe another download's) is touched.
bool DownloadManager::refuseExisting(Download *download)
{
    if (!QFileInfo::exists(download->mediaPath()))
        return false;
    m_alreadyDownloaded << download->item().title();
    download->deleteLater();
    return true;
}

void DownloadManager::tellAlreadyDownloaded()
{
    if (m_alreadyDownloaded.isEmpty())
        return;
    const QStringList titles = std::exchange(m_alreadyDownloaded, {});
    warnFileExists(m_prompt, titles);
}

void DownloadManager::initializeDirectDownload(const QUrl &url, bool addToLibrary)
{
    qCDebug(lcDownloads) << "Initialize download on url =" << NetworkManager::loggableUrl(url);
    if (!SignInState::hasCredentials()) {
        qCDebug(lcDownloads) << "DownloadManager::initDownload invalid credentials";
        return;
    }
    if (!url.isValid() || url.isEmpty()) {
        qCDebug(lcDownloads) << "Invalid url!";
        return;
    }
    auto *download = new Download(m_network, nullptr, url, true);
    download->setAddToLibrary(addToLibrary);
    // Files kept out of the library are installers: never from a forged certificate.
    download->setStrictTls(!addToLibrary);
    CorvanaItem item;
    item.setTitle(Download::urlFileName(url));
    item.setGuid(url.toString());
    download->setItem(item);
    if (rowCount() >= MaxDownloads) {
        qCDebug(lcDownloads) << "DownloadManager::parseXml max number of downloads reached";
        emit refused(item.title(), tr("the download list is full"));
        delete download;
        return;
    }
    if (refuseExisting(download)) {
        tellAlreadyDownloaded();
        return;
    }
    if (!this->download(download, true)) {
        qCDebug(lcDownloads) << "DownloadManager::parseXml download failed";
        if (!isListed(download))
            download->deleteLater();
    }
}

void DownloadManager::initializeDirectDownload(const QUrl &url)
{
    initializeDirectDownload(url, true);
}

bool DownloadManager::download(Download *d, bool direct)
{
    const auto listedIn = [d](const QList<QPointer<Download>> &list, const char *where) {
        for (const QPointer<Download> &other : list) {
            if (other && other->url() == d->url() && other->mediaUrl() == d->mediaUrl()) {
                qCDebug(lcDownloads)
                    << "d->url:" << NetworkManager::loggableUrl(d->url())
                    << ", download->url:" << NetworkManager::loggableUrl(other->url());
                qCDebug(lcDownloads).noquote()
                    << "DownloadManager::download failed because download exists in" << where;
                return true;
            }
        }
        return false;
    };
    if (listedIn(m_activeDownloads, "downloads") || listedIn(m_queuedDownloads, "queued downloads"))
        return false;
    // The record comes first: a file is never written that no record knows of,
    // even when the program is killed right after the transfer starts. The
    // transfer starts once the record is stored (unless it waits in the queue).
    storeRecord(d, direct);
    connectDownload(d);
    addDownload(d);
    return true;
}

void DownloadManager::storeRecord(Download *d, bool direct)
{
    m_awaitingRecord.append(d);
    if (m_recordsToStore)
        m_recordsToStore->append({d, direct});
    else
        storeRecords({{d, direct}});
}

void DownloadManager::storeRecords(const QList<RecordToStore> &records)
{
    if (records.isEmpty())
        return;
    QList<DownloadRecords::Row> rows;
    for (const RecordToStore &record : records) {
        if (record.download)
            rows.append({record.download->url(), record.download->mediaUrl(),
                         record.download->mediaPath()});
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

void DownloadManager::startNextDownload()
{
    if (m_queuedDownloads.isEmpty() || m_activeDownloads.size() >= MaxActiveDownloads)
        return;
    // Rows keep their order: the first queued row is the row after the active
    // ones, so moving it to the active list moves no row.
    Download *next = m_queuedDownloads.constFirst();
    if (!next)
        return; // its row goes with dropDeleted()
    m_activeDownloads.append(m_queuedDownloads.takeFirst());
    startWhenStored(next);
    emit started(next);
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
// that one runs (or waits to retry) and stops with the others.
void DownloadManager::pauseAll()
{
    m_startWhenStored.clear();
    const QList<QPointer<Download>> listed = m_activeDownloads + m_queuedDownloads;
    for (const QPointer<Download> &download : listed) {
        if (!download)
            continue;
        const bool queued = m_queuedDownloads.contains(download);
        if (!queued || download->state() == Download::Downloading || download->isResuming() ||
            download->isRetryScheduled())
            download->pause();
    }
}

void DownloadManager::resumeAll()
{
    const QList<QPointer<Download>> active = m_activeDownloads;
    for (const QPointer<Download> &download : active) {
        if (download && isListed(download))
            startWhenStored(download);
    }
}

void DownloadManager::removeAll()
{
    const UserPrompt::Button answer = m_prompt->question(
        tr("Are you sure?"), tr("Are you sure you want to remove all downloads?"),
        UserPrompt::Yes | UserPrompt::No, UserPrompt::No);
    if (answer == UserPrompt::No)
        return;
    const QList<QPointer<Download>> snapshot = m_activeDownloads + m_queuedDownloads;
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
    const QList<QPointer<Download>> listed = m_activeDownloads + m_queuedDownloads;
    for (const QPointer<Download> &download : listed) {
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
