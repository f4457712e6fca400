#include "tv/ServerDelegate.h"

#include "core/Formatters.h"
#include "core/Logging.h"

#include "library/LibraryStore.h"
#include "tv/ConsoleSubtitleChoice.h"
#include "tv/DidlCache.h"
#include "tv/MediaFormats.h"
#include "tv/MediaModel.h"
#include "tv/SharedFolder.h"
#include "tv/TranscodeAnswer.h"
#include "tv/TranscodeHelper.h"
#include "tv/TvBookmarks.h"
#include "tv/TvSubtitles.h"
#include "tv/upnp/UpnpAction.h"
#include "tv/upnp/UpnpClientSignature.h"
#include "tv/upnp/UpnpSoap.h"

#include <QDebug>
#include <QFileInfo>
#include <QNetworkInterface>

#include <cstdio>
#include <ctime>

namespace {

const QString imagesPrefix = QStringLiteral("IMAGES/");
const QString subtitlesPrefix = QStringLiteral("SUBTITLES/");
const QString convertedPrefix = QStringLiteral("CONVERTED/");
constexpr int maxSearchResults = 10000;
// An answer waits for the probes of at most this many files.
constexpr qsizetype maxWaitedProbes = 200;
// Up to this many files of a page are probed completely before the answer.
constexpr qsizetype maxCompleteProbes = 8;

// "yyyy-MM-ddTHH:mm:ss" in local time, without QDateTime's conversions (a
// large folder's answer writes thousands).
QString localIsoTime(qint64 msecs)
{
    const time_t seconds = time_t(msecs >= 0 ? msecs / 1000 : (msecs - 999) / 1000);
    struct tm local;
    if (!localtime_r(&seconds, &local))
        return QString();
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return QString::fromLatin1(text);
}

// A request for a file from its start: the client begins to play it.
bool startsPlay(const UpnpHttpRequest &request)
{
    if (request.isHead())
        return false;
    const QByteArray range = request.header("Range").trimmed().toLower();
    const QByteArray seek = request.header("TimeSeekRange.dlna.org").trimmed().toLower();
    return (range.isEmpty() || range.startsWith("bytes=0-")) &&
           (seek.isEmpty() || seek.startsWith("npt=0-") || seek.startsWith("npt=0.0") ||
            seek.startsWith("npt=00:00:00"));
}

UpnpHttpResponse notAcceptable()
{
    return UpnpHttpResponse::text(406, "text/plain", "Not Acceptable");
}

} // namespace

ServerDelegate::ServerDelegate(const QString &bookmarksFile, QObject *parent)
    : QObject(parent), UpnpFileMediaServerDelegate(QStringLiteral("/"), QString()),
      m_bookmarks(std::make_unique<TvBookmarks>(bookmarksFile))
{
}

ServerDelegate::~ServerDelegate() = default;

void ServerDelegate::setMediaModel(MediaModel *model)
{
    m_model = model;
}

QList<QHostAddress> ServerDelegate::resourceAddresses(const QHostAddress &local)
{
    // The address the client reached us on is one it can reach again; the
    // host's others may be on networks it does not see (loopback above all).
    const QHostAddress reached(local.toIPv4Address());
    if (!reached.isNull() && reached != QHostAddress::AnyIPv4)
        return {reached};
    // Not known (no socket behind the request): the first address on a network.
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return {address};
    }
    return {QHostAddress(QHostAddress::LocalHost)};
}

QString ServerDelegate::resourcePath(const QString &objectId)
{
    return QStringLiteral("/%25/") + objectId;
}

QString ServerDelegate::convertedPath(const QString &objectId)
{
    return resourcePath(convertedPrefix + objectId);
}

