#include "downloads/DownloadHelper.h"
#include "core/Logging.h"
#include "downloads/ContentRange.h"
#include "web/NetworkManager.h"

#include <QFile>
#include <QFileInfo>
#include <QtDebug>

#include <cerrno>
#include <cstring>

namespace {

constexpr qint64 kChunkSize = 64 * 1024;
// Bytes the network layer may hold for us before it stops reading the socket:
// enough to keep up with a fast connection, small enough that five
// transfers at once stay within a few MiB.
constexpr qint64 kReadBufferSize = 512 * 1024;

bool isRedirectStatus(int status)
{
    return status >= 300 && status < 400;
}

} // namespace

DownloadHelper::DownloadHelper(const QString &filePath, QNetworkReply *reply, qint64 offset)
    : m_filePath(filePath), m_reply(reply), m_file(std::make_unique<QFile>(filePath)),
      m_bytesWritten(offset), m_startOffset(offset)
{
    qCDebug(lcDownloads) << "DownloadHelper:" << filePath << " : " << reply;
    reply->setReadBufferSize(kReadBufferSize);
    // Said again once the request is under way. A request with a body (see
    // UnrepeatableBody) starts later, from the event loop, and Qt's HTTP
    // layer misses a size given before that: it would then read the whole
    // answer into memory as fast as the network brings it.
    QMetaObject::invokeMethod(
        reply, [reply] { reply->setReadBufferSize(kReadBufferSize); }, Qt::QueuedConnection);
    connect(reply, &QNetworkReply::readyRead, this, &DownloadHelper::readIncomingData);
    connect(reply, &QNetworkReply::finished, this, &DownloadHelper::downloadFinished);
    connect(reply, &QNetworkReply::errorOccurred, this, &DownloadHelper::downloadError);
    // Unbuffered: every chunk goes straight to the file, and a failed write
    // leaves its reason in errno.
    const QIODevice::OpenMode mode =
        (m_file->exists() ? QIODevice::Append : QIODevice::WriteOnly) | QIODevice::Unbuffered;
    if (!m_file->open(mode)) {
        qCWarning(lcDownloads).noquote()
            << "DownloadHelper::ctor can't open file for writing:" << filePath
            << "\nerror:" << m_file->errorString();
        m_openError = m_file->errorString();
        m_file.reset();
    }
}

DownloadHelper::~DownloadHelper()
{
    if (m_reply) {
        m_reply->disconnect(this);
        if (m_reply->isRunning())
            m_reply->abort();
        m_reply->deleteLater();
    }
}

bool DownloadHelper::isRunning() const
{
    return m_reply && m_reply->isRunning();
}

int DownloadHelper::statusCode() const
{
    return m_reply ? m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() : 0;
}

// The partial file always stays: the next attempt continues it by range.
void DownloadHelper::fail(const QString &why)
{
    qCWarning(lcDownloads).noquote() << "DownloadHelper:" << why << m_filePath;
    if (m_error)
        return; // the first reason counts
    m_error = true;
}

DownloadFailure DownloadHelper::failure(const QString &title) const
{
    if (!m_error)
        return DownloadFailure();
    const QString folder = QFileInfo(m_filePath).absolutePath();
    switch (m_failedPart) {
    case FailedPart::File:
        if (!m_file)
            return DownloadFailure::notWritable(m_openError, folder, title);
        return DownloadFailure::fromWrite(m_writeErrno,
                                          m_writeErrno != 0
                                              ? QString::fromLocal8Bit(std::strerror(m_writeErrno))
                                              : m_file->errorString(),
                                          folder, title);
    case FailedPart::Answer:
        return DownloadFailure::other(tr("the site's answer does not continue the part on disk"),
                                      title);
    case FailedPart::Reply:
        break;
    }
    return DownloadFailure::fromReply(m_replyError, m_failedStatus, title);
}

void DownloadHelper::handleRangeNotSatisfiable()
{
    if (m_alreadyComplete || m_error)
        return;
    const qint64 total = ContentRange::parse(m_reply->rawHeader("Content-Range")).total;
    if (total >= 0 && total != m_startOffset) {
        m_failedPart = FailedPart::Answer;
        fail(QStringLiteral("range not satisfiable for a file of another size (%1 on disk, %2 "
                            "served), keeping it:")
                 .arg(m_startOffset)
                 .arg(total));
        return;
    }
    qCDebug(lcDownloads) << "DownloadHelper: file already complete:" << m_filePath;
    m_alreadyComplete = true;
}

