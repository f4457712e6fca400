// A download asks its descriptor again when the media address is refused,
// or when it was restored without its item: the item of its guid goes on.
#include "downloads/Download.h"

#include "core/Logging.h"
#include "downloads/DownloadManager.h"
#include "downloads/UnrepeatableBody.h"
#include "web/NetworkManager.h"
#include "web/UserAgent.h"

#include <QNetworkReply>

#include <algorithm>

bool Download::renewsAddress(int status) const
{
    return !m_direct && !m_addressRenewed && (status == 403 || status == 404 || status == 410);
}

void Download::renewAddress()
{
    qCDebug(lcDownloads) << "Download: media address refused, asking the descriptor again";
    m_addressRenewed = true;
    m_state = Paused;
    stopTransfers();
    fetchDescriptor();
    emit update();
}

void Download::fetchDescriptor()
{
    if (m_url.isLocalFile()) {
        restartFromLocalDescriptor();
        return;
    }
    qCDebug(lcDownloads) << "RESUME with corvana file, url =" << NetworkManager::loggableUrl(m_url);
    QNetworkRequest request(m_url);
    UserAgent::apply(request);
    QNetworkReply *reply = UnrepeatableBody::get(m_network, request);
    NetworkManager::limitBody(reply, CorvanaItem::MaxDocumentBytes);
    m_metaReply = reply;
    connect(reply, &QNetworkReply::finished, this, &Download::metaDataDownloaded);
}

void Download::metaDataDownloaded()
{
    auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (!reply)
        return;
    reply->deleteLater();
    qCDebug(lcDownloads) << "METADOWNLOADRED, reply url ="
                         << NetworkManager::loggableUrl(reply->url());
    if (m_state == Cancelled)
        return;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || (status != 200 && status != 206)) {
        // A descriptor we could not fetch says nothing about the items: keep the download.
        qCWarning(lcDownloads) << "Download::metaDataDownloaded could not fetch the descriptor:"
                               << NetworkManager::loggableError(reply);
        if (reply->error() == QNetworkReply::NoError && status == 0) {
            // Nothing was asked of any server (an address the network layer
            // refuses, such as a descriptor file's): it stays paused.
            m_state = Paused;
            emit update();
            return;
        }
        failMedia(DownloadFailure::fromReply(reply->error(), status, displayTitle()));
        return;
    }
    useDescriptorItems(CorvanaItem::parseCorvanaFile(reply->readAll()));
}

// A descriptor opened from a file on this computer is never fetched again (the
// network layer has no "file:"): the item it gave is retried from its media
// address; a restored download reads the file again, if it is still there.
void Download::restartFromLocalDescriptor()
{
    QByteArray document;
    if (!DownloadManager::readDescriptorFile(m_url.toLocalFile(), &document)) {
        qCWarning(lcDownloads) << "Download: its descriptor file can no longer be read:"
                               << m_url.toLocalFile();
        failMedia(DownloadFailure::other(tr("its descriptor file can no longer be read"),
                                         displayTitle()));
        return;
    }
    useDescriptorItems(CorvanaItem::parseCorvanaFile(document));
}

void Download::useDescriptorItems(const QList<CorvanaItem> &items)
{
    // The item of its guid; a record of the old layout knows only its media
    // address, or (the address changed) the path the item writes to.
    auto stored = items.cend();
    if (!m_item.guid().isEmpty()) {
        stored = std::find_if(items.cbegin(), items.cend(),
                              [this](const CorvanaItem &i) { return i.guid() == m_item.guid(); });
    } else {
        stored = std::find_if(items.cbegin(), items.cend(), [this](const CorvanaItem &i) {
            return m_recordMediaUrl.isEmpty() || i.mediaUrl() == m_recordMediaUrl;
        });
        if (stored == items.cend() && !m_mediaPath.isEmpty())
            stored = std::find_if(items.cbegin(), items.cend(), [this](const CorvanaItem &i) {
                return itemMediaPath(i) == m_mediaPath;
            });
    }
    if (stored == items.cend()) {
        // Its record and partial file stay: the site may list it again.
        qCWarning(lcDownloads) << "Download: the descriptor no longer lists" << displayTitle();
        m_renewFirst = true;
        failMedia(DownloadFailure::withdrawn());
        return;
    }
    const QUrl previous = recordMediaUrl();
    const bool changed = m_item.isNull() || stored->mediaUrl() != previous;
    m_item = *stored;
    m_renewFirst = false;
    if (changed) {
        m_recordMediaUrl = m_item.mediaUrl();
        emit itemRenewed(previous);
    }
    start();
}
