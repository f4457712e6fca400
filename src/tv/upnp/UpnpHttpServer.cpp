#include "tv/upnp/UpnpHttpServer.h"
#include "core/Logging.h"
#include "core/Version.h"

#include "tv/upnp/UpnpClientSignature.h"
#include "tv/upnp/UpnpHeaderWatchdog.h"

#include <QDebug>
#include <QFile>

#include <microhttpd.h>

#include <arpa/inet.h>
#include <cstdarg>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

struct UpnpHttpServer::Pending
{
    UpnpHttpRequest request;
    bool tooLarge = false;
    bool answering = false; // counted among the answers until it has gone out
};

struct UpnpHttpServer::StreamBody
{
    UpnpHttpServer *server;
    std::shared_ptr<UpnpInputStream> stream;
};

struct UpnpHttpServerCallbacks
{
    static MHD_Result onRequest(void *cls, MHD_Connection *connection, const char *url,
                                const char *method, const char *version, const char *uploadData,
                                size_t *uploadDataSize, void **state);
    static void onCompleted(void *cls, MHD_Connection *connection, void **state,
                            MHD_RequestTerminationCode reason);
    static ssize_t onStreamRead(void *cls, uint64_t position, char *buffer, size_t max);
    static void onStreamFree(void *cls);
    static void onConnection(void *cls, MHD_Connection *connection, void **socketContext,
                             MHD_ConnectionNotificationCode code);
    // The body of a HEAD answer to a stream: none.
    static ssize_t onEmptyRead(void *, uint64_t, char *, size_t)
    {
        return MHD_CONTENT_READER_END_OF_STREAM;
    }
};

namespace {

QHostAddress addressOf(const sockaddr *address)
{
    return address ? QHostAddress(address) : QHostAddress();
}

MHD_Result collectHeader(void *cls, MHD_ValueKind, const char *key, const char *value)
{
    auto *headers = static_cast<QHash<QByteArray, QByteArray> *>(cls);
    if (headers->size() < 100)
        headers->insert(QByteArray(key).toLower(), QByteArray(value ? value : ""));
    return MHD_YES;
}

// The HTTP library's own complaints go to the program's log.
void logServerMessage(void *, const char *format, va_list arguments)
{
    char text[512];
    vsnprintf(text, sizeof text, format, arguments);
    qCDebug(lcUpnp).noquote() << "UpnpHttpServer:" << QString::fromLocal8Bit(text).trimmed();
}

QHostAddress localAddressOf(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    if (!info)
        return {};
    sockaddr_storage storage{};
    socklen_t length = sizeof(storage);
    if (getsockname(info->connect_fd, reinterpret_cast<sockaddr *>(&storage), &length) != 0)
        return {};
    return QHostAddress(reinterpret_cast<sockaddr *>(&storage));
}

} // namespace

std::atomic<long long> UpnpHttpServer::s_requestDeadlineMs{defaultRequestDeadline.count()};

UpnpHttpServer::UpnpHttpServer(HttpRequestHandler *handler) : m_handler(handler) {}

void UpnpHttpServer::setRequestDeadline(std::chrono::milliseconds deadline)
{
    s_requestDeadlineMs = deadline.count();
}

UpnpHttpServer::~UpnpHttpServer()
{
    stop();
}

bool UpnpHttpServer::start(quint16 port)
{
    if (m_daemon)
        return true;
    // Without the inter-thread channel, closed connections are reaped so late
    // that the connection limit refuses new clients.
    const unsigned int flags = MHD_USE_THREAD_PER_CONNECTION | MHD_USE_INTERNAL_POLLING_THREAD |
                               MHD_USE_ITC | MHD_USE_ERROR_LOG;
    m_watchdog =
        std::make_unique<UpnpHeaderWatchdog>(std::chrono::milliseconds(s_requestDeadlineMs.load()));
    m_daemon = MHD_start_daemon(
        flags, port, nullptr, nullptr, &UpnpHttpServerCallbacks::onRequest, this,
        MHD_OPTION_EXTERNAL_LOGGER, &logServerMessage, nullptr, MHD_OPTION_CONNECTION_LIMIT,
        static_cast<unsigned int>(maxConnections), MHD_OPTION_PER_IP_CONNECTION_LIMIT,
        static_cast<unsigned int>(maxConnectionsPerAddress), MHD_OPTION_CONNECTION_TIMEOUT, 120u,
        MHD_OPTION_NOTIFY_COMPLETED, &UpnpHttpServerCallbacks::onCompleted, this,
        MHD_OPTION_NOTIFY_CONNECTION, &UpnpHttpServerCallbacks::onConnection, this, MHD_OPTION_END);
    if (!m_daemon) {
        m_watchdog.reset();
        qCWarning(lcUpnp).noquote() << QStringLiteral("check failed, result=%1 (%2) [%3]")
                                           .arg(-1)
                                           .arg(QStringLiteral("HTTP server start"))
                                           .arg(QStringLiteral("upnp.core.devicehost"));
        return false;
    }
    const MHD_DaemonInfo *info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = info ? info->port : port;
    return true;
}

