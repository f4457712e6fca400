#include "tv/upnp/UpnpEventNotifier.h"
#include "core/Logging.h"
#include "core/Version.h"

#include "tv/upnp/UpnpSoap.h"

#include <QDebug>
#include <QTcpSocket>
#include <QUuid>

UpnpEventNotifier::UpnpEventNotifier(QObject *parent) : QThread(parent) {}

UpnpEventNotifier::~UpnpEventNotifier()
{
    stopNotifier();
}

QList<QUrl> UpnpEventNotifier::parseCallbacks(const QByteArray &header)
{
    QList<QUrl> urls;
    qsizetype from = 0;
    while (urls.size() < 8) {
        const qsizetype open = header.indexOf('<', from);
        const qsizetype close = header.indexOf('>', open + 1);
        if (open < 0 || close < 0)
            break;
        const QUrl url(QString::fromUtf8(header.mid(open + 1, close - open - 1)), QUrl::StrictMode);
        if (url.isValid() && url.scheme() == QLatin1String("http") && !url.host().isEmpty())
            urls.append(url);
        from = close + 1;
    }
    return urls;
}

int UpnpEventNotifier::parseTimeout(const QByteArray &header)
{
    const QByteArray value = header.trimmed().toLower();
    if (!value.startsWith("second-"))
        return defaultTimeout;
    bool ok = false;
    const int seconds = value.mid(7).toInt(&ok);
    if (!ok || seconds <= 0)
        return defaultTimeout; // "infinite" gets the default lease
    return qMin(seconds, 86400);
}

QString UpnpEventNotifier::subscribe(const QString &service, const QList<QUrl> &callbacks,
                                     int timeout, const Variables &variables)
{
    const QString sid =
        QStringLiteral("uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QMutexLocker locker(&m_lock);
    Subscriber &subscriber = m_subscribers[sid];
    subscriber.service = service;
    subscriber.callbacks = callbacks;
    subscriber.expiry.setRemainingTime(qint64(timeout) * 1000);
    // The initial event follows the answer that tells the subscriber its SID.
    queueLocked(sid, subscriber, variables, 100);
    return sid;
}

bool UpnpEventNotifier::renew(const QString &sid, const QString &service, int timeout)
{
    QMutexLocker locker(&m_lock);
    dropExpiredLocked();
    auto it = m_subscribers.find(sid);
    if (it == m_subscribers.end() || it->service != service)
        return false;
    it->expiry.setRemainingTime(qint64(timeout) * 1000);
    return true;
}

bool UpnpEventNotifier::unsubscribe(const QString &sid, const QString &service)
{
    QMutexLocker locker(&m_lock);
    auto it = m_subscribers.find(sid);
    if (it == m_subscribers.end() || it->service != service)
        return false;
    m_subscribers.erase(it);
    return true;
}

void UpnpEventNotifier::notify(const QString &service, const Variables &variables)
{
    QMutexLocker locker(&m_lock);
    for (auto it = m_subscribers.begin(); it != m_subscribers.end(); ++it) {
        if (it->service == service)
            queueLocked(it.key(), *it, variables);
    }
}

int UpnpEventNotifier::subscriberCount() const
{
    QMutexLocker locker(&m_lock);
    return int(m_subscribers.size());
}

void UpnpEventNotifier::stopNotifier()
{
    {
        QMutexLocker locker(&m_lock);
        m_stopping = true;
        m_wake.wakeAll();
    }
    wait();
    QMutexLocker locker(&m_lock);
    m_subscribers.clear();
    m_queue.clear();
    m_stopping = false;
}

void UpnpEventNotifier::queueLocked(const QString &sid, Subscriber &subscriber,
                                    const Variables &variables, int delayMs)
{
    if (m_queue.size() >= 1000) {
        qCWarning(lcUpnp).noquote() << "UpnpEventNotifier queue full, event dropped for" << sid;
        return;
    }
    m_queue.enqueue({sid, subscriber.callbacks, subscriber.sequence++, propertySet(variables),
                     QDeadlineTimer(delayMs)});
    m_wake.wakeAll();
}

void UpnpEventNotifier::dropExpiredLocked()
{
    for (auto it = m_subscribers.begin(); it != m_subscribers.end();) {
        if (it->expiry.hasExpired()) {
            qCDebug(lcUpnp).noquote()
                << QStringLiteral("Subscriber \"%1\" didn't renew in time").arg(it.key());
            it = m_subscribers.erase(it);
        } else {
            ++it;
        }
    }
}

void UpnpEventNotifier::run()
{
    QMutexLocker locker(&m_lock);
    while (!m_stopping) {
        dropExpiredLocked();
        if (m_queue.isEmpty()) {
            m_wake.wait(&m_lock, 500);
            continue;
        }
        if (!m_queue.head().notBefore.hasExpired()) {
            m_wake.wait(&m_lock, m_queue.head().notBefore);
            continue;
        }
        const Message message = m_queue.dequeue();
        // A subscriber dropped meanwhile gets no more events.
        if (!m_subscribers.contains(message.sid))
            continue;
        locker.unlock();
        send(message);
        locker.relock();
    }
}

QByteArray UpnpEventNotifier::propertySet(const Variables &variables)
{
    QString body = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
                                  "<e:propertyset xmlns:e=\"urn:schemas-upnp-org:event-1-0\">");
    for (const auto &variable : variables) {
        body += QStringLiteral("<e:property><%1>%2</%1></e:property>")
                    .arg(variable.first, UpnpSoap::escape(variable.second));
    }
    body += QStringLiteral("</e:propertyset>\r\n");
    return body.toUtf8();
}

bool UpnpEventNotifier::send(const Message &message)
{
    for (const QUrl &url : message.callbacks) {
        QTcpSocket socket;
        socket.connectToHost(url.host(), quint16(url.port(80)));
        if (!socket.waitForConnected(3000))
            continue;
        const QByteArray path = url.path(QUrl::FullyEncoded).isEmpty()
                                    ? QByteArray("/")
                                    : url.path(QUrl::FullyEncoded).toUtf8();
        QByteArray head = "NOTIFY " + path + " HTTP/1.1\r\n";
        head += "HOST: " + url.host().toUtf8() + ':' + QByteArray::number(url.port(80)) + "\r\n";
        head += "CONTENT-TYPE: text/xml; charset=\"utf-8\"\r\n";
        head += "NT: upnp:event\r\nNTS: upnp:propchange\r\n";
        head += "SID: " + message.sid.toUtf8() + "\r\n";
        head += "SEQ: " + QByteArray::number(message.sequence) + "\r\n";
        head += "User-Agent: " ZELTA_UPNP_USER_AGENT "\r\n";
        head += "CONTENT-LENGTH: " + QByteArray::number(message.body.size()) + "\r\n";
        head += "Connection: close\r\n\r\n";
        socket.write(head + message.body);
        if (!socket.waitForBytesWritten(3000))
            continue;
        socket.waitForReadyRead(3000);
        if (socket.readLine().contains(" 200"))
            return true;
    }
    qCDebug(lcUpnp).noquote() << "UpnpEventNotifier event not delivered to" << message.sid;
    return false;
}
