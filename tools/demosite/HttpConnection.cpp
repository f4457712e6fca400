#include "HttpConnection.h"

#include "SyntheticBlob.h"

#include <QTcpSocket>

#include <utility>

namespace {

constexpr qsizetype kMaxHeaderBytes = 16 * 1024;
constexpr qint64 kMaxBodyBytes = 8 * 1024 * 1024;
constexpr qint64 kChunk = 256 * 1024;
constexpr qint64 kMaxQueued = 1024 * 1024;
constexpr int kRateTickMs = 50;
constexpr int kDropDelayMs = 50;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 413:
        return "Payload Too Large";
    case 416:
        return "Range Not Satisfiable";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

HttpConnection::HttpConnection(QTcpSocket *socket, Handler handler, QObject *parent)
    : QObject(parent), m_socket(socket), m_handler(std::move(handler))
{
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, &HttpConnection::readRequests);
    connect(socket, &QTcpSocket::bytesWritten, this, &HttpConnection::pump);
    connect(socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    m_rateTimer.setInterval(kRateTickMs);
    connect(&m_rateTimer, &QTimer::timeout, this, [this] {
        m_budget = m_response.bytesPerSecond * kRateTickMs / 1000;
        pump();
    });
    readRequests();
}

HttpConnection::~HttpConnection()
{
    reportSent(); // a client that went away mid-answer
}

void HttpConnection::reportSent()
{
    if (auto report = std::exchange(m_response.onSent, {}))
        report(m_sent);
}

bool HttpConnection::parseOne(HttpRequest *request, bool *bad)
{
    *bad = false;
    const qsizetype end = m_buffer.indexOf("\r\n\r\n");
    if (end < 0) {
        *bad = m_buffer.size() > kMaxHeaderBytes;
        return false;
    }
    const QList<QByteArray> lines = m_buffer.left(end).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    if (first.size() != 3) {
        *bad = true;
        return false;
    }
    request->method = first.at(0);
    const QUrl target(QString::fromLatin1("http://localhost") + QString::fromLatin1(first.at(1)));
    request->path = target.path();
    request->query = QUrlQuery(target);
    request->headers.clear();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(':');
        if (colon > 0)
            request->headers.append({lines.at(i).left(colon).trimmed().toLower(),
                                     lines.at(i).mid(colon + 1).trimmed()});
    }
    bool ok = true;
    const QByteArray lengthText = request->header("content-length");
    const qint64 length = lengthText.isEmpty() ? 0 : lengthText.toLongLong(&ok);
    if (!ok || length < 0 || length > kMaxBodyBytes) {
        *bad = true;
        return false;
    }
    if (m_buffer.size() < end + 4 + length)
        return false;
    request->body = m_buffer.mid(end + 4, length);
    m_buffer.remove(0, end + 4 + length);
    return true;
}

void HttpConnection::readRequests()
{
    if (!m_socket)
        return;
    m_buffer += m_socket->readAll();
    while (!m_busy) {
        HttpRequest request;
        bool bad = false;
        if (!parseOne(&request, &bad)) {
            if (bad)
                sendError(400);
            return;
        }
        const bool close = request.header("connection").toLower() == "close";
        send(m_handler(request), !close);
    }
}

void HttpConnection::sendError(int status)
{
    HttpResponse response;
    response.status = status;
    response.body = reasonPhrase(status) + '\n';
    send(response, false);
}

void HttpConnection::hangUp()
{
    if (!m_busy || !m_socket)
        return;
    m_busy = false;
    m_rateTimer.stop();
    reportSent();
    m_socket->abort();
}

void HttpConnection::send(const HttpResponse &response, bool keepAlive)
{
    m_busy = true;
    if (response.hangUp) {
        m_socket->abort(); // no answer at all
        return;
    }
    m_keepAlive = keepAlive;
    m_response = response;
    m_sent = 0;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                      reasonPhrase(response.status) + "\r\n";
    for (const auto &h : response.headers)
        head += h.first + ": " + h.second + "\r\n";
    head += "Content-Length: " + QByteArray::number(response.bodyLength()) + "\r\n";
    head += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    m_socket->write(head);
    if (response.source == HttpResponse::Source::File) {
        m_file = std::make_unique<QFile>(response.filePath);
        if (!m_file->open(QIODevice::ReadOnly) || !m_file->seek(response.offset)) {
            m_socket->abort();
            return;
        }
    }
    if (response.bytesPerSecond > 0) {
        m_budget = response.bytesPerSecond * kRateTickMs / 1000;
        m_rateTimer.start();
    }
    pump();
}

void HttpConnection::pump()
{
    if (!m_busy || !m_socket)
        return;
    const qint64 total = m_response.bodyLength();
    while (m_sent < total && m_socket->bytesToWrite() < kMaxQueued) {
        qint64 n = qMin(kChunk, total - m_sent);
        if (m_response.bytesPerSecond > 0)
            n = qMin(n, m_budget);
        if (m_response.dropAfter >= 0)
            n = qMin(n, m_response.dropAfter - m_sent);
        if (n <= 0)
            break;
        QByteArray chunk;
        switch (m_response.source) {
        case HttpResponse::Source::Memory:
            chunk = m_response.body.mid(m_sent, n);
            break;
        case HttpResponse::Source::File:
            chunk = m_file->read(n);
            break;
        case HttpResponse::Source::Synthetic:
            chunk.resize(n);
            SyntheticBlob::fill(chunk.data(), m_response.offset + m_sent, n);
            break;
        }
        if (chunk.isEmpty()) {
            m_socket->abort();
            return;
        }
        m_socket->write(chunk);
        m_sent += chunk.size();
        if (m_response.bytesPerSecond > 0)
            m_budget -= chunk.size();
    }
    if (m_response.dropAfter >= 0 && m_sent >= m_response.dropAfter && m_sent < total) {
        m_busy = false;
        m_rateTimer.stop();
        reportSent();
        // The promised length never arrives: the connection breaks a moment
        // after the last bytes, as one that fails mid-stream does.
        QTimer::singleShot(kDropDelayMs, this, [socket = m_socket] {
            if (socket)
                socket->disconnectFromHost();
        });
        return;
    }
    if (m_sent >= total && m_socket->bytesToWrite() == 0)
        finishResponse();
}

void HttpConnection::finishResponse()
{
    m_busy = false;
    m_rateTimer.stop();
    reportSent();
    m_file.reset();
    if (!m_keepAlive) {
        m_socket->disconnectFromHost();
        return;
    }
    if (!m_buffer.isEmpty() || m_socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &HttpConnection::readRequests, Qt::QueuedConnection);
}