QString ServerDelegate::subtitlePath(const MediaNodeInfo &node, int index)
{
    const SubtitleFile &file = node.subtitles.at(index);
    return resourcePath(subtitlesPrefix + node.objectId + QLatin1Char('/') +
                        QString::number(index) + QLatin1Char('.') +
                        QFileInfo(file.path).suffix().toLower());
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
    if (!node.valid)
        return false; // vanished since the listing
    const qsizetype dot = node.name.lastIndexOf(QLatin1Char('.'));
    object->title = dot < 0 ? node.name : node.name.left(dot);
    object->date = localIsoTime(node.created);
    const QString mime =
        node.needsTranscoding
            ? QString::fromLatin1(MediaFormats::transcodedContentType(request.clientSignature))
            : MediaFormats::mimeType(node.name, request.clientSignature);
    object->upnpClass = MediaFormats::upnpClass(mime);
    const QString protocolInfo =
        node.needsTranscoding
            ? MediaFormats::transcodedProtocolInfo(request.clientSignature)
            : MediaFormats::protocolInfo(node.name, node.media, request.clientSignature);
    const bool picture = mime.startsWith(QLatin1String("image/"));
    const QString port = QString::number(request.serverPort);
    auto urlOf = [&](const QHostAddress &address, const QString &id) {
        return QStringLiteral("http://") + address.toString() + QLatin1Char(':') + port +
               resourcePath(id);
    };
    for (const QHostAddress &address : addresses) {
        UpnpDidlResource res;
        // A converted stream's length is not known before it is made.
        res.size = node.needsTranscoding ? -1 : node.size;
        if (node.durationMs >= 0 && !picture)
            res.duration = Formatters::durationText(node.durationMs);
        if (!node.media.frameSize.isEmpty())
            res.resolution = QStringLiteral("%1x%2")
                                 .arg(node.media.frameSize.width())
                                 .arg(node.media.frameSize.height());
        if (node.needsTranscoding) {
            // What the encoder sends, not what the file holds.
            const TranscodeHelper::Output output =
                TranscodeHelper::outputFor(request.clientSignature, node.media);
            res.resolution = output.frameSize.isEmpty() ? QString()
                                                        : QStringLiteral("%1x%2")
                                                              .arg(output.frameSize.width())
                                                              .arg(output.frameSize.height());
            if (output.bitrate > 0)
                res.bitrate = qint64(output.bitrate) * 1000 / 8;
            if (output.channels > 0)
                res.nrAudioChannels = output.channels;
            if (output.sampleRate > 0)
                res.sampleFrequency = output.sampleRate;
        } else if (!picture) {
            if (node.media.bitrate > 0)
                res.bitrate = qint64(node.media.bitrate) * 1000 / 8;
            if (node.media.channels > 0)
                res.nrAudioChannels = node.media.channels;
            if (node.media.sampleRate > 0)
                res.sampleFrequency = node.media.sampleRate;
        }
        res.protocolInfo = protocolInfo;
        res.url = urlOf(address, node.objectId);
        object->resources.append(res);
    }
    // The video's subtitle files, as resources of their own and in the
    // caption element some televisions read instead.
    const QString host = QStringLiteral("http://%1:") + port;
    const QList<int> order =
        picture ? QList<int>()
                : TvSubtitles::offerOrder(node.subtitles, TvSubtitles::userLanguage());
    for (const int i : order) {
        const SubtitleFile &file = node.subtitles.at(i);
        for (const QHostAddress &address : addresses) {
            UpnpDidlResource res;
            res.protocolInfo =
                QStringLiteral("http-get:*:") + file.mimeType() + QStringLiteral(":*");
            res.url = host.arg(address.toString()) + subtitlePath(node, i);
            object->resources.append(res);
        }
        if (!addresses.isEmpty()) {
            object->captions.append(
                {file.mimeType().mid(5),
                 host.arg(addresses.first().toString()) + subtitlePath(node, i)});
        }
    }
    if (!node.thumbnail.isEmpty()) {
        for (const QHostAddress &address : addresses) {
            UpnpDidlResource res;
            res.protocolInfo = QString::fromLatin1(MediaFormats::thumbnailProtocolInfo);
            res.thumbnail = true;
            res.resolution = QStringLiteral("%1x%2")
                                 .arg(node.thumbnailSize.width())
                                 .arg(node.thumbnailSize.height());
            res.url = urlOf(address, imagesPrefix + node.objectId);
            object->resources.append(res);
        }
        if (!addresses.isEmpty())
            object->albumArtUri = urlOf(addresses.first(), imagesPrefix + node.objectId);
    }
    return true;
}

