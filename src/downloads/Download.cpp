#include "downloads/Download.h"
#include "core/FileNames.h"
#include "core/Logging.h"

#include "core/UserPrompt.h"
#include "downloads/DownloadHelper.h"
#include "downloads/FileTransfer.h"
#include "library/LibraryLocation.h"
#include "web/Account.h"
#include "web/CookieJar.h"
#include "web/NetworkManager.h"
#include "web/WebAddress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QNetworkCookie>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QTimer>
#include <QtDebug>

#include <algorithm>
#include <limits>

#include <sys/statvfs.h>

namespace {

constexpr int kProgressIntervalMs = 200;
constexpr int kMaxRedirects = 10;

// Descriptors come from the network: only web addresses are fetched.
bool isWebUrl(const QUrl &url)
{
    return WebAddress::isWeb(url);
}

} // namespace

Download::Download(NetworkManager *network, TransferThread *transfers,
                   const LibraryLocation &library, const QUrl &url, bool direct, QObject *parent)
    : QObject(parent), m_network(network), m_transfers(transfers), m_library(library), m_url(url),
      m_direct(direct)
{
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &Download::retry);
}

Download::~Download() = default;

void Download::setItem(const CorvanaItem &item)
{
    m_item = item;
    emit update();
}

QString Download::statusText() const
{
    switch (m_state) {
    case Queued:
        return tr("Queued");
    case Downloading:
        return tr("Downloading");
    case Finished:
        return tr("Finished");
    case Paused:
        if (m_failure.isNull())
            return tr("Paused");
        return isRetryScheduled() ? tr("Waiting to retry") : tr("Failed");
    case None:
    case Cancelled:
        break;
    }
    return QString();
}

QString Download::downloadFolder() const
{
    const QDir library(m_library.folder());
    if (m_direct)
        return library.absolutePath();
    if (!m_mediaPath.isEmpty())
        return QFileInfo(m_mediaPath).absolutePath();
    return itemFolder(m_item);
}

void Download::setMediaPath(const QString &path)
{
    m_mediaPath = path;
}

void Download::restore(const DownloadRecords::StoredDownload &stored,
                       const DownloadFailure &failure)
{
    const DownloadRecords::Row &row = stored.row;
    m_recordMediaUrl = row.mediaUrl;
    m_item = row.item;
    m_mediaPath = stored.keptPath;
    m_failure = failure;
    m_renewFirst = failure.kind() == DownloadFailure::Withdrawn;
    m_state = Paused; // until resumed
    m_failureRestored = !failure.isNull();
    // The card shows at once how far it got.
    m_bytesWritten = stored.bytesOnDisk >= 0 ? stored.bytesOnDisk : bytesOnDisk();
    m_progress = mediaSize() > 0 ? double(m_bytesWritten) / double(mediaSize()) : 0.0;
}

void Download::setFailure(const DownloadFailure &failure)
{
    const bool changed =
        failure.kind() != m_failure.kind() || failure.message() != m_failure.message();
    m_failure = failure;
    m_failureRestored = false;
    if (changed)
        emit failureChanged();
}

QString Download::mediaPath() const
{
    if (!m_mediaPath.isEmpty())
        return m_mediaPath;
    if (m_direct)
        return QDir(m_library.folder()).absoluteFilePath(urlFileName(m_url));
    return itemMediaPath(m_item);
}

QString Download::coverPath() const
{
    return QDir(downloadFolder())
        .absoluteFilePath(
            safeFileName(QStringLiteral("%1-cover.jpg")
                             .arg(fileBase(CorvanaItem::fileNameTitle(m_item.mediaTitle())))));
}

QString Download::thumbnailPath() const
{
    const QString base =
        m_direct ? urlFileName(m_url) : CorvanaItem::fileNameTitle(m_item.mediaTitle());
    return QDir(downloadFolder())
        .absoluteFilePath(safeFileName(QStringLiteral("%1-thumb.jpg").arg(fileBase(base))));
}

