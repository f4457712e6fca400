#include "tv/ServerDelegate.h"
#include "core/Logging.h"

#include "tv/MediaFormats.h"
#include "tv/MediaModel.h"
#include "tv/SharedFolder.h"
#include "tv/TranscodeStream.h"
#include "tv/upnp/UpnpAction.h"
#include "tv/upnp/UpnpClientSignature.h"

#include <QDateTime>
#include <QDebug>
#include <QFileInfo>
#include <QNetworkInterface>

namespace {

const QString imagesPrefix = QStringLiteral("IMAGES/");
constexpr int maxSearchResults = 10000;

} // namespace

ServerDelegate::ServerDelegate(QObject *parent)
    : QObject(parent), UpnpFileMediaServerDelegate(QStringLiteral("/"), QString())
{
}

void ServerDelegate::setMediaModel(MediaModel *model)
{
    m_model = model;
}

QList<QHostAddress> ServerDelegate::resourceAddresses(const QHostAddress &local)
{
    QList<QHostAddress> addresses;
    const QHostAddress first(local.toIPv4Address());
    if (!first.isNull() && first != QHostAddress::AnyIPv4)
        addresses.append(first);
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol &&
            address != QHostAddress::AnyIPv4 && !addresses.contains(address))
            addresses.append(address);
    }
    return addresses;
}

QString ServerDelegate::resourcePath(const QString &objectId)
{
    return QStringLiteral("/%25/") + objectId;
}

bool ServerDelegate::buildFromFilePath(const QString &path, UpnpDidlObject *object) const
{
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    object->title = info.isDir() ? info.fileName() : info.completeBaseName();
    QDateTime created = info.birthTime();
    if (!created.isValid())
        created = info.lastModified();
    object->date = created.toString(Qt::TextDate);
    return true;
}

bool ServerDelegate::buildFromMediaNode(const MediaNodeInfo &node, const UpnpBrowseRequest &request,
                                        const QList<QHostAddress> &addresses,
                                        UpnpDidlObject *object, int childCount) const
{
    object->id = node.objectId;
    object->parentId = node.parentId;
    if (node.isRoot) {
        object->container = true;
        object->title = QStringLiteral("root");
        object->upnpClass = QStringLiteral("object.container.storageFolder");
        object->childCount = childCount;
        return true;
    }
    if (node.isFolder) {
        if (!QFileInfo(node.path).isDir()) {
            qCDebug(lcTv).noquote()
                << "ServerDelegate::buildFromMediaNode invalid directory specified";
            return false;
        }
        object->container = true;
        object->title = node.name;
        object->upnpClass = QStringLiteral("object.container.storageFolder");
        object->childCount = childCount;
        return true;
    }
    if (!buildFromFilePath(node.path, object))
        return false;
    const QFileInfo info(node.path);
    // Transcoded files are announced as what the client will receive.
    const QString announced = node.needsTranscoding
                                  ? info.completeBaseName() + QStringLiteral(".transcode.mp4")
                                  : info.fileName();
    const QString mime = MediaFormats::mimeType(announced, request.clientSignature);
    object->upnpClass = MediaFormats::upnpClass(mime);
    const QString port = QString::number(request.serverPort);
    for (const QHostAddress &address : addresses) {
        UpnpDidlResource res;
        res.size = info.size();
        if (node.duration.isValid())
            res.duration = node.duration.toString(QStringLiteral("h:mm:ss.zzz"));
        res.protocolInfo = MediaFormats::protocolInfo(announced, request.clientSignature);
        res.url = QStringLiteral("http://") + address.toString() + QLatin1Char(':') + port +
                  resourcePath(node.objectId);
        object->resources.append(res);
    }
    if (!node.thumbnail.isEmpty()) {
        for (const QHostAddress &address : addresses) {
            UpnpDidlResource res;
            res.protocolInfo = QString::fromLatin1(MediaFormats::thumbnailProtocolInfo);
            res.resolution = QStringLiteral("%1x%2")
                                 .arg(node.thumbnailSize.width())
                                 .arg(node.thumbnailSize.height());
            res.url = QStringLiteral("http://") + address.toString() + QLatin1Char(':') + port +
                      resourcePath(imagesPrefix + node.objectId);
            object->resources.append(res);
        }
    }
    return true;
}

