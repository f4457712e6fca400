#include "tv/upnp/UpnpEventNotifier.h"
#include "core/JobThread.h"
#include "core/Logging.h"

#include "tv/upnp/UpnpEventDelivery.h"
#include "tv/upnp/UpnpSoap.h"

#include <QDebug>
#include <QTimer>
#include <QUuid>

#include <algorithm>

UpnpEventNotifier::UpnpEventNotifier(QObject *parent) : QObject(parent) {}

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
                                     int timeout, const Variables &variables,
                                     const QHostAddress &host)
{
    QMutexLocker locker(&m_lock);
    dropExpiredLocked();
    const auto fromHost = std::count_if(m_subscribers.cbegin(), m_subscribers.cend(),
                                        [&host](const Subscriber &s) { return s.host == host; });
    if (m_subscribers.size() >= maxSubscribers || fromHost >= maxSubscribersPerHost) {
        qCWarning(lcUpnp).noquote()
            << "UpnpEventNotifier subscription refused, limit reached for" << host.toString();
        return QString();
    }
    const QString sid =
        QStringLiteral("uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    Subscriber &subscriber = m_subscribers[sid];
    subscriber.service = service;
    subscriber.callbacks = callbacks;
    subscriber.host = host;
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

void UpnpEventNotifier::start()
{
    QMutexLocker locker(&m_lock);
    if (m_thread)
        return;
    m_thread = std::make_unique<JobThread>(QStringLiteral("events"), nullptr);
    m_thread->post([this] { begin(); });
}

void UpnpEventNotifier::stopNotifier()
{
    std::unique_ptr<JobThread> thread;
    {
        QMutexLocker locker(&m_lock);
        thread = std::move(m_thread);
    }
    if (thread) {
        // Behind every dispatch posted so far; no more come.
        thread->post([this] { m_context.reset(); });
        thread->finish();
    }
    QMutexLocker locker(&m_lock);
    m_subscribers.clear();
}

void UpnpEventNotifier::queueLocked(const QString &sid, Subscriber &subscriber,
                                    const Variables &variables, int delayMs)
{
    if (subscriber.pending.size() >= maxPendingEvents) {
        qCWarning(lcUpnp).noquote() << "UpnpEventNotifier queue full, event dropped for" << sid;
        return;
    }
    subscriber.pending.enqueue(
        {subscriber.sequence++, propertySet(variables), QDeadlineTimer(delayMs)});
    wakeLocked();
}

void UpnpEventNotifier::wakeLocked()
{
    postLocked([this] { dispatch(); });
}

void UpnpEventNotifier::postLocked(std::function<void()> job)
{
    if (m_thread)
        m_thread->post(std::move(job));
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

void UpnpEventNotifier::begin()
{
    m_context = std::make_unique<QObject>();
    auto *expiry = new QTimer(m_context.get());
    connect(expiry, &QTimer::timeout, m_context.get(), [this] {
        QMutexLocker locker(&m_lock);
        dropExpiredLocked();
    });
    expiry->start(500);
    dispatch();
}

void UpnpEventNotifier::dispatch()
{
    QList<UpnpEventDelivery *> started;
    qint64 nextDueMs = -1;
    {
        QMutexLocker locker(&m_lock);
        dropExpiredLocked();
        for (auto it = m_subscribers.begin(); it != m_subscribers.end(); ++it) {
            Subscriber &subscriber = *it;
            if (subscriber.sending || subscriber.pending.isEmpty())
                continue;
            if (!subscriber.pending.head().notBefore.hasExpired()) {
                const qint64 remaining = subscriber.pending.head().notBefore.remainingTime();
                nextDueMs = nextDueMs < 0 ? remaining : qMin(nextDueMs, remaining);
                continue;
            }
            const Message message = subscriber.pending.dequeue();
            subscriber.sending = true;
            const QString sid = it.key();
            auto *delivery =
                new UpnpEventDelivery(sid, subscriber.callbacks, message.sequence, message.body,
                                      m_deliveryTimeout, m_context.get());
            connect(delivery, &UpnpEventDelivery::finished, m_context.get(), [this, sid, delivery] {
                delivery->deleteLater();
                {
                    QMutexLocker locker(&m_lock);
                    auto found = m_subscribers.find(sid);
                    if (found != m_subscribers.end())
                        found->sending = false;
                }
                dispatch();
            });
            started.append(delivery);
        }
    }
    // Started unlocked: a delivery may end at once.
    for (UpnpEventDelivery *delivery : std::as_const(started))
        delivery->start();
    if (nextDueMs >= 0)
        QTimer::singleShot(qMax<qint64>(nextDueMs, 1), m_context.get(), [this] { dispatch(); });
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
