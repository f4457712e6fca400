#include "tv/upnp/UpnpEventDelivery.h"
#include "core/Logging.h"
#include "core/Version.h"

#include <QDebug>
#include <QTcpSocket>

UpnpEventDelivery::UpnpEventDelivery(const QString &sid, const QList<QUrl> &callbacks,
                                     quint32 sequence, const QByteArray &body, int timeoutMs,
                                     QObject *parent)
    : QObject(parent), m_sid(sid), m_callbacks(callbacks), m_sequence(sequence), m_body(body),
      m_timeoutMs(timeoutMs)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &UpnpEventDelivery::attemptFailed);
}

UpnpEventDelivery::~UpnpEventDelivery() = default;

void UpnpEventDelivery::start()
{
    tryNext();
}

QByteArray UpnpEventDelivery::request(const QUrl &url) const
{
    const QByteArray path = url.path(QUrl::FullyEncoded).isEmpty()
                                ? QByteArray("/")
                                : url.path(QUrl::FullyEncoded).toUtf8();
    QByteArray head = "NOTIFY " + path + " HTTP/1.1\r\n";
    head += "HOST: " + url.host().toUtf8() + ':' + QByteArray::number(url.port(80)) + "\r\n";
    head += "CONTENT-TYPE: text/xml; charset=\"utf-8\"\r\n";
    head += "NT: upnp:event\r\nNTS: upnp:propchange\r\n";
    head += "SID: " + m_sid.toUtf8() + "\r\n";
    head += "SEQ: " + QByteArray::number(m_sequence) + "\r\n";
    head += "User-Agent: " ZELTA_UPNP_USER_AGENT "\r\n";
    head += "CONTENT-LENGTH: " + QByteArray::number(m_body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    return head + m_body;
}

void UpnpEventDelivery::tryNext()
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    if (m_next >= m_callbacks.size()) {
        qCDebug(lcUpnp).noquote() << "UpnpEventNotifier event not delivered to" << m_sid;
        m_done = true;
        emit finished(false);
        return;
    }
    const QUrl url = m_callbacks.at(m_next++);
    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, [this, url] {
        m_timer.start(m_timeoutMs);
        m_socket->write(request(url));
    });
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_socket->bytesToWrite() == 0)
            m_timer.start(m_timeoutMs); // now for the answer
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &UpnpEventDelivery::readAnswer);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &UpnpEventDelivery::attemptFailed);
    m_timer.start(m_timeoutMs);
    m_socket->connectToHost(url.host(), quint16(url.port(80)));
}

void UpnpEventDelivery::attemptFailed()
{
    if (m_done || !m_socket)
        return;
    // Once per attempt: the socket says no more, the next callback follows.
    m_timer.stop();
    m_socket->disconnect(this);
    QMetaObject::invokeMethod(this, &UpnpEventDelivery::tryNext, Qt::QueuedConnection);
}

void UpnpEventDelivery::readAnswer()
{
    if (m_done || !m_socket->canReadLine())
        return;
    const QByteArray status = m_socket->readLine();
    if (!status.contains(" 200")) {
        attemptFailed();
        return;
    }
    m_timer.stop();
    m_done = true;
    m_socket->disconnect(this);
    m_socket->abort();
    emit finished(true);
}
