#include "downloads/DownloadHelper.h"
#include "core/Logging.h"
#include "downloads/ContentRange.h"
#include "downloads/TransferRateLimiter.h"
#include "downloads/UnrepeatableBody.h"
#include "web/NetworkManager.h"

#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QNetworkAccessManager>
#include <QtDebug>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

namespace {

// The most read from the reply and written to the file at a time: 64 KiB,
// the size of the blocks the network layer hands over, for a transfer that
// runs alone; 32 KiB while others run beside it. The transfers then share the
// processor's caches, and with the smaller pieces more of each block is
// still there when it is written (five at once ran about a fifth faster,
// one alone a tenth slower with the smaller pieces).
constexpr qint64 kChunkSize = 64 * 1024;
constexpr qint64 kSharedChunkSize = 32 * 1024;
// Transfers between start() and finish(), on every transfer thread.
std::atomic<int> g_runningTransfers{0};
// Bytes the network layer may hold for us before it stops reading the socket:
// enough to keep up with a fast connection, small enough that five
// transfers at once stay within a few MiB.
constexpr qint64 kReadBufferSize = 512 * 1024;
// Progress reaches the window's thread at most this often.
constexpr int kProgressIntervalMs = 100;

bool isRedirectStatus(int status)
{
    return status >= 300 && status < 400;
}

} // namespace

DownloadHelper::DownloadHelper(TransferRequest request) : m_request(std::move(request))
{
    m_limitTimer.setSingleShot(true);
    connect(&m_limitTimer, &QTimer::timeout, this, &DownloadHelper::readIncomingData);
    qCDebug(lcDownloads) << "DownloadHelper:" << m_request.filePath;
}

DownloadHelper::~DownloadHelper()
{
    if (std::exchange(m_counted, false))
        --g_runningTransfers;
    if (m_reply) {
        m_reply->disconnect(this);
        if (m_reply->isRunning())
            m_reply->abort();
        m_reply->deleteLater();
    }
}

void DownloadHelper::requestStop()
{
    const QMutexLocker lock(&m_openLock);
    m_stopRequested = true;
}

QNetworkRequest DownloadHelper::networkRequest(qint64 offset) const
{
    QNetworkRequest request(m_request.url);
    request.setRawHeader("Connection", "Keep-Alive");
    // Redirects are followed by the download, with a fresh transfer; media
    // bypass the disk cache, and cookies come with the request.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    if (m_request.strictTls)
        request.setAttribute(NetworkManager::StrictTlsAttribute, true);
    if (!m_request.authorization.isEmpty())
        request.setRawHeader("Authorization", m_request.authorization);
    if (!m_request.cookies.isEmpty())
        request.setRawHeader("Cookie", m_request.cookies);
    if (offset > 0) {
        const QByteArray range = "bytes=" + QByteArray::number(offset) + '-';
        request.setRawHeader("Range", range);
        // A server that knows the resource changed answers with all of it.
        const QByteArray ifRange = m_identity.ifRange();
        if (!ifRange.isEmpty())
            request.setRawHeader("If-Range", ifRange);
        qCDebug(lcDownloads) << "requested range:" << range << "for video:" << m_request.filePath;
    }
    return request;
}

// Unbuffered: every chunk goes straight to the file, and a failed write
// leaves its reason in errno. Never after a stop: a cancelled download's
// file, removed by the window's thread, is not made again.
bool DownloadHelper::openFile()
{
    const QMutexLocker lock(&m_openLock);
    if (m_stopRequested)
        return false;
    m_file = std::make_unique<QFile>(m_request.filePath);
    const QIODevice::OpenMode mode =
        (m_file->exists() ? QIODevice::Append : QIODevice::WriteOnly) | QIODevice::Unbuffered;
    if (!m_file->open(mode)) {
        qCWarning(lcDownloads).noquote()
            << "DownloadHelper: can't open file for writing:" << m_request.filePath
            << "\nerror:" << m_file->errorString();
        m_outcome.fileError = m_file->errorString();
        m_file.reset();
    }
    return true;
}

