#include "gui/mainwindow/ChannelRequest.h"

#include "core/Logging.h"
#include "core/LoggingDocument.h"
#include "core/SiteConfig.h"
#include "gui/mainwindow/ChannelList.h"
#include "web/NetworkManager.h"

#include <QCryptographicHash>
#include <QNetworkReply>
#include <QUrlQuery>

ChannelRequest::ChannelRequest(QNetworkAccessManager *manager, QObject *parent)
    : QObject(parent), m_manager(manager)
{
}

QNetworkRequest ChannelRequest::requestFor(const QString &userName, const QString &password)
{
    const QByteArray hash =
        QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Sha1).toHex();
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("username"), userName);
    query.addQueryItem(QStringLiteral("password"), QString::fromLatin1(hash));
    const QString queryText = query.toString(QUrl::FullyEncoded);
    QNetworkRequest request(SiteConfig::resolve(SiteConfig::channelServerUrl(),
                                                QStringLiteral("/sidebar.php?") + queryText));
    request.setRawHeader("Authorization", "?" + queryText.toUtf8());
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    return request;
}

void ChannelRequest::send(const QString &userName, const QString &password)
{
    qCDebug(lcGui) << "Send Channel request...";
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    const QNetworkRequest request = requestFor(userName, password);
    qCDebug(lcGui).noquote() << "...with header" << NetworkManager::loggableHeaders(request);
    m_reply = m_manager->get(request);
    ++m_id;
    NetworkManager::limitBody(m_reply, ChannelList::MaxBytes);
    connect(m_reply, &QNetworkReply::finished, this, &ChannelRequest::finished);
}

void ChannelRequest::finished()
{
    QNetworkReply *reply = m_reply;
    if (!reply || sender() != reply)
        return;
    reply->deleteLater();
    m_reply.clear();
    qCDebug(lcGui) << m_id << "Channels request finished" << reply->error();
    if (reply->error() != QNetworkReply::NoError) {
        qCWarning(lcGui).noquote()
            << "Channel request failed: " + NetworkManager::loggableError(reply);
        Q_EMIT failed(reply->errorString());
        return;
    }
    const QByteArray body = reply->readAll();
    if (body.trimmed().isEmpty())
        return;
    QString error;
    const QList<ChannelEntry> channels = ChannelList::parse(body, &error);
    if (!error.isEmpty()) {
        qCWarning(lcGui).noquote() << "Channel request failed: " + error;
        Q_EMIT failed(error);
        return;
    }
    qCDebug(lcGui).noquote() << "Channel list" << loggableDocument(body);
    qCDebug(lcGui) << "Channels parsed";
    Q_EMIT channelsArrived(channels);
}
