#include "tv/renderer/CastMedia.h"

#include "core/Formatters.h"
#include "tv/MediaFormats.h"
#include "tv/MediaModel.h"
#include "tv/ServerDelegate.h"
#include "tv/upnp/UpnpMediaServerDelegate.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QNetworkInterface>

namespace {

// The node of the file at `path`, found by walking down from the root.
MediaNodeInfo findNode(MediaModel *model, const QString &path)
{
    const QString root = QDir::cleanPath(model->rootPath());
    const QString target = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!target.startsWith(root + QLatin1Char('/')))
        return {};
    QString id = QStringLiteral("0");
    QString walked = root;
    const QStringList parts = target.mid(root.size() + 1).split(QLatin1Char('/'));
    for (const QString &part : parts) {
        walked += QLatin1Char('/') + part;
        QList<MediaNodeInfo> children;
        if (!model->childInfos(id, &children))
            return {};
        const auto found =
            std::find_if(children.cbegin(), children.cend(), [&](const MediaNodeInfo &child) {
                return QDir::cleanPath(child.path) == walked;
            });
        if (found == children.cend())
            return {};
        if (walked == target)
            return *found;
        id = found->objectId;
    }
    return {};
}

} // namespace

bool CastMedia::choose(const SinkProtocols &sinks, UpnpDidlResource *chosen) const
{
    for (const UpnpDidlResource &res : fileResources) {
        if (sinks.accepts(res.protocolInfo)) {
            *chosen = res;
            return true;
        }
    }
    if (!converted.url.isEmpty() && sinks.accepts(converted.protocolInfo)) {
        *chosen = converted;
        return true;
    }
    return false;
}

QString CastMedia::metadata(const UpnpDidlResource &chosen) const
{
    UpnpDidlObject object;
    object.id = objectId.isEmpty() ? QStringLiteral("1") : objectId;
    object.parentId = QStringLiteral("0");
    object.title = title;
    object.upnpClass = upnpClass;
    UpnpDidlResource res = chosen;
    if (res.duration.isEmpty() && durationMs >= 0)
        res.duration = Formatters::durationText(durationMs);
    object.resources.append(res);
    object.resources.append(subtitleResources);
    object.captions = captions;
    return UpnpDidlObject::document(QList<UpnpDidlObject>{object});
}

bool CastMedia::fromLibraryFile(MediaModel *model, const ServerDelegate *delegate,
                                const QString &path, const QString &title,
                                const QHostAddress &local, quint16 port, CastMedia *out,
                                QString *error, int waitMs)
{
    MediaNodeInfo node = model ? findNode(model, path) : MediaNodeInfo();
    if (!node.valid || node.isFolder) {
        *error = QStringLiteral("%1 is not in the shared library folder").arg(path);
        return false;
    }
    if (!node.probed) {
        // The play length the header tells is enough to start: the probe
        // (the exact profile) is only waited for when the header told none.
        QList<MediaNodeInfo> nodes{node};
        model->readHeaderDurations(&nodes);
        const bool timed = nodes.first().durationMs >= 0;
        model->waitForMetaData({node.objectId}, timed ? QStringList() : QStringList{node.objectId},
                               QDeadlineTimer(timed ? 0 : waitMs));
        node = model->nodeInfo(node.objectId);
    }
    UpnpBrowseRequest request;
    request.objectId = node.objectId;
    request.localAddress = local;
    request.serverPort = port;
    UpnpDidlObject object;
    if (!delegate->buildFromMediaNode(node, request, {local}, &object)) {
        *error = QStringLiteral("%1 cannot be served").arg(path);
        return false;
    }
    CastMedia media;
    media.objectId = node.objectId;
    media.title = title.isEmpty() ? object.title : title;
    media.durationMs = node.durationMs;
    media.upnpClass = object.upnpClass;
    media.captions = object.captions;
    const QString host = QStringLiteral("http://%1:%2").arg(local.toString()).arg(port);
    for (const UpnpDidlResource &res : std::as_const(object.resources)) {
        if (res.url.contains(QLatin1String("/SUBTITLES/")) ||
            res.protocolInfo.contains(QLatin1String(":text/")))
            media.subtitleResources.append(res);
        else if (res.protocolInfo == QLatin1String(MediaFormats::thumbnailProtocolInfo))
            continue; // the thumbnail
        else
            media.fileResources.append(res);
    }
    if (!node.needsTranscoding) {
        // The same video converted by the server, for renderers that do not
        // play the file's own format.
        media.converted.protocolInfo = MediaFormats::transcodedProtocolInfo(0);
        media.converted.url = host + ServerDelegate::convertedPath(node.objectId);
    }
    *out = media;
    return true;
}

QHostAddress CastMedia::localAddressFor(const QHostAddress &peer)
{
    if (peer.isLoopback())
        return QHostAddress(QHostAddress::LocalHost);
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() == peer.protocol() && entry.prefixLength() > 0 &&
                peer.isInSubnet(entry.ip(), entry.prefixLength()))
                return entry.ip();
        }
    }
    return ServerDelegate::resourceAddresses(QHostAddress()).value(0);
}