void DownloadHelper::start(QNetworkAccessManager *network)
{
    m_started = true;
    m_counted = true;
    ++g_runningTransfers;
    m_network = network;
    // The offset is taken here, after any earlier transfer of the same file
    // (stopped before this one was posted) has written its last byte.
    const QFileInfo info(m_request.filePath);
    const qint64 offset = info.exists() ? info.size() : 0;
    m_outcome.bytesWritten = offset;
    m_outcome.startOffset = offset;
    m_outcome.url = m_request.url;
    if (offset > 0) {
        m_identity = ResumeIdentity::read(m_request.filePath);
        if (m_identity.total < 0 && m_request.expectedTotal > 0)
            m_identity.total = m_request.expectedTotal;
        m_outcome.identity = m_identity;
    }
    if (!openFile()) {
        finish(); // stopped before it began
        return;
    }
    sendRequest(offset);
}

void DownloadHelper::sendRequest(qint64 offset)
{
    QNetworkReply *reply = UnrepeatableBody::get(m_network, networkRequest(offset));
    m_reply = reply;
    reply->setReadBufferSize(kReadBufferSize);
    // Said again once the request is under way. A request with a body (see
    // UnrepeatableBody) starts later, from the event loop, and Qt's HTTP
    // layer misses a size given before that: it would then read the whole
    // answer into memory as fast as the network brings it.
    QMetaObject::invokeMethod(
        reply, [reply] { reply->setReadBufferSize(kReadBufferSize); }, Qt::QueuedConnection);
    connect(reply, &QNetworkReply::metaDataChanged, this, &DownloadHelper::headersArrived);
    connect(reply, &QNetworkReply::readyRead, this, &DownloadHelper::readIncomingData);
    connect(reply, &QNetworkReply::finished, this, &DownloadHelper::downloadFinished);
    connect(reply, &QNetworkReply::errorOccurred, this, &DownloadHelper::downloadError);
    connect(reply, &QNetworkReply::downloadProgress, this, &DownloadHelper::downloadProgress);
}

int DownloadHelper::statusCode() const
{
    return m_reply ? m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() : 0;
}

// The partial file always stays: the next attempt continues it by range.
void DownloadHelper::fail(const QString &why)
{
    qCWarning(lcDownloads).noquote() << "DownloadHelper:" << why << m_request.filePath;
    if (m_outcome.error)
        return; // the first reason counts
    m_outcome.error = true;
}

void DownloadHelper::handleRangeNotSatisfiable()
{
    if (m_outcome.alreadyComplete || m_outcome.error)
        return;
    const qint64 total = ContentRange::parse(m_reply->rawHeader("Content-Range")).total;
    if (total >= 0 && total != m_outcome.startOffset) {
        m_outcome.failedPart = TransferOutcome::FailedPart::Answer;
        fail(QStringLiteral("range not satisfiable for a file of another size (%1 on disk, %2 "
                            "served), keeping it:")
                 .arg(m_outcome.startOffset)
                 .arg(total));
        return;
    }
    qCDebug(lcDownloads) << "DownloadHelper: file already complete:" << m_request.filePath;
    m_outcome.alreadyComplete = true;
}

// The answer's length against the room left, before any of its body is
// written. A whole answer replaces the partial file.
bool DownloadHelper::checkSpace()
{
    if (m_spaceChecked || !m_request.freeSpace)
        return true;
    const int status = statusCode();
    const qint64 length = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    if (length <= 0 || (status != 200 && status != 206))
        return true;
    m_spaceChecked = true;
    const qint64 needed = status == 200 ? length - m_outcome.startOffset : length;
    if (needed <= 0)
        return true;
    const qint64 available = m_request.freeSpace(m_request.spaceFolder);
    if (available < 0 || needed <= available)
        return true;
    m_outcome.failedPart = TransferOutcome::FailedPart::Space;
    m_outcome.spaceNeeded = needed;
    m_outcome.spaceAvailable = available;
    m_outcome.libraryFolder = m_request.libraryFolder;
    fail(QStringLiteral("not enough space (needs %1, has %2) for").arg(needed).arg(available));
    return false;
}