void ServerDelegate::waitForProbes(QList<MediaNodeInfo> &nodes, const UpnpBrowseRequest &,
                                   const QString &folderId, qsizetype folderSize) const
{
    if (!m_model)
        return;
    m_model->readHeaderDurations(&nodes);
    QStringList pending;
    QStringList untimed;
    for (const MediaNodeInfo &node : std::as_const(nodes)) {
        if (node.isFolder || node.probed)
            continue;
        pending.append(node.objectId);
        if (node.durationMs < 0)
            untimed.append(node.objectId);
    }
    // A client asking for a whole large folder gets what is known at once
    // (nor is the probe order worth changing for it).
    if (pending.isEmpty() || pending.size() > maxWaitedProbes)
        return;
    if (!folderId.isEmpty() && folderSize > maxWaitedProbes) {
        // A page of a large folder too, with what the headers told; the
        // page is probed first, and clients hear of the folder again then.
        m_model->waitForMetaData(pending, {}, QDeadlineTimer(0));
        m_model->announceWhenProbed(folderId, pending);
        return;
    }
    // A few files are probed completely before the answer (thumbnail and
    // profile included); of many, only those whose header told no length
    // are waited for, the others are probed first after it.
    const QStringList awaited = pending.size() <= maxCompleteProbes ? pending : untimed;
    m_model->waitForMetaData(pending, awaited, QDeadlineTimer(m_model->probeBudget()));
    if (awaited.isEmpty())
        return;
    for (MediaNodeInfo &node : nodes) {
        if (!node.isFolder && !node.probed)
            node = m_model->nodeInfo(node.objectId);
    }
}

