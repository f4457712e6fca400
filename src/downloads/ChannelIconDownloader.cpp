#include "downloads/ChannelIconDownloader.h"
#include "core/Logging.h"

#include "web/NetworkManager.h"

#include <QIcon>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPixmap>
#include <QStandardItem>
#include <QtDebug>

namespace {
constexpr qint64 kMaxIconBytes = 2 * 1024 * 1024;
} // namespace

ChannelIconDownloader::ChannelIconDownloader(int role, const QString &url, QStandardItem *item,
                                             QObject *parent)
    : QObject(parent), m_item(item), m_role(role), m_url(url),
      m_manager(new QNetworkAccessManager(this))
{
    connect(m_manager, &QNetworkAccessManager::finished, this,
            &ChannelIconDownloader::finishedSlot);
    NetworkManager::limitBody(m_manager->get(QNetworkRequest(QUrl(url))), kMaxIconBytes);
}

ChannelIconDownloader::~ChannelIconDownloader() = default;

void ChannelIconDownloader::finishedSlot(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply->error() == QNetworkReply::NoError) {
        const QImage image = QImage::fromData(reply->readAll());
        if (m_item && !image.isNull())
            m_item->setData(QIcon(QPixmap::fromImage(image)), m_role);
    } else {
        qCDebug(lcDownloads) << "Channel icon recieve error"
                             << NetworkManager::loggableUrl(QUrl(m_url))
                             << NetworkManager::loggableError(reply);
    }
    deleteLater();
}
