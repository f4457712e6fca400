#include "TvNotifyListener.h"

#include <QRegularExpression>
#include <QTcpSocket>

TvNotifyListener::TvNotifyListener()
{
    listen(QHostAddress::LocalHost);
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                m_partial.remove(socket);
                socket->deleteLater();
            });
        }
    });
}

TvNotifyListener::~TvNotifyListener()
{
    // The sockets are children of the server, deleted only after this
    // object's members: they must not report their end into m_partial then.
    const QList<QTcpSocket *> sockets = findChildren<QTcpSocket *>();
    for (QTcpSocket *socket : sockets) {
        socket->disconnect();
        delete socket;
    }
}

QUrl TvNotifyListener::callback() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/events").arg(serverPort()));
}

void TvNotifyListener::read(QTcpSocket *socket)
{
    QByteArray &data = m_partial[socket];
    data += socket->readAll();
    const qsizetype end = data.indexOf("\r\n\r\n");
    const QByteArray lengthText = QRegularExpression(QStringLiteral("(?i)content-length: *(\\d+)"))
                                      .match(QString::fromLatin1(data))
                                      .captured(1)
                                      .toLatin1();
    if (end < 0 || data.size() < end + 4 + lengthText.toInt())
        return;
    messages.append(data);
    data.clear();
    socket->write("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
    socket->disconnectFromHost();
}