int ServerDelegate::childCountOf(const MediaNodeInfo &node) const
{
    if (node.childCount >= 0 || !m_model)
        return node.childCount;
    return int(MediaModel::listFolder(m_model->rootPath(), node.path).size());
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

void ServerDelegate::setLibraryStore(LibraryStore *store)
{
    m_store = store;
    m_bookmarks->setLibraryStore(store);
}

QHash<QString, qint64> ServerDelegate::bookmarksOf(const UpnpBrowseRequest &request,
                                                   const QList<MediaNodeInfo> &nodes) const
{
    if (!request.bookmarks)
        return {};
    QStringList paths;
    for (const MediaNodeInfo &node : nodes) {
        if (!node.isFolder && node.valid)
            paths << QFileInfo(node.path).absoluteFilePath();
    }
    if (paths.isEmpty())
        return {};
    return m_bookmarks->positionsOf(paths);
}

void ServerDelegate::addBookmark(UpnpDidlObject *object, const MediaNodeInfo &node,
                                 const QHash<QString, qint64> &bookmarks)
{
    if (node.isFolder || bookmarks.isEmpty())
        return;
    const auto found = bookmarks.constFind(QFileInfo(node.path).absoluteFilePath());
    if (found != bookmarks.constEnd())
        object->bookmarkSeconds = found.value() / 1000;
}

int ServerDelegate::onSetBookmark(const UpnpBookmarkRequest &request)
{
    if (!m_model)
        return UpnpError::ActionFailed;
    const MediaNodeInfo node = m_model->nodeInfo(request.objectId);
    if (!node.valid || node.isFolder) {
        qCDebug(lcTv).noquote() << "ServerDelegate::onSetBookmark no such item:"
                                << request.objectId;
        return UpnpError::NoSuchObject;
    }
    return m_bookmarks->set(request, node);
}

int ServerDelegate::onBrowseMetadata(const UpnpBrowseRequest &request, UpnpBrowseResult &result)
{
    qCDebug(lcTv).noquote() << "ServerDelegate::onBrowseMetadata" << request.objectId;
    if (request.objectId.contains(QLatin1Char('~')))
        return browseVersions(request, true, result);
    MediaNodeInfo node;
    if (const int error = lookUpBrowsedNode(request.objectId, &node))
        return error;
    qsizetype childCount = -1;
    if (node.isFolder) {
        m_model->childPage(request.objectId, 0, 0, nullptr, &childCount);
    } else {
        QList<MediaNodeInfo> one = {node};
        m_model->checkFiles(&one);
        waitForProbes(one, request);
        node = one.first();
    }
    UpnpDidlObject object;
    if (!buildFromMediaNode(node, request, resourceAddresses(request.localAddress), &object,
                            int(childCount)))
        return UpnpError::NoSuchObject;
    addBookmark(&object, node, bookmarksOf(request, {node}));
    result.result = UpnpDidlObject::document({object}, UpnpBrowseFilter(request.filter));
    result.numberReturned = 1;
    result.totalMatches = 1;
    return 0;
}

int ServerDelegate::onBrowseDirectChildren(const UpnpBrowseRequest &request,
                                           UpnpBrowseResult &result)
{
    qCDebug(lcTv).noquote() << "ServerDelegate::onBrowseDirectChildren" << request.objectId;
    if (request.objectId.contains(QLatin1Char('~')))
        return browseVersions(request, false, result);
    MediaNodeInfo node;
    if (const int error = lookUpBrowsedNode(request.objectId, &node))
        return error;
    if (!node.isFolder) {
        qCDebug(lcTv).noquote() << "ServerDelegate::onBrowseDirectChildren not allowed on an item";
        return UpnpError::NoSuchContainer;
    }
    QList<MediaNodeInfo> page;
    qsizetype total = 0;
    m_model->childPage(request.objectId, request.startingIndex, request.requestedCount, &page,
                       &total);
    // The page is answered with what the probe learns within its budget.
    waitForProbes(page, request, node.objectId, total);
    const QList<QHostAddress> addresses = resourceAddresses(request.localAddress);
    // A file's item is written once per change and client, then reused.
    QString context = QString::number(request.clientSignature) + QLatin1Char(':') +
                      QString::number(request.serverPort);
    for (const QHostAddress &address : addresses)
        context += QLatin1Char(' ') + address.toString();
    const UpnpBrowseFilter filter(request.filter);
    context += QLatin1Char(' ') + filter.key();
    const QHash<QString, qint64> bookmarks = bookmarksOf(request, page);
    DidlCache *didl = m_model->didlCache();
    QList<QByteArray> fragments;
    fragments.reserve(page.size());
    for (const MediaNodeInfo &child : std::as_const(page)) {
        // Places change without a new revision: a client told them gets
        // fresh items.
        if (!request.bookmarks && child.valid && !child.isFolder) {
            QByteArray kept = didl->find(child.objectId, child.revision, context);
            if (!kept.isEmpty()) {
                fragments.append(std::move(kept));
                continue;
            }
        }
        UpnpDidlObject object;
        if (ConsoleSubtitleChoice::offersChoice(child, request.clientSignature)) {
            fragments.append(UpnpSoap::escapedTextUtf8(
                UpnpDidlObject::fragment(versionFolderOf(child), filter)));
            continue;
        }
        if (!buildFromMediaNode(child, request, addresses, &object,
                                child.isFolder ? childCountOf(child) : -1)) {
            qCDebug(lcTv).noquote() << "ITEM IS NULL FOR node: " << child.name;
            --total;
            continue;
        }
        addBookmark(&object, child, bookmarks);
        fragments.append(UpnpSoap::escapedTextUtf8(UpnpDidlObject::fragment(object, filter)));
        if (!child.isFolder && !request.bookmarks)
            didl->keep(child.objectId, child.revision, context, fragments.last());
    }
    result.escapedResult = UpnpDidlObject::escapedDocument(fragments);
    result.numberReturned = quint32(fragments.size());
    result.totalMatches = quint32(total);
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
    QList<MediaNodeInfo> page;
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
                (request.requestedCount == 0 || quint32(page.size()) < request.requestedCount))
                page.append(child);
            ++total;
        }
    }
    waitForProbes(page, request);
    const QHash<QString, qint64> bookmarks = bookmarksOf(request, page);
    QList<UpnpDidlObject> objects;
    for (const MediaNodeInfo &child : std::as_const(page)) {
        UpnpDidlObject object;
        if (buildFromMediaNode(child, request, addresses, &object)) {
            addBookmark(&object, child, bookmarks);
            objects.append(object);
        }
    }
    result.result = UpnpDidlObject::document(objects, UpnpBrowseFilter(request.filter));
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
    // Only converted streams offer time seeking; the others answer 406.
    const bool timeSeek = !request.header("TimeSeekRange.dlna.org").isEmpty();
    if (resource.startsWith(subtitlesPrefix)) {
        if (timeSeek)
            response = notAcceptable();
        else
            serveSubtitle(request, resource.mid(subtitlesPrefix.size()), response);
        return true;
    }
    if (resource.startsWith(imagesPrefix)) {
        if (timeSeek)
            response = notAcceptable();
        else
            serveThumbnail(resource.mid(imagesPrefix.size()), response);
        return true;
    }
    // A converted stream of any video (a renderer that cannot play its file).
    const bool converted = resource.startsWith(convertedPrefix);
    // A console's version of a video names the subtitle to draw.
    QString objectId = converted ? resource.mid(convertedPrefix.size()) : resource;
    bool versionFolder = false;
    int subtitleChoice = TranscodeAnswer::PreferredSubtitle;
    if (!converted &&
        ConsoleSubtitleChoice::parse(resource, &objectId, &versionFolder, &subtitleChoice) &&
        versionFolder)
        objectId.clear();
    const MediaNodeInfo node =
        m_model && !objectId.isEmpty() ? m_model->nodeInfo(objectId) : MediaNodeInfo();
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
    if (node.durationMs >= 0)
        response.setHeader("MediaInfo.sec",
                           "SEC_Duration=" + QByteArray::number(node.durationMs / 1000));
    // Samsung televisions ask for the subtitle file with the video.
    if (request.header("getCaptionInfo.sec") == "1" && !node.subtitles.isEmpty()) {
        // SubRip first (every such television reads it), the user's language first among equals.
        const int chosen =
            TvSubtitles::offerOrder(node.subtitles, TvSubtitles::userLanguage()).constFirst();
        response.setHeader("CaptionInfo.sec", QStringLiteral("http://%1:%2%3")
                                                  .arg(request.localAddress.toString())
                                                  .arg(request.localPort)
                                                  .arg(subtitlePath(node, chosen))
                                                  .toUtf8());
    }
    if (startsPlay(request))
        m_bookmarks->notePlay(
            UpnpClientSignature::clientKey(request.peerAddress, request.header("User-Agent")),
            node.path);
    if (node.needsTranscoding || converted) {
        qCDebug(lcTv).noquote() << "   transcoding...";
        TranscodeAnswer::fill(request, node, m_model->rootPath(), subtitleChoice, response);
        return true;
    }
    if (timeSeek) {
        response = notAcceptable();
        return true;
    }
    // The fourth field of the protocol info announced for this file.
    const QString mime = MediaFormats::mimeType(node.name, request.clientSignature);
    if (request.clientSignature == UpnpClientSignature::Other ||
        request.header("getcontentFeatures.dlna.org") == "1")
        response.setHeader(
            "contentFeatures.dlna.org",
            MediaFormats::dlnaExtension(mime, node.media, request.clientSignature).toLatin1());
    response.setHeader("transferMode.dlna.org",
                       mime.startsWith(QLatin1String("image/")) ? "Interactive" : "Streaming");
    // Keeps the headers set above, unless the file is gone (404).
    serveLocalFile(request, node.path, mime.toUtf8(), response);
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
    response.setHeader(
        "contentFeatures.dlna.org",
        MediaFormats::contentFeatures(QString::fromLatin1(MediaFormats::thumbnailProtocolInfo)));
    response.setHeader("transferMode.dlna.org", "Interactive");
}

