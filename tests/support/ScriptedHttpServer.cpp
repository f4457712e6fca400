#include "ScriptedHttpServer.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>

ScriptedHttpServer::ScriptedHttpServer(const QHostAddress &address, QObject *parent)
    : QObject(parent), m_address(address), m_server(new QTcpServer(this))
{
}

ScriptedHttpServer::~ScriptedHttpServer() = default;

void ScriptedHttpServer::useTls(const QString &certificatePath, const QString &keyPath)
{
    QFile certificate(certificatePath);
    QFile key(keyPath);
    if (!certificate.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly))
        return;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(QSslCertificate(certificate.readAll()));
    configuration.setPrivateKey(QSslKey(key.readAll(), QSsl::Rsa));
    auto *server = new QSslServer(this);
    server->setSslConfiguration(configuration);
    delete m_server;
    m_server = server;
    m_tls = true;
}

bool ScriptedHttpServer::listen()
{
    // After the handshake, for TLS.
    connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection())
            serve(socket);
    });
    return m_server->listen(m_address, 0);
}

QUrl ScriptedHttpServer::url(const QString &path) const
{
    QUrl url;
    url.setScheme(m_tls ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(m_address.toString());
    url.setPort(m_server->serverPort());
    url.setPath(path.isEmpty() ? QStringLiteral("/") : path);
    return url;
}

int ScriptedHttpServer::openConnections() const
{
    int open = 0;
    for (const QPointer<QTcpSocket> &socket : m_sockets)
        open += socket && socket->state() == QAbstractSocket::ConnectedState ? 1 : 0;
    return open;
}

QByteArray ScriptedHttpServer::answer(int status, const QByteArray &headers, const QByteArray &body)
{
    return "HTTP/1.1 " + QByteArray::number(status) + " Scripted\r\n" + headers +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
}

void ScriptedHttpServer::serve(QTcpSocket *socket)
{
    socket->setParent(this);
    m_sockets.append(socket);
    auto *received = new QByteArray;
    connect(socket, &QObject::destroyed, socket, [received] { delete received; });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, received] {
        received->append(socket->readAll());
        const qsizetype end = received->indexOf("\r\n\r\n");
        if (end < 0)
            return;
        m_requests.append(received->left(end));
        const qsizetype lengthAt = received->toLower().indexOf("content-length:");
        const qint64 bodyLength =
            lengthAt < 0 || lengthAt > end
                ? 0
                : received->mid(lengthAt + 15, received->indexOf("\r\n", lengthAt) - lengthAt - 15)
                      .trimmed()
                      .toLongLong();
        if (received->size() < end + 4 + bodyLength) {
            m_requests.removeLast(); // counted once complete
            return;
        }
        m_bodies.append(received->mid(end + 4, bodyLength));
        const QByteArray head = received->left(end);
        received->clear();
        const QByteArray response = m_responder ? m_responder(head) : m_response;
        if (response.isEmpty())
            return; // held unanswered
        socket->write(response);
        if (!m_keepOpen)
            socket->disconnectFromHost();
    });
}