void DownloadHelper::headersArrived()
{
    if (m_reply && !m_outcome.error && !checkSpace())
        m_reply->abort();
}

bool DownloadHelper::truncateFile(const QString &why)
{
    if (m_file && !m_file->resize(0)) {
        m_outcome.failedPart = TransferOutcome::FailedPart::FileWrite;
        m_outcome.fileError = m_file->errorString();
        fail(why);
        return false;
    }
    m_outcome.startOffset = 0;
    m_outcome.bytesWritten = 0;
    return true;
}

// The resource the file now holds the start of, kept with the file.
void DownloadHelper::keepIdentity(const ResumeIdentity &identity)
{
    m_identity = identity;
    m_outcome.identity = identity;
    if (!identity.write(m_request.filePath))
        qCDebug(lcDownloads) << "DownloadHelper: the file system keeps no resume attributes for"
                             << m_request.filePath;
}

// Decides, at the first data of a reply, whether its body continues the file.
DownloadHelper::FirstData DownloadHelper::checkFirstData(int status)
{
    m_dataChecked = true;
    const ResumeIdentity served = ResumeIdentity::fromReply(m_reply, status);
    if (status == 200) {
        if (m_outcome.startOffset > 0) {
            qCDebug(lcDownloads) << "DownloadHelper: server ignored the range, starting over:"
                                 << m_request.filePath;
            if (!truncateFile(QStringLiteral("cannot truncate file for a full answer:")))
                return FirstData::Refuse;
        }
        keepIdentity(served);
    } else if (status == 206) {
        const qint64 start = ContentRange::parse(m_reply->rawHeader("Content-Range")).start;
        if (start != m_outcome.startOffset) {
            m_outcome.failedPart = TransferOutcome::FailedPart::Answer;
            fail(QStringLiteral("partial answer starts at byte %1, the file ends at %2, keeping "
                                "it:")
                     .arg(start)
                     .arg(m_outcome.startOffset));
            return FirstData::Refuse;
        }
        if (start > 0) {
            const QString why = m_identity.mismatch(served);
            if (!why.isEmpty()) {
                startOver(why);
                return FirstData::StartOver;
            }
        }
        // What the answer adds to what was known (a first validator).
        ResumeIdentity kept = start > 0 ? m_identity : served;
        if (kept.etag.isEmpty())
            kept.etag = served.etag;
        if (kept.lastModified.isEmpty())
            kept.lastModified = served.lastModified;
        if (kept.total < 0)
            kept.total = served.total;
        keepIdentity(kept);
    }
    return FirstData::Continue;
}

// A partial answer of another resource than the one the file holds: never
// appended. The file is emptied and the whole resource asked for, once.
void DownloadHelper::startOver(const QString &why)
{
    qCWarning(lcDownloads).noquote() << "DownloadHelper: the partial answer belongs to another "
                                        "resource ("
                                     << why << "), starting over:" << m_request.filePath;
    QNetworkReply *old = m_reply;
    m_reply = nullptr;
    old->disconnect(this);
    old->abort();
    old->deleteLater();
    if (m_outcome.restartedFromZero || !truncateFile(QStringLiteral("cannot empty the file:"))) {
        m_outcome.failedPart = TransferOutcome::FailedPart::Answer;
        fail(QStringLiteral("the answers do not continue the file:"));
        finish();
        return;
    }
    ResumeIdentity::clear(m_request.filePath);
    m_identity = ResumeIdentity();
    m_outcome.identity = ResumeIdentity();
    m_outcome.restartedFromZero = true;
    m_dataChecked = false;
    m_spaceChecked = false;
    sendRequest(0);
}