void UpnpHttpServer::quiesce()
{
    if (!m_daemon || m_quiesced)
        return;
    m_quiesced = true;
    m_refusing = true;
    const MHD_socket listening = MHD_quiesce_daemon(m_daemon);
    if (listening != MHD_INVALID_SOCKET)
        ::close(listening);
    // Wake up every answer that waits for stream data, and end at once
    // the ones that requests still in progress are about to queue.
    QMutexLocker locker(&m_streamsLock);
    m_stopping = true;
    for (StreamBody *body : std::as_const(m_streams))
        body->stream->abort();
}

void UpnpHttpServer::stop()
{
    if (!m_daemon)
        return;
    quiesce();
    {
        // Closing the connections would lose the answers being made.
        QMutexLocker locker(&m_answersLock);
        while (m_answers > 0)
            m_answersDone.wait(&m_answersLock);
    }
    MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
    m_watchdog.reset();
    m_port = 0;
    m_quiesced = false;
    m_refusing = false;
    QMutexLocker locker(&m_streamsLock);
    m_stopping = false;
}

MHD_Result UpnpHttpServerCallbacks::onRequest(void *cls, MHD_Connection *connection,
                                              const char *url, const char *method,
                                              const char *version, const char *uploadData,
                                              size_t *uploadDataSize, void **state)
{
    using Pending = UpnpHttpServer::Pending;
    auto *server = static_cast<UpnpHttpServer *>(cls);
    auto *pending = static_cast<Pending *>(*state);
    if (!pending) {
        // Stopping: a kept-alive connection takes no new request (it closes).
        if (server->m_refusing)
            return MHD_NO;
        pending = new Pending;
        pending->request.method = QByteArray(method);
        pending->request.path = QByteArray(url);
        pending->request.version = QByteArray(version);
        MHD_get_connection_values(connection, MHD_HEADER_KIND, &collectHeader,
                                  &pending->request.headers);
        *state = pending;
        return MHD_YES;
    }
    if (*uploadDataSize > 0) {
        if (pending->request.body.size() + qint64(*uploadDataSize) > UpnpHttpServer::maxBodySize)
            pending->tooLarge = true;
        else
            pending->request.body.append(uploadData, qsizetype(*uploadDataSize));
        *uploadDataSize = 0;
        return MHD_YES;
    }
    // The request is whole: its answer may take as long as it needs.
    server->unwatchRequest(connection);
    return MHD_Result(server->answer(connection, pending));
}

void UpnpHttpServerCallbacks::onCompleted(void *cls, MHD_Connection *connection, void **state,
                                          MHD_RequestTerminationCode)
{
    auto *pending = static_cast<UpnpHttpServer::Pending *>(*state);
    if (pending && pending->answering)
        static_cast<UpnpHttpServer *>(cls)->answerEnded();
    delete pending;
    *state = nullptr;
    // A kept-alive connection has the deadline again for its next request.
    static_cast<UpnpHttpServer *>(cls)->watchRequest(connection);
}

void UpnpHttpServerCallbacks::onConnection(void *cls, MHD_Connection *connection, void **,
                                           MHD_ConnectionNotificationCode code)
{
    auto *server = static_cast<UpnpHttpServer *>(cls);
    if (code == MHD_CONNECTION_NOTIFY_STARTED)
        server->watchRequest(connection);
    else
        server->unwatchRequest(connection); // before the server closes the socket
}

void UpnpHttpServer::answerEnded()
{
    QMutexLocker locker(&m_answersLock);
    if (--m_answers == 0)
        m_answersDone.wakeAll();
}

void UpnpHttpServer::watchRequest(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    if (info && m_watchdog)
        m_watchdog->arm(connection, info->connect_fd);
}

void UpnpHttpServer::unwatchRequest(MHD_Connection *connection)
{
    if (m_watchdog)
        m_watchdog->disarm(connection);
}

int UpnpHttpServer::answer(MHD_Connection *connection, Pending *pending)
{
    {
        // Until the answer has gone out (or the client went): see onCompleted.
        QMutexLocker locker(&m_answersLock);
        ++m_answers;
        pending->answering = true;
    }
    unwatchRequest(connection);
    UpnpHttpRequest &request = pending->request;
    const MHD_ConnectionInfo *peer =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    request.peerAddress = addressOf(peer ? peer->client_addr : nullptr);
    if (pending->tooLarge) {
        qCWarning(lcUpnp).noquote()
            << "UpnpHttpServer request body too large from" << request.peerAddress.toString();
        return queue(connection, UpnpHttpResponse::text(413, "text/plain", "Payload Too Large"),
                     request);
    }
    request.localAddress = localAddressOf(connection);
    request.localPort = m_port;
    request.clientSignature = UpnpClientSignature::fromHeaders(request.header("User-Agent"),
                                                               request.header("X-AV-Client-Info"));
    request.bookmarks = UpnpClientSignature::usesBookmarks(request.header("User-Agent"));
    return queue(connection, m_handler->handleHttpRequest(request), request);
}