void ServerDelegate::serveSubtitle(const UpnpHttpRequest &request, const QString &resource,
                                   UpnpHttpResponse &response) const
{
    const qsizetype slash = resource.indexOf(QLatin1Char('/'));
    const QString name = resource.mid(slash + 1);
    bool ok = false;
    const int index = name.left(name.indexOf(QLatin1Char('.'))).toInt(&ok);
    const MediaNodeInfo node =
        m_model && slash > 0 ? m_model->nodeInfo(resource.left(slash)) : MediaNodeInfo();
    if (!ok || !node.valid || index < 0 || index >= node.subtitles.size() ||
        !SharedFolder::contains(m_model->rootPath(), node.subtitles.at(index).path) ||
        !TvSubtitles::isServable(node.subtitles.at(index))) {
        response = UpnpHttpResponse::notFound();
        return;
    }
    const SubtitleFile &file = node.subtitles.at(index);
    response.setHeader("transferMode.dlna.org", "Interactive");
    serveLocalFile(request, file.path, file.mimeType().toUtf8(), response);
}

UpnpDidlObject ServerDelegate::versionFolderOf(const MediaNodeInfo &node)
{
    UpnpDidlObject folder;
    folder.container = true;
    folder.id = ConsoleSubtitleChoice::folderId(node.objectId);
    folder.parentId = node.parentId;
    const qsizetype dot = node.name.lastIndexOf(QLatin1Char('.'));
    folder.title = dot < 0 ? node.name : node.name.left(dot);
    folder.upnpClass = QStringLiteral("object.container.storageFolder");
    folder.childCount =
        int(ConsoleSubtitleChoice::versions(node, TvSubtitles::userLanguage()).size());
    return folder;
}