// What the reply still holds belongs to the file: the answer is good, or the
// connection broke off under a good answer (the bytes that came are kept).
bool DownloadHelper::mayWriteRest() const
{
    if (m_stopRequested || !m_file)
        return false;
    const int status = statusCode();
    if (status != 200 && status != 206)
        return false;
    return !m_outcome.error || (m_outcome.failedPart == TransferOutcome::FailedPart::Reply &&
                                m_outcome.replyError != QNetworkReply::NoError && m_dataChecked);
}

void DownloadHelper::readWhenAllowed()
{
    if (!m_limitTimer.isActive())
        m_limitTimer.start(TransferRateLimiter::shared().msUntilAvailable());
}

void DownloadHelper::readIncomingData()
{
    if (!m_reply || m_finished)
        return;
    if (m_stopRequested) {
        m_reply->abort(); // stopped: what is on the way is not written
        return;
    }
    const int status = statusCode();
    if (isRedirectStatus(status) ||
        !m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).isNull()) {
        m_reply->readAll(); // the body of a redirect is not part of the file
        return;
    }
    if (status == 416) {
        handleRangeNotSatisfiable();
        m_reply->readAll();
        return;
    }
    if (status != 200 && status != 206) {
        qCDebug(lcDownloads) << "DownloadHelper::readIncomingData reply (this) status code: "
                             << status;
        m_outcome.failedStatus = status;
        fail(QStringLiteral("the site answered %1 for").arg(status));
        m_reply->abort();
        return;
    }
    if (m_reply->bytesAvailable() <= 0) {
        qCDebug(lcDownloads)
            << "DownloadHelper::readIncomingData the download is empty, aborting...";
        m_reply->abort();
        return;
    }
    if (!m_file) {
        qCDebug(lcDownloads) << "DownloadHelper::readIncomingData invalid file pointer, aborting";
        m_outcome.failedPart = TransferOutcome::FailedPart::FileOpen;
        fail(QStringLiteral("no file to write to:"));
        m_reply->abort();
        return;
    }
    if (!checkSpace()) {
        m_reply->abort();
        return;
    }
    if (!m_dataChecked) {
        const FirstData first = checkFirstData(status);
        if (first == FirstData::StartOver)
            return; // a new request runs
        if (first == FirstData::Refuse) {
            m_reply->abort();
            return;
        }
    }
    const qint64 chunk = g_runningTransfers > 1 ? kSharedChunkSize : kChunkSize;
    m_chunk.resize(chunk);
    while (m_reply && m_reply->bytesAvailable() > 0) {
        const qint64 allowed =
            TransferRateLimiter::shared().take(std::min<qint64>(chunk, m_reply->bytesAvailable()));
        if (allowed <= 0) {
            readWhenAllowed();
            return;
        }
        const qint64 n = m_reply->read(m_chunk.data(), allowed);
        if (n <= 0)
            break;
        errno = 0;
        if (m_file->write(m_chunk.constData(), n) != n) {
            const int writeErrno = errno;
            m_outcome.writeErrno = writeErrno;
            m_outcome.failedPart = TransferOutcome::FailedPart::FileWrite;
            m_outcome.fileError = writeErrno != 0
                                      ? QString::fromLocal8Bit(std::strerror(writeErrno))
                                      : m_file->errorString();
            fail(QStringLiteral("cannot write (%1), keeping the partial file:")
                     .arg(m_outcome.fileError));
            m_reply->abort();
            return;
        }
        m_outcome.bytesWritten += n;
    }
    if (m_finishWhenRead && m_reply && m_reply->bytesAvailable() == 0) {
        m_finishWhenRead = false;
        QMetaObject::invokeMethod(this, &DownloadHelper::downloadFinished, Qt::QueuedConnection);
    }
}