double Download::speed() const
{
    if (m_state != Downloading)
        return -1.0;
    const qint64 elapsed = m_startTime.isValid() ? m_startTime.elapsed() : 0;
    if (elapsed <= 0)
        return 0.0;
    return double(qint64(double(m_bytesReceived) * 1024.0 / double(elapsed)));
}

double Download::timeLeft() const
{
    if (m_state != Downloading)
        return -1.0;
    const double bytesPerSecond = speed();
    const double left = bytesPerSecond > 0.0 ? double(mediaSize() - m_bytesWritten) / bytesPerSecond
                                             : std::numeric_limits<double>::infinity();
    return left == 0.0 ? 1.0 : left;
}

DownloadProgress::Bar Download::progressBar() const
{
    return DownloadProgress::bar(m_bytesWritten, mediaSize());
}

QString Download::progressText() const
{
    if (m_state != Downloading)
        return QString();
    return DownloadProgress::text(m_bytesWritten, mediaSize(), speed(), timeLeft());
}

bool Download::imageValid(const QString &path, const Transfer &transfer) const
{
    if (transfer && transfer->isRunning())
        return false;
    const QFileInfo info(path);
    if (!info.exists() || info.size() == 0)
        return false;
    QImageReader reader(path);
    return reader.canRead();
}

bool Download::isTransferring() const
{
    for (const Transfer &transfer : {m_cover, m_thumbnail, m_media}) {
        if (transfer && transfer->isRunning())
            return true;
    }
    return false;
}

void Download::setTransferThread(TransferThread *transfers)
{
    if (!isTransferring())
        m_transfers = transfers;
}

void Download::takeTransferThread()
{
    if (!m_threadSource)
        return;
    if (TransferThread *transfers = m_threadSource(this))
        setTransferThread(transfers);
}

bool Download::isResuming() const
{
    return m_metaReply && m_metaReply->isRunning();
}

bool Download::coverValid() const
{
    return imageValid(coverPath(), m_cover);
}

bool Download::thumbnailValid() const
{
    return imageValid(thumbnailPath(), m_thumbnail);
}

bool Download::isThumbnailArriving() const
{
    return m_thumbnail && m_thumbnail->isRunning();
}

FileTransfer *Download::createTransfer(const QUrl &url, const QString &path, int kind)
{
    TransferRequest request;
    request.url = url;
    request.filePath = path;
    request.kind = kind;
    request.strictTls = m_strictTls;
    // The member's credentials go with the request where the site may have
    // them: an answer that breaks off then ends in an error that the next
    // attempt resumes by range, not in the network layer's silent repeats of
    // the whole request after the authentication round trip.
    const Account::Credentials credentials = m_network->account()->credentials();
    if (credentials.isComplete() && WebAddress::mayReceiveCredentials(url)) {
        const QByteArray pair =
            (credentials.userName + QLatin1Char(':') + credentials.password).toUtf8();
        request.authorization = "Basic " + pair.toBase64();
    }
    QByteArrayList cookies;
    for (const QNetworkCookie &cookie : m_network->cookieJar()->cookiesForUrl(url))
        cookies << cookie.toRawForm(QNetworkCookie::NameAndValueOnly);
    request.cookies = cookies.join("; ");
    if (kind == DownloadHelper::Media || kind == DownloadHelper::MediaRedirected) {
        // The answer's length is checked against the room left before its
        // body is written.
        request.freeSpace = m_freeSpace;
        request.spaceFolder = downloadFolder();
        request.libraryFolder = m_library.folder();
        request.expectedTotal = m_resourceTotal >= 0 ? m_resourceTotal
                                : mediaSize() > 0    ? mediaSize()
                                                     : -1;
    }
    auto *transfer = new FileTransfer(m_transfers, request, this);
    qCDebug(lcDownloads) << "File path =" << path << NetworkManager::loggableUrl(url);
    connect(transfer, &FileTransfer::finished, this, &Download::downloadFinished);
    return transfer;
}

