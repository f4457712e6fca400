#pragma once

#include <QDeadlineTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QPointer>
#include <QQueue>
#include <QUrl>

#include <functional>
#include <memory>

class JobThread;

// GENA subscriptions of one device and the job thread that sends their
// NOTIFY messages and drops subscribers that did not renew in time. Each
// subscriber's events go out in order, independently of the others, so a
// callback that never answers delays only its own events. Subscriptions
// are limited in total and per subscribing host.
class UpnpEventNotifier : public QObject
{
    Q_OBJECT

public:
    using Variables = QList<QPair<QString, QString>>;

    static constexpr int defaultTimeout = 1800;
    static constexpr int maxSubscribers = 100;
    static constexpr int maxSubscribersPerHost = 10;
    // Events waiting for one subscriber; more are dropped.
    static constexpr int maxPendingEvents = 32;
    // Connecting, sending and the answer each (milliseconds).
    static constexpr int defaultDeliveryTimeout = 2000;

    explicit UpnpEventNotifier(QObject *parent = nullptr);
    ~UpnpEventNotifier() override;

    // Reads "<url><url>..." callbacks; only plain HTTP URLs count.
    static QList<QUrl> parseCallbacks(const QByteArray &header);
    // "Second-N" or "Second-infinite" (and anything unreadable) to seconds.
    static int parseTimeout(const QByteArray &header);

    void setDeliveryTimeout(int milliseconds) { m_deliveryTimeout = milliseconds; }

    // A new subscription of `host`; the initial event with `variables` is
    // queued. Empty when the subscription limits are reached.
    QString subscribe(const QString &service, const QList<QUrl> &callbacks, int timeout,
                      const Variables &variables, const QHostAddress &host);
    bool renew(const QString &sid, const QString &service, int timeout);
    bool unsubscribe(const QString &sid, const QString &service);
    // Queues a change event for every subscriber of the service.
    void notify(const QString &service, const Variables &variables);
    int subscriberCount() const;

    // Starts sending; stopNotifier() ends it and forgets every subscriber.
    // Both from the owner's thread; a stopped notifier can start again.
    void start();
    void stopNotifier();

private:
    struct Message
    {
        quint32 sequence;
        QByteArray body;
        QDeadlineTimer notBefore;
    };
    struct Subscriber
    {
        QString service;
        QList<QUrl> callbacks;
        QHostAddress host;
        QDeadlineTimer expiry;
        quint32 sequence = 0;
        QQueue<Message> pending;
        bool sending = false;
    };

    void queueLocked(const QString &sid, Subscriber &subscriber, const Variables &variables,
                     int delayMs = 0);
    void dropExpiredLocked();
    // Job thread: sets up the deliveries' parent and the expiry check.
    void begin();
    // Job thread: starts the due deliveries of idle subscribers.
    void dispatch();
    void wakeLocked();
    void postLocked(std::function<void()> job);
    static QByteArray propertySet(const Variables &variables);

    // Guards the subscribers and the job thread's handle.
    mutable QMutex m_lock;
    QHash<QString, Subscriber> m_subscribers;
    std::unique_ptr<JobThread> m_thread;
    // Made, used and deleted on the job thread only: the deliveries under
    // way are its children and end with it.
    std::unique_ptr<QObject> m_context;
    int m_deliveryTimeout = defaultDeliveryTimeout;
};