int UpnpHttpServer::queue(MHD_Connection *connection, const UpnpHttpResponse &response,
                          const UpnpHttpRequest &request)
{
    MHD_Response *reply = nullptr;
    if (response.stream && !request.isHead()) {
        auto *body = new StreamBody{this, response.stream};
        {
            QMutexLocker locker(&m_streamsLock);
            m_streams.insert(body);
            if (m_stopping)
                body->stream->abort();
        }
        reply = MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 64 * 1024,
                                                  &UpnpHttpServerCallbacks::onStreamRead, body,
                                                  &UpnpHttpServerCallbacks::onStreamFree);
        if (!reply) {
            forgetStream(body);
            delete body;
        }
    } else if (response.unknownLength && request.isHead() && response.headLength >= 0) {
        // Headers only, with the length announced (the HTTP library sends
        // no body for a HEAD and keeps the connection).
        reply = MHD_create_response_from_callback(uint64_t(response.headLength), 1024,
                                                  &UpnpHttpServerCallbacks::onEmptyRead, nullptr,
                                                  nullptr);
    } else if (response.unknownLength && request.isHead()) {
        // HTTP/1.1 frames a body of unknown length in chunks, and the HTTP
        // library then ends even a HEAD answer with the last chunk's bytes,
        // which a client reusing the connection would read as the next
        // answer; without chunks it always adds a Content-Length. With no
        // length to announce: headers only, and the connection closes.
        reply = MHD_create_response_from_callback(
            MHD_SIZE_UNKNOWN, 1024, &UpnpHttpServerCallbacks::onEmptyRead, nullptr, nullptr);
        if (reply)
            MHD_set_response_options(reply, MHD_RF_HTTP_VERSION_1_0_RESPONSE, MHD_RO_END);
    } else if (!response.filePath.isEmpty()) {
        const int fd =
            ::open(QFile::encodeName(response.filePath).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            qCWarning(lcUpnp).noquote() << "UpnpHttpServer can't open" << response.filePath;
            return queue(connection, UpnpHttpResponse::notFound(), request);
        }
        reply = MHD_create_response_from_fd_at_offset64(uint64_t(response.fileLength), fd,
                                                        uint64_t(response.fileOffset));
        if (!reply)
            ::close(fd);
    } else {
        // The library keeps a reference to the bytes (no copy of a large answer).
        auto *body = new QByteArray(response.body);
        reply = MHD_create_response_from_buffer_with_free_callback_cls(
            size_t(body->size()), const_cast<char *>(body->constData()),
            [](void *bytes) { delete static_cast<QByteArray *>(bytes); }, body);
        if (!reply)
            delete body;
    }
    if (!reply)
        return MHD_NO;
    const bool closing = response.unknownLength && request.isHead() && response.headLength < 0;
    for (const auto &header : response.headers) {
        if (closing && header.first.compare("Connection", Qt::CaseInsensitive) == 0)
            continue;
        MHD_add_response_header(reply, header.first.constData(), header.second.constData());
    }
    if (response.header("Server").isEmpty())
        MHD_add_response_header(reply, "Server", ZELTA_UPNP_SERVER_STRING);
    const MHD_Result result =
        MHD_queue_response(connection, static_cast<unsigned int>(response.status), reply);
    MHD_destroy_response(reply);
    return result;
}

ssize_t UpnpHttpServerCallbacks::onStreamRead(void *cls, uint64_t, char *buffer, size_t max)
{
    auto *body = static_cast<UpnpHttpServer::StreamBody *>(cls);
    const qint64 count = body->stream->read(buffer, qint64(max));
    if (count == 0)
        return MHD_CONTENT_READER_END_OF_STREAM;
    if (count < 0)
        return MHD_CONTENT_READER_END_WITH_ERROR;
    return ssize_t(count);
}

void UpnpHttpServerCallbacks::onStreamFree(void *cls)
{
    auto *body = static_cast<UpnpHttpServer::StreamBody *>(cls);
    body->server->forgetStream(body);
    delete body; // the last reference ends the stream and its producer
}

void UpnpHttpServer::forgetStream(StreamBody *body)
{
    QMutexLocker locker(&m_streamsLock);
    m_streams.remove(body);
}