int ServerDelegate::lookUpBrowsedNode(const QString &objectId, MediaNodeInfo *node) const
{
    if (!m_model) {
        qCWarning(lcTv).noquote() << "ServerDelegate::onBrowseDirectChildren invalid medial model!";
        return UpnpError::ActionFailed;
    }
    *node = m_model->nodeInfo(objectId);
    if (!node->valid) {
        qCDebug(lcTv).noquote() << "ServerDelegate::onBrowseMetaData object_id not found";
        return UpnpError::NoSuchObject;
    }
    return 0;
}

int ServerDelegate::onBrowseMetadata(const UpnpBrowseRequest &request, UpnpBrowseResult &result)
{
    qCDebug(lcTv).noquote() << "ServerDelegate::onBrowseMetadata" << request.objectId;
    MediaNodeInfo node;
    if (const int error = lookUpBrowsedNode(request.objectId, &node))
        return error;
    int childCount = -1;
    if (node.isFolder) {
        QList<MediaNodeInfo> children;
        m_model->childInfos(request.objectId, &children);
        childCount = int(children.size());
    }
    UpnpDidlObject object;
    if (!buildFromMediaNode(node, request, resourceAddresses(request.localAddress), &object,
                            childCount))
        return UpnpError::NoSuchObject;
    result.result = UpnpDidlObject::document({object});
    result.numberReturned = 1;
    result.totalMatches = 1;
    return 0;
}

int ServerDelegate::onBrowseDirectChildren(const UpnpBrowseRequest &request,
                                           UpnpBrowseResult &result)
{
    qCDebug(lcTv).noquote() << "ServerDelegate::onBrowseDirectChildren" << request.objectId;
    MediaNodeInfo node;
    if (const int error = lookUpBrowsedNode(request.objectId, &node))
        return error;
    if (!node.isFolder) {
        qCDebug(lcTv).noquote() << "ServerDelegate::onBrowseDirectChildren not allowed on an item";
        return UpnpError::NoSuchContainer;
    }
    QList<MediaNodeInfo> children;
    m_model->childInfos(request.objectId, &children);
    const QList<QHostAddress> addresses = resourceAddresses(request.localAddress);
    QList<UpnpDidlObject> objects;
    quint32 total = 0;
    for (const MediaNodeInfo &child : std::as_const(children)) {
        const bool inPage =
            total >= request.startingIndex &&
            (request.requestedCount == 0 || quint32(objects.size()) < request.requestedCount);
        // Objects outside the page are only checked, not built, by the same
        // test the build makes, so every page tells the same total.
        UpnpDidlObject object;
        const bool built = inPage ? buildFromMediaNode(child, request, addresses, &object)
                                  : (child.isFolder ? QFileInfo(child.path).isDir()
                                                    : QFileInfo::exists(child.path));
        if (!built) {
            qCDebug(lcTv).noquote() << "ITEM IS NULL FOR node: " << child.name;
            continue;
        }
        ++total;
        if (inPage)
            objects.append(object);
    }
    result.result = UpnpDidlObject::document(objects);
    result.numberReturned = quint32(objects.size());
    result.totalMatches = total;
    return 0;
}

int ServerDelegate::onSearchContainer(const UpnpBrowseRequest &request, UpnpBrowseResult &result)
{
    qCDebug(lcTv).noquote() << "ServerDelegate::onSearchContainer object_id:" << request.objectId;
    if (!m_model)
        return UpnpError::ActionFailed;
    QString classPrefix;
    if (!parseSearchCriteria(request.searchCriteria, &classPrefix))
        return UpnpError::UnsupportedSearchCriteria;
    const MediaNodeInfo start = m_model->nodeInfo(request.objectId);
    if (!start.valid)
        return UpnpError::NoSuchObject;
    if (!start.isFolder)
        return UpnpError::NoSuchContainer;
    const QList<QHostAddress> addresses = resourceAddresses(request.localAddress);
    QList<UpnpDidlObject> objects;
    quint32 total = 0;
    QList<QString> folders = {start.objectId};
    int visited = 0;
    // Breadth-first over the subtree, listing folders on the way.
    while (!folders.isEmpty() && visited < maxSearchResults) {
        QList<MediaNodeInfo> children;
        m_model->childInfos(folders.takeFirst(), &children);
        for (const MediaNodeInfo &child : std::as_const(children)) {
            if (++visited > maxSearchResults)
                break;
            if (child.isFolder) {
                folders.append(child.objectId);
                continue;
            }
            UpnpDidlObject object;
            if (!buildFromMediaNode(child, request, addresses, &object) ||
                !object.upnpClass.startsWith(classPrefix))
                continue;
            if (total >= request.startingIndex &&
                (request.requestedCount == 0 || quint32(objects.size()) < request.requestedCount))
                objects.append(object);
            ++total;
        }
    }
    result.result = UpnpDidlObject::document(objects);
    result.numberReturned = quint32(objects.size());
    result.totalMatches = total;
    return 0;
}

