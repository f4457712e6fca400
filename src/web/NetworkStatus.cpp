#include "web/NetworkStatus.h"

#include <QNetworkInformation>

NetworkStatus::NetworkStatus(QObject *parent) : QObject(parent)
{
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return; // no backend: online
    QNetworkInformation *info = QNetworkInformation::instance();
    m_online = info->reachability() != QNetworkInformation::Reachability::Disconnected;
    connect(info, &QNetworkInformation::reachabilityChanged, this,
            [this](QNetworkInformation::Reachability reachability) {
                if (reachability != QNetworkInformation::Reachability::Unknown)
                    take(reachability != QNetworkInformation::Reachability::Disconnected);
            });
}

void NetworkStatus::take(bool online)
{
    if (online == m_online)
        return;
    m_online = online;
    emit onlineChanged(online);
}
