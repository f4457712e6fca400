#pragma once

#include <QDeadlineTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QQueue>
#include <QThread>
#include <QUrl>
#include <QWaitCondition>

// GENA subscriptions of one device and the thread that sends their NOTIFY
// messages and drops subscribers that did not renew in time.
class UpnpEventNotifier : public QThread
{
    Q_OBJECT

public:
    using Variables = QList<QPair<QString, QString>>;

    static constexpr int defaultTimeout = 1800;

    explicit UpnpEventNotifier(QObject *parent = nullptr);
    ~UpnpEventNotifier() override;

    // Reads "<url><url>..." callbacks; only plain HTTP URLs count.
    static QList<QUrl> parseCallbacks(const QByteArray &header);
    // "Second-N" or "Second-infinite" (and anything unreadable) to seconds.
    static int parseTimeout(const QByteArray &header);

    // A new subscription; the initial event with `variables` is queued.
    QString subscribe(const QString &service, const QList<QUrl> &callbacks, int timeout,
                      const Variables &variables);
    bool renew(const QString &sid, const QString &service, int timeout);
    bool unsubscribe(const QString &sid, const QString &service);
    // Queues a change event for every subscriber of the service.
    void notify(const QString &service, const Variables &variables);
    int subscriberCount() const;

    void stopNotifier();

protected:
    void run() override;

private:
    struct Subscriber
    {
        QString service;
        QList<QUrl> callbacks;
        QDeadlineTimer expiry;
        quint32 sequence = 0;
    };
    struct Message
    {
        QString sid;
        QList<QUrl> callbacks;
        quint32 sequence;
        QByteArray body;
        QDeadlineTimer notBefore;
    };

    void queueLocked(const QString &sid, Subscriber &subscriber, const Variables &variables,
                     int delayMs = 0);
    void dropExpiredLocked();
    static QByteArray propertySet(const Variables &variables);
    static bool send(const Message &message);

    mutable QMutex m_lock;
    QWaitCondition m_wake;
    QHash<QString, Subscriber> m_subscribers;
    QQueue<Message> m_queue;
    bool m_stopping = false;
};