void DownloadHelper::downloadProgress(qint64 bytesReceived, qint64 bytesTotal)
{
    if (m_lastProgress.isValid() && m_lastProgress.elapsed() < kProgressIntervalMs)
        return;
    m_lastProgress.start();
    emit progress(m_outcome.bytesWritten, bytesReceived,
                  bytesTotal > 0 ? m_outcome.startOffset + bytesTotal : -1);
}

void DownloadHelper::downloadError(QNetworkReply::NetworkError code)
{
    if (code == QNetworkReply::NoError || code == QNetworkReply::OperationCanceledError)
        return;
    if (statusCode() == 416) {
        handleRangeNotSatisfiable();
        return;
    }
    if (m_reply)
        qCDebug(lcDownloads) << "DownloadHelper::downloadError" << code
                             << NetworkManager::loggableError(m_reply);
    if (!m_outcome.error) {
        m_outcome.failedPart = TransferOutcome::FailedPart::Reply;
        m_outcome.replyError = code;
        m_outcome.failedStatus = statusCode();
    }
    fail(QStringLiteral("transfer failed, keeping the partial file:"));
}

// A reply may end "successfully" although the connection closed before the
// announced length arrived: the file is then incomplete, and the next
// attempt continues it by range.
void DownloadHelper::checkComplete()
{
    if (m_outcome.error || m_outcome.alreadyComplete || m_stopRequested || !m_reply || !m_file)
        return; // a stopped answer is cut short on purpose
    const int status = statusCode();
    if (status != 200 && status != 206)
        return;
    bool known = false;
    const qint64 length = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if (!known || length <= 0 || !m_dataChecked)
        return;
    qint64 expected = m_outcome.startOffset + length;
    if (status == 206) {
        // A range that ends before the resource does leaves the rest to ask for.
        const ContentRange range = ContentRange::parse(m_reply->rawHeader("Content-Range"));
        if (range.total > expected)
            expected = range.total;
    }
    if (m_outcome.bytesWritten < expected) {
        m_outcome.failedPart = TransferOutcome::FailedPart::Reply;
        m_outcome.replyError = QNetworkReply::RemoteHostClosedError;
        fail(QStringLiteral("the answer broke off at byte %1 of %2, keeping the partial file:")
                 .arg(m_outcome.bytesWritten)
                 .arg(expected));
    }
}

void DownloadHelper::downloadFinished()
{
    qCDebug(lcDownloads) << "Download helper finished" << m_request.filePath;
    const QNetworkReply *ended = m_reply;
    if (m_reply && m_reply->bytesAvailable() > 0 && mayWriteRest())
        readIncomingData(); // what arrived with the end
    if (m_reply != ended || m_finished)
        return; // started over with a new request, or given up
    if (m_reply && m_reply->bytesAvailable() > 0 && mayWriteRest()) {
        m_finishWhenRead = true; // the speed limit holds the rest back
        return;
    }
    checkComplete();
    if (!m_file && !m_outcome.error && !m_outcome.alreadyComplete && !m_stopRequested) {
        qCDebug(lcDownloads) << "DownloadHelper::downloadFinished invalid file pointer";
        m_outcome.failedPart = TransferOutcome::FailedPart::FileOpen;
        fail(QStringLiteral("no file to write to:"));
    }
    if (m_reply) {
        m_outcome.status = statusCode();
        m_outcome.url = m_reply->url();
        m_outcome.redirectTarget =
            m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    }
    finish();
}

void DownloadHelper::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (std::exchange(m_counted, false))
        --g_runningTransfers;
    if (m_file && m_file->isOpen())
        m_file->close();
    emit finished(m_outcome);
}

void DownloadHelper::stop()
{
    requestStop();
    if (!m_started) {
        // Posted before start() ran (it then finishes at once).
        return;
    }
    if (m_reply && m_reply->isRunning())
        m_reply->abort();
}
