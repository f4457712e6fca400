#include "NotificationService.h"

#include <QDBusConnection>

#include <utility>

NotificationService::~NotificationService()
{
    m_bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    m_bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
}

bool NotificationService::registerOnBus()
{
    return m_bus.registerService(QStringLiteral("org.freedesktop.Notifications")) &&
           m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                QDBusConnection::ExportAllSlots |
                                    QDBusConnection::ExportAllSignals);
}

uint NotificationService::Notify(const QString &, uint, const QString &, const QString &summary,
                                 const QString &body, const QStringList &actions,
                                 const QVariantMap &hints, int)
{
    shown.append({summary, body, actions, hints});
    const uint id = uint(shown.size());
    if (holdReplies) {
        setDelayedReply(true);
        m_heldReplies.append(message().createReply(id));
    }
    return id;
}

QStringList NotificationService::GetCapabilities()
{
    ++capabilitiesAsked;
    return capabilities;
}

void NotificationService::releaseReplies()
{
    for (const QDBusMessage &reply : std::exchange(m_heldReplies, {}))
        m_bus.send(reply);
}