// Decides, at the first data of a reply, whether its body continues the file.
bool DownloadHelper::checkFirstData(int status)
{
    m_dataChecked = true;
    if (status == 200 && m_startOffset > 0) {
        qCDebug(lcDownloads) << "DownloadHelper: server ignored the range, starting over:"
                             << m_filePath;
        if (m_file && !m_file->resize(0)) {
            m_failedPart = FailedPart::File;
            fail(QStringLiteral("cannot truncate file for a full answer:"));
            return false;
        }
        m_startOffset = 0;
        m_bytesWritten = 0;
    } else if (status == 206) {
        const qint64 start = ContentRange::parse(m_reply->rawHeader("Content-Range")).start;
        if (start != m_startOffset) {
            m_failedPart = FailedPart::Answer;
            fail(QStringLiteral("partial answer starts at byte %1, the file ends at %2, keeping "
                                "it:")
                     .arg(start)
                     .arg(m_startOffset));
            return false;
        }
    }
    return true;
}

void DownloadHelper::readIncomingData()
{
    if (!m_reply)
        return;
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
        m_failedStatus = status;
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
        m_failedPart = FailedPart::File;
        fail(QStringLiteral("no file to write to:"));
        m_reply->abort();
        return;
    }
    if (!m_dataChecked && !checkFirstData(status)) {
        m_reply->abort();
        return;
    }
    m_chunk.resize(kChunkSize);
    while (m_reply && m_reply->bytesAvailable() > 0) {
        const qint64 n = m_reply->read(m_chunk.data(), kChunkSize);
        if (n <= 0)
            break;
        errno = 0;
        if (m_file->write(m_chunk.constData(), n) != n) {
            m_writeErrno = errno;
            m_failedPart = FailedPart::File;
            fail(QStringLiteral("cannot write (%1), keeping the partial file:")
                     .arg(QString::fromLocal8Bit(std::strerror(m_writeErrno))));
            m_reply->abort();
            return;
        }
        m_bytesWritten += n;
    }
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
    if (!m_error) {
        m_replyError = code;
        m_failedStatus = statusCode();
    }
    fail(QStringLiteral("transfer failed, keeping the partial file:"));
}

// A reply may end "successfully" although the connection closed before the
// announced length arrived: the file is then incomplete, and the next
// attempt continues it by range.
void DownloadHelper::checkComplete()
{
    if (m_error || m_alreadyComplete || !m_reply || !m_file)
        return;
    const int status = statusCode();
    if (status != 200 && status != 206)
        return;
    bool known = false;
    const qint64 length = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if (!known || length <= 0 || !m_dataChecked)
        return;
    const qint64 expected = m_startOffset + length;
    if (m_bytesWritten < expected) {
        m_replyError = QNetworkReply::RemoteHostClosedError;
        fail(QStringLiteral("the answer broke off at byte %1 of %2, keeping the partial file:")
                 .arg(m_bytesWritten)
                 .arg(expected));
    }
}

void DownloadHelper::downloadFinished()
{
    qCDebug(lcDownloads) << "Download helper finished " << sender();
    if (m_reply && m_reply->bytesAvailable() > 0 && !m_error)
        readIncomingData(); // what arrived with the end
    checkComplete();
    if (!m_file) {
        qCDebug(lcDownloads) << "DownloadHelper::downloadFinished invalid file pointer";
        if (!m_error && !m_alreadyComplete) {
            m_failedPart = FailedPart::File;
            fail(QStringLiteral("no file to write to:"));
        }
        emit finished();
        return;
    }
    if (m_file->isOpen()) {
        m_file->flush();
        m_file->close();
    }
    emit finished();
}

void DownloadHelper::stop()
{
    if (!m_reply) {
        qCDebug(lcDownloads) << "DownloadHelper::stop reply is null";
        return;
    }
    if (m_reply->isOpen())
        m_reply->abort();
}