void Download::replaceTransfer(Transfer &slot, FileTransfer *next)
{
    if (slot)
        slot->deleteLater();
    slot = next;
}

void Download::startMediaTransfer(const QUrl &url, int kind)
{
    FileTransfer *media = createTransfer(url, mediaPath(), kind);
    replaceTransfer(m_media, media);
    m_bytesWritten = bytesOnDisk();
    m_bytesReceived = 0;
    connect(media, &FileTransfer::progress, this, &Download::downloadProgress);
}

QString Download::displayTitle() const
{
    const QString title = m_item.title();
    return title.isEmpty() ? urlFileName(m_url) : title;
}

qint64 Download::bytesOnDisk() const
{
    const QFileInfo file(mediaPath());
    return file.exists() ? file.size() : 0;
}

// Asked at every start: statvfs on the folder itself, where QStorageInfo
// would read the whole mount table first.
qint64 Download::freeSpace(const QString &folder)
{
    struct statvfs info;
    if (::statvfs(QFile::encodeName(folder).constData(), &info) != 0)
        return -1;
    return qint64(info.f_bavail) * qint64(info.f_frsize);
}

bool Download::checkFreeSpace(qint64 remaining)
{
    if (remaining <= 0)
        return true;
    const qint64 available = m_freeSpace(downloadFolder());
    if (available < 0 || remaining <= available)
        return true;
    qCWarning(lcDownloads) << "Download: not enough space for" << mediaPath() << "needs"
                           << remaining << "has" << available;
    failMedia(
        DownloadFailure::notEnoughSpace(remaining, available, m_library.folder(), displayTitle()));
    return false;
}

void Download::start()
{
    if (!m_network->account()->hasCredentials()) {
        qCDebug(lcDownloads) << "Download::start invalid login credentials";
        return;
    }
    const QString folder = downloadFolder();
    if (!QDir().mkpath(folder)) {
        qCWarning(lcDownloads) << "Download::start unable to create download path:" << folder;
        const QFileInfo info(folder);
        const QString why = info.exists() && !info.isDir()
                                ? tr("a file named \"%1\" is in the way").arg(info.fileName())
                                : tr("its folder \"%1\" cannot be made").arg(info.fileName());
        failMedia(DownloadFailure::notWritable(why, info.absolutePath(), displayTitle()));
        return;
    }
    m_redirects = 0;
    if (!isWebUrl(mediaUrl())) {
        qCWarning(lcDownloads) << "Download::start refused media URL"
                               << NetworkManager::loggableUrl(mediaUrl());
        failMedia(
            DownloadFailure::other(tr("its media address is not a web address"), displayTitle()));
        return;
    }
    if (mediaSize() > 0 && !checkFreeSpace(mediaSize() - bytesOnDisk()))
        return;
    takeTransferThread();
    if (!coverValid() && isWebUrl(QUrl(m_item.cover()))) {
        qCDebug(lcDownloads) << "Download cover";
        replaceTransfer(m_cover,
                        createTransfer(QUrl(m_item.cover()), coverPath(), DownloadHelper::Cover));
    }
    if (!thumbnailValid() && isWebUrl(m_item.thumbnailUrl())) {
        qCDebug(lcDownloads) << "Download thumbnail";
        replaceTransfer(m_thumbnail, createTransfer(m_item.thumbnailUrl(), thumbnailPath(),
                                                    DownloadHelper::Thumbnail));
    } else if (thumbnailValid()) {
        emit updateThumbnail();
    }
    qCDebug(lcDownloads) << "url =" << NetworkManager::loggableUrl(mediaUrl())
                         << "Download media item";
    m_attemptStartBytes = bytesOnDisk();
    m_attemptTimer.start();
    startMediaTransfer(mediaUrl(), DownloadHelper::Media);
    setFailure(DownloadFailure());
    m_state = Downloading;
    m_startTime.start();
    emit update();
}