bool ServerDelegate::processFileRequest(const UpnpHttpRequest &request, UpnpHttpResponse &response)
{
    qCDebug(lcTv).noquote() << "ServerDelegate::processFileRequest";
    return UpnpFileMediaServerDelegate::processFileRequest(request, response);
}

bool ServerDelegate::extractResourcePath(const QByteArray &path, QString *resource)
{
    qCDebug(lcTv).noquote() << "ServerDelegate::extractResourcePath url:"
                            << QString::fromUtf8(path);
    return UpnpFileMediaServerDelegate::extractResourcePath(path, resource);
}

bool ServerDelegate::serveFile(const UpnpHttpRequest &request, const QString &resource,
                               UpnpHttpResponse &response)
{
    qCDebug(lcTv).noquote() << "ServerDelegate::serveFile object_id: " << resource;
    if (resource.startsWith(imagesPrefix)) {
        serveThumbnail(resource.mid(imagesPrefix.size()), response);
        return true;
    }
    const MediaNodeInfo node = m_model ? m_model->nodeInfo(resource) : MediaNodeInfo();
    if (!node.valid || node.isFolder) {
        qCDebug(lcTv).noquote() << "ServerDelegate::serveFile invalid object_id!";
        response = UpnpHttpResponse::notFound();
        return true;
    }
    // Checked again now: a link may have been swapped since the listing.
    if (!SharedFolder::contains(m_model->rootPath(), node.path)) {
        qCWarning(lcTv).noquote() << "ServerDelegate::serveFile outside the shared folder:"
                                  << node.name;
        response = UpnpHttpResponse::notFound();
        return true;
    }
    if (node.duration.isValid()) {
        const QTime &d = node.duration;
        response.setHeader("MediaInfo.sec",
                           "SEC_Duration=" +
                               QByteArray::number(d.hour() * 3600 + d.minute() * 60 + d.second()));
    }
    if (node.needsTranscoding) {
        qCDebug(lcTv).noquote() << "   transcoding...";
        serveTranscoded(request, node, response);
        return true;
    }
    if (request.clientSignature == UpnpClientSignature::Other)
        response.setHeader("contentFeatures.dlna.org", MediaFormats::plainContentFeatures);
    // Keeps the headers set above, unless the file is gone (404).
    serveLocalFile(request, node.path,
                   MediaFormats::mimeType(node.name, request.clientSignature).toUtf8(), response);
    return true;
}

void ServerDelegate::serveThumbnail(const QString &objectId, UpnpHttpResponse &response) const
{
    const MediaNodeInfo node = m_model ? m_model->nodeInfo(objectId) : MediaNodeInfo();
    if (!node.valid || node.thumbnail.isEmpty()) {
        response = UpnpHttpResponse::notFound();
        return;
    }
    response = UpnpHttpResponse::text(200, "image/jpeg", node.thumbnail);
}

void ServerDelegate::serveTranscoded(const UpnpHttpRequest &request, const MediaNodeInfo &node,
                                     UpnpHttpResponse &response) const
{
    response.status = 200;
    response.setHeader("transferMode.dlna.org", "Streaming");
    response.setHeader("Connection", "keep-alive");
    response.setHeader("contentFeatures.dlna.org",
                       MediaFormats::transcodedContentFeatures(request.clientSignature));
    const QByteArray type = MediaFormats::transcodedContentType(request.clientSignature);
    if (!type.isEmpty())
        response.setHeader("Content-Type", type);
    // A HEAD asks for the headers only: no encoder for it.
    if (request.isHead())
        return;
    response.stream = TranscodeStream::createLimited(request.clientSignature, node.path);
    if (!response.stream) {
        qCWarning(lcTv).noquote() << "ServerDelegate: all encoders busy, transcode refused";
        response = UpnpHttpResponse::text(503, "text/plain", "Service Unavailable");
        response.setHeader("Retry-After", "10");
    }
}
