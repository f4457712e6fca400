#include "tv/renderer/RendererEventListener.h"

#include "core/Logging.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace {

// parse(): the request is whole and may be judged.
constexpr int complete = -1;

} // namespace

RendererEventListener::RendererEventListener(const QHostAddress &peer, Judge judge, QObject *parent)
    : QObject(parent), m_peer(peer), m_judge(std::move(judge))
{
    m_server.setMaxPendingConnections(MaxConnections);
    connect(&m_server, &QTcpServer::newConnection, this, &RendererEventListener::accept);
}

bool RendererEventListener::listen(const QHostAddress &local)
{
    if (!m_server.listen(local, 0)) {
        qCWarning(lcUpnp).noquote() << "RendererEventListener: cannot listen on" << local.toString()
                                    << ":" << m_server.errorString();
        return false;
    }
    return true;
}

QUrl RendererEventListener::callbackUrl(const QByteArray &path) const
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(m_server.serverAddress().toString());
    url.setPort(m_server.serverPort());
    url.setPath(QString::fromLatin1(path));
    return url;
}

bool RendererEventListener::fromPeer(const QHostAddress &address) const
{
    const QHostAddress plain(address.toIPv4Address() ? QHostAddress(address.toIPv4Address())
                                                     : address);
    if (m_peer.isLoopback())
        return plain.isLoopback();
    return plain.isEqual(m_peer, QHostAddress::ConvertV4MappedToIPv4);
}

void RendererEventListener::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_buffers.size() >= MaxConnections || !fromPeer(socket->peerAddress())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setParent(this);
        m_buffers.insert(socket, QByteArray());
        auto *timeout = new QTimer(socket);
        timeout->setSingleShot(true);
        connect(timeout, &QTimer::timeout, socket, &QTcpSocket::abort);
        timeout->start(RequestTimeoutMs);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

QByteArray RendererEventListener::statusLine(int status)
{
    switch (status) {
    case 200:
        return "200 OK";
    case 404:
        return "404 Not Found";
    case 405:
        return "405 Method Not Allowed";
    case 411:
        return "411 Length Required";
    case 412:
        return "412 Precondition Failed";
    case 413:
        return "413 Request Entity Too Large";
    default:
        break;
    }
    return "400 Bad Request";
}

void RendererEventListener::answer(QTcpSocket *socket, int status)
{
    m_buffers.remove(socket);
    socket->disconnect(this);
    socket->write("HTTP/1.1 " + statusLine(status) +
                  "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    socket->disconnectFromHost();
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    if (socket->state() == QAbstractSocket::UnconnectedState)
        socket->deleteLater();
}

int RendererEventListener::parse(const QByteArray &buffer, Notify *notify) const
{
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return buffer.size() > MaxHeadSize ? 400 : 0;
    if (end > MaxHeadSize)
        return 400;
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    const QList<QByteArray> request = lines.first().trimmed().split(' ');
    if (request.size() != 3 || !request.at(2).startsWith("HTTP/1."))
        return 400;
    if (request.at(0) != "NOTIFY")
        return 405;
    if (lines.size() - 1 > MaxHeaders)
        return 400;
    notify->path = request.at(1);
    notify->headers.clear();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return 400;
        notify->headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    if (notify->headers.contains("transfer-encoding") ||
        !notify->headers.contains("content-length"))
        return 411;
    bool ok = false;
    const qlonglong length = notify->headers.value("content-length").toLongLong(&ok);
    if (!ok || length < 0)
        return 400;
    if (length > MaxBodySize)
        return 413;
    if (buffer.size() < end + 4 + length)
        return 0;
    notify->body = buffer.mid(end + 4, length);
    return complete;
}

void RendererEventListener::readFrom(QTcpSocket *socket)
{
    QByteArray &buffer = m_buffers[socket];
    buffer += socket->read(MaxHeadSize + MaxBodySize + 1 - buffer.size());
    Notify notify;
    int status = parse(buffer, &notify);
    if (status == 0 && buffer.size() > MaxHeadSize + MaxBodySize)
        status = 413;
    if (status == 0)
        return;
    if (status != complete) {
        qCWarning(lcUpnp).noquote() << "RendererEventListener: refused a request from"
                                    << socket->peerAddress().toString() << "with" << status;
        answer(socket, status);
        return;
    }
    const QPointer<QTcpSocket> guard(socket);
    const int verdict = m_judge(notify);
    if (guard)
        answer(socket, verdict);
}