void Download::startDirectDownload()
{
    if (!m_network->account()->hasCredentials()) {
        qCDebug(lcDownloads) << "Download::start invalid login credentials";
        return;
    }
    if (!isWebUrl(m_url)) {
        qCWarning(lcDownloads) << "Download::startDirectDownload refused URL"
                               << NetworkManager::loggableUrl(m_url);
        failMedia(DownloadFailure::other(tr("its address is not a web address"), displayTitle()));
        return;
    }
    m_redirects = 0;
    m_item.setTitle(urlFileName(m_url));
    m_item.setGuid(m_url.path());
    qCDebug(lcDownloads) << "Start direct download";
    takeTransferThread();
    m_attemptStartBytes = bytesOnDisk();
    m_attemptTimer.start();
    startMediaTransfer(m_url, DownloadHelper::Media);
    setFailure(DownloadFailure());
    m_state = Downloading;
    m_startTime.start();
    emit update();
}

void Download::stopTransfers()
{
    if (m_metaReply && m_metaReply->isRunning())
        m_metaReply->abort(); // its handler sees the new state and stops there
    for (const Transfer &transfer : {m_cover, m_thumbnail, m_media}) {
        if (transfer)
            transfer->stop();
    }
}

// The user's pause (or pause-all): no automatic retry follows it.
void Download::pause()
{
    m_retryTimer.stop();
    m_failedAttempts = 0;
    m_repeatedInterruption = false;
    m_state = Paused;
    stopTransfers();
    setFailure(DownloadFailure());
    emit update();
}

void Download::cancel()
{
    m_retryTimer.stop();
    m_state = Cancelled;
    stopTransfers();
    if (!m_direct) {
        if (QFile::exists(coverPath()) && !QFile::remove(coverPath()))
            qCDebug(lcDownloads) << "Download::cancel could not remove cover";
        if (QFile::exists(thumbnailPath()) && !QFile::remove(thumbnailPath()))
            qCDebug(lcDownloads) << "Download::cancel could not remove thumbnail";
    }
    if (QFile::exists(mediaPath()) && !QFile::remove(mediaPath()))
        qCDebug(lcDownloads) << "Download::cancel could not remove video file";
    if (!m_direct && !m_item.isNull()) {
        const QDir folder(downloadFolder());
        if (folder.exists() &&
            folder.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) &&
            !QDir().rmdir(folder.absolutePath()))
            qCDebug(lcDownloads) << "Download::cancel could not fully remove download path";
    }
    emit aborted();
}

void Download::queue()
{
    m_state = Queued;
    emit update();
}

// The user's resume (or resume-all, the network coming back): at once, and
// with the pauses between automatic retries starting short again.
void Download::resume()
{
    m_retryTimer.stop();
    m_addressRenewed = false;
    m_failedAttempts = 0;
    m_repeatedInterruption = false;
    restart();
}

void Download::retryNow()
{
    // A video the site no longer offers waits for the user's Retry.
    // Nor does one stored as failed: it waits to be resumed.
    if (m_state != Paused || m_failure.isNull() || m_failureRestored ||
        m_failure.kind() == DownloadFailure::Withdrawn)
        return;
    m_retryTimer.stop();
    m_failedAttempts = 0;
    m_repeatedInterruption = false;
    restart();
}

void Download::connectionLost()
{
    if (m_state != Downloading && !isResuming())
        return;
    failMedia(DownloadFailure::noConnection(displayTitle()));
}

void Download::retry()
{
    if (m_state != Paused || m_failure.isNull())
        return;
    qCDebug(lcDownloads) << "Download: retrying" << NetworkManager::loggableUrl(m_url) << "attempt"
                         << m_failedAttempts + 1;
    restart();
}

