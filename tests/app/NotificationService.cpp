#include "NotificationService.h"

#include <QDBusConnection>

bool NotificationService::registerOnBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.registerService(QStringLiteral("org.freedesktop.Notifications")) &&
           bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                              QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
}

uint NotificationService::Notify(const QString &, uint, const QString &, const QString &summary,
                                 const QString &body, const QStringList &actions,
                                 const QVariantMap &hints, int)
{
    shown.append({summary, body, actions, hints});
    return uint(shown.size());
}

QStringList NotificationService::GetCapabilities()
{
    ++capabilitiesAsked;
    return capabilities;
}
