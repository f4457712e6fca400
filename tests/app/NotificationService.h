#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// A stand-in for the desktop's notification service, registered on a private
// session bus: it records what it is asked to show and can "click" it.
class NotificationService : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Shown
    {
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
    };
    QList<Shown> shown;
    QStringList capabilities = {QStringLiteral("actions"), QStringLiteral("body")};
    int capabilitiesAsked = 0;
    // Notify's answers wait for releaseReplies() while set, so that what the
    // user does to a notification can reach the caller ahead of its id.
    bool holdReplies = false;
    void releaseReplies();

    // Registers the service on the session bus, over a connection of its own
    // as a separate program would; false when that fails.
    bool registerOnBus();
    ~NotificationService() override;

public Q_SLOTS:
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon,
                const QString &summary, const QString &body, const QStringList &actions,
                const QVariantMap &hints, int expireTimeout);
    QStringList GetCapabilities();

Q_SIGNALS:
    void ActionInvoked(uint id, const QString &actionKey);
    void NotificationClosed(uint id, uint reason);

private:
    QDBusConnection m_bus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("service"));
    QList<QDBusMessage> m_heldReplies;
};