void Download::restart()
{
    m_attemptStartBytes = bytesOnDisk();
    // A second transfer would append to the file the running one still writes.
    if (m_state == Downloading || isResuming()) {
        qCDebug(lcDownloads) << "Download::resume already running:"
                             << NetworkManager::loggableUrl(m_url);
        return;
    }
    // A stored direct download says so; older records are told by their suffix.
    if (m_direct || isMediaLink(m_url.path())) {
        qCDebug(lcDownloads) << "resume direct download";
        m_direct = true;
        startDirectDownload();
        return;
    }
    // A whole stored item goes straight to its media address; the
    // descriptor is asked only to renew it.
    if (!m_item.isNull() && !m_renewFirst) {
        start();
        return;
    }
    fetchDescriptor();
}

QUrl Download::redirectTarget(const FileTransfer *transfer) const
{
    const TransferOutcome &outcome = transfer->outcome();
    qCDebug(lcDownloads) << "Download finished with status code =" << outcome.status;
    if (outcome.redirectTarget.isEmpty())
        return QUrl();
    qCDebug(lcDownloads) << "Url points to" << NetworkManager::loggableUrl(outcome.url)
                         << "Requested redirect to"
                         << NetworkManager::loggableUrl(outcome.redirectTarget);
    const QUrl resolved = outcome.url.resolved(outcome.redirectTarget);
    if (!isWebUrl(resolved)) {
        qCWarning(lcDownloads) << "Download: redirect to a non-web address refused:"
                               << NetworkManager::loggableUrl(resolved);
        return QUrl();
    }
    // A redirect never leaves HTTPS.
    if (outcome.url.scheme() == QLatin1String("https") &&
        resolved.scheme() != QLatin1String("https")) {
        qCWarning(lcDownloads) << "Download: redirect from HTTPS to plain HTTP refused:"
                               << NetworkManager::loggableUrl(resolved);
        return QUrl();
    }
    return resolved;
}

// Stops the attempt and keeps the partial file and the record. A failure that
// waiting can mend is retried by itself: at once when this attempt got further
// than the last, otherwise after a pause that grows with each failure in a row.
// The person is told once per run of failures: a broken connection that the
// next attempt mends at once is not news.
void Download::failMedia(const DownloadFailure &failure)
{
    m_retryTimer.stop();
    m_state = Paused;
    stopTransfers();
    const bool gotFurther = attemptGotFurther();
    // A connection that closed under the request before any byte came (a
    // kept-alive connection the server had just closed) is tried again at
    // once, as the network layer would have done, but once in a row only.
    const bool repeatOnce = !gotFurther && failure.isInterruption() && !m_repeatedInterruption;
    m_repeatedInterruption = repeatOnce;
    if (gotFurther)
        m_failedAttempts = 0;
    else if (!repeatOnce)
        ++m_failedAttempts;
    setFailure(failure);
    qCWarning(lcDownloads).noquote() << "Download failed:" << failure.message();
    const bool atOnce = gotFurther || repeatOnce;
    if (failure.retriesByItself()) {
        const int delay = atOnce ? 0 : m_retryDelays(m_failedAttempts);
        qCDebug(lcDownloads) << "Download: next attempt in" << delay << "ms";
        m_retryTimer.start(delay);
    }
    emit update();
    // Bytes still came (too few to count as progress): nothing to tell yet.
    const bool someBytes = bytesOnDisk() > m_attemptStartBytes;
    if (!failure.retriesByItself() || (!atOnce && !someBytes && m_failedAttempts == 1))
        emit failed(failure.message());
}

// Progress that earns an attempt at once: enough bytes, or bytes over a
// while. A server that sends a few bytes per connection is otherwise asked
// again and again as fast as it answers.
bool Download::attemptGotFurther() const
{
    constexpr qint64 kMinBytes = 16 * 1024;
    constexpr qint64 kMinMs = 2000;
    const qint64 added = bytesOnDisk() - m_attemptStartBytes;
    if (added <= 0)
        return false;
    return added >= kMinBytes || (m_attemptTimer.isValid() && m_attemptTimer.elapsed() >= kMinMs);
}