int ServerDelegate::browseVersions(const UpnpBrowseRequest &request, bool metadata,
                                   UpnpBrowseResult &result) const
{
    QString objectId;
    bool folder = false;
    int subtitle = ConsoleSubtitleChoice::NoSubtitles;
    if (!m_model || !ConsoleSubtitleChoice::parse(request.objectId, &objectId, &folder, &subtitle))
        return UpnpError::NoSuchObject;
    const MediaNodeInfo node = m_model->nodeInfo(objectId);
    if (!ConsoleSubtitleChoice::offersChoice(node, request.clientSignature))
        return UpnpError::NoSuchObject;
    const QList<ConsoleSubtitleChoice::Version> versions =
        ConsoleSubtitleChoice::versions(node, TvSubtitles::userLanguage());
    if (!folder && std::none_of(versions.cbegin(), versions.cend(),
                                [subtitle](const auto &v) { return v.subtitle == subtitle; }))
        return UpnpError::NoSuchObject;
    const UpnpBrowseFilter filter(request.filter);
    if (metadata && folder) {
        result.result = UpnpDidlObject::document({versionFolderOf(node)}, filter);
        result.numberReturned = result.totalMatches = 1;
        return 0;
    }
    if (!metadata && !folder)
        return UpnpError::NoSuchContainer;
    const QList<QHostAddress> addresses = resourceAddresses(request.localAddress);
    const QString plain = resourcePath(node.objectId);
    QList<UpnpDidlObject> objects;
    quint32 index = 0;
    for (const ConsoleSubtitleChoice::Version &version : versions) {
        if ((!folder && version.subtitle != subtitle) || index++ < request.startingIndex)
            continue;
        if (request.requestedCount > 0 && quint32(objects.size()) >= request.requestedCount)
            break;
        UpnpDidlObject object;
        if (!buildFromMediaNode(node, request, addresses, &object))
            return UpnpError::NoSuchObject;
        const QString id = ConsoleSubtitleChoice::versionId(node.objectId, version.subtitle);
        object.id = id;
        object.parentId = ConsoleSubtitleChoice::folderId(node.objectId);
        object.title += QStringLiteral(" (") + version.title + QLatin1Char(')');
        object.captions.clear();
        // The stream of this version; the subtitle files stay off the console's list.
        object.resources.removeIf([&plain](const UpnpDidlResource &res) {
            return !res.url.endsWith(plain) && res.protocolInfo.contains(QLatin1String(":text/"));
        });
        for (UpnpDidlResource &res : object.resources) {
            if (res.url.endsWith(plain))
                res.url.replace(res.url.size() - plain.size(), plain.size(), resourcePath(id));
        }
        objects.append(object);
    }
    result.result = UpnpDidlObject::document(objects, filter);
    result.numberReturned = quint32(objects.size());
    result.totalMatches = folder ? quint32(versions.size()) : 1;
    return 0;
}
