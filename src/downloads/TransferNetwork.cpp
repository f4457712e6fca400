#include "downloads/TransferNetwork.h"
#include "core/Logging.h"
#include "downloads/TransferThread.h"
#include "web/NetworkManager.h"

#include <QNetworkReply>
#include <QtDebug>

TransferNetwork::TransferNetwork(TransferThread *owner, QObject *parent)
    : QNetworkAccessManager(parent), m_owner(owner)
{
    connect(this, &QNetworkAccessManager::sslErrors, this, &TransferNetwork::certificateErrors);
}

void TransferNetwork::certificateErrors(QNetworkReply *reply, const QList<QSslError> &errors)
{
    if (reply->request().attribute(NetworkManager::StrictTlsAttribute).toBool()) {
        qCWarning(lcWeb) << "TransferNetwork: certificate errors refused for"
                         << reply->url().host();
        return;
    }
    if (m_owner->allowCertificateErrors(reply->url(), errors))
        reply->ignoreSslErrors();
}