void Download::downloadFinished()
{
    auto *transfer = qobject_cast<FileTransfer *>(sender());
    if (!transfer) {
        qCDebug(lcDownloads) << "Download::downloadFinished invalid sender";
        return;
    }
    qCDebug(lcDownloads) << "Download finished, type" << transfer->kind();
    if (m_state == Paused || m_state == Cancelled) {
        qCDebug(lcDownloads) << "Download::downloadFinished state == paused | cancelled";
        return;
    }
    const TransferOutcome &outcome = transfer->outcome();
    const bool isMedia = transfer == m_media.data();
    if (isMedia && outcome.identity.total >= 0)
        m_resourceTotal = outcome.identity.total;
    if (outcome.error && isMedia) {
        if (renewsAddress(outcome.status))
            renewAddress();
        else
            failMedia(outcome.failure(transfer->filePath(), displayTitle()));
        return;
    }
    if (transfer->isRedirected()) {
        qCDebug(lcDownloads) << "Download transfer already followed its redirect";
        return;
    }
    const QUrl target = outcome.error ? QUrl() : redirectTarget(transfer);
    const int status = outcome.status;
    if (isMedia && target.isEmpty() && status >= 300 && status < 400) {
        qCWarning(lcDownloads) << "Download::downloadFinished redirect without a usable target for"
                               << NetworkManager::loggableUrl(m_url);
        failMedia(DownloadFailure::other(tr("the site sent it elsewhere without a usable address"),
                                         displayTitle()));
        return;
    }
    if (!target.isEmpty() && ++m_redirects > kMaxRedirects) {
        qCWarning(lcDownloads) << "Download::downloadFinished too many redirects for"
                               << NetworkManager::loggableUrl(m_url);
        if (isMedia)
            failMedia(DownloadFailure::other(tr("too many redirects"), displayTitle()));
        return;
    }
    if (transfer == m_cover.data()) {
        if (!target.isEmpty()) {
            transfer->setRedirected(true);
            replaceTransfer(m_cover,
                            createTransfer(target, coverPath(), DownloadHelper::CoverRedirected));
        }
    } else if (transfer == m_thumbnail.data()) {
        if (!target.isEmpty()) {
            transfer->setRedirected(true);
            replaceTransfer(m_thumbnail, createTransfer(target, thumbnailPath(),
                                                        DownloadHelper::ThumbnailRedirected));
        } else {
            QTimer::singleShot(500, this, &Download::updateThumbnail);
        }
    } else if (isMedia) {
        if (!target.isEmpty()) {
            transfer->setRedirected(true);
            startMediaTransfer(target, DownloadHelper::MediaRedirected);
            return;
        }
        m_bytesWritten = outcome.bytesWritten;
        if (mediaSize() > 0)
            m_progress = double(m_bytesWritten) / double(mediaSize());
        m_state = Finished;
        m_addressRenewed = false;
        emit updateProgress();
        emit update();
        emit finished();
    } else {
        qCDebug(lcDownloads) << "Download::downloadFinished invalid download";
    }
}

void Download::downloadProgress(qint64 bytesReceived, qint64 fileTotal)
{
    if (!m_media || sender() != m_media.data())
        return;
    if (m_direct && fileTotal > 0 && mediaSize() != fileTotal)
        m_item.setMediaSize(fileTotal);
    if (m_lastUpdate.isValid() && m_lastUpdate.elapsed() < kProgressIntervalMs)
        return;
    m_lastUpdate.start();
    m_bytesWritten = m_media->bytesWritten();
    m_bytesReceived = bytesReceived;
    m_progress = mediaSize() > 0 ? double(m_bytesWritten) / double(mediaSize()) : 0.0;
    emit updateProgress();
}
