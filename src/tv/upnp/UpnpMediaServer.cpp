#include "tv/upnp/UpnpMediaServer.h"
#include "tv/upnp/UpnpClientSignature.h"

#include "tv/upnp/UpnpScpd.h"

#include <QDebug>

const QString UpnpMediaServer::contentDirectoryType =
    QStringLiteral("urn:schemas-upnp-org:service:ContentDirectory:1");
const QString UpnpMediaServer::connectionManagerType =
    QStringLiteral("urn:schemas-upnp-org:service:ConnectionManager:1");

UpnpMediaServer::UpnpMediaServer(const QString &name, QObject *parent) : UpnpDeviceHost(parent)
{
    friendlyName = name;
    deviceType = QStringLiteral("urn:schemas-upnp-org:device:MediaServer:1");
    descriptionPath = QStringLiteral("/DeviceDescription.xml");
    dlnaDoc = QStringLiteral("DMS-1.50");
}

void UpnpMediaServer::setDelegate(UpnpMediaServerDelegate *delegate)
{
    m_delegate = delegate;
}

void UpnpMediaServer::setupServices()
{
    addService({QStringLiteral("ContentDirectory"),
                contentDirectoryType,
                QStringLiteral("urn:upnp-org:serviceId:ContentDirectory"),
                UpnpScpd::contentDirectory(),
                {{QStringLiteral("SystemUpdateID"), QString::number(m_systemUpdateId)},
                 {QStringLiteral("ContainerUpdateIDs"), QString()}}});
    addService({QStringLiteral("ConnectionManager"),
                connectionManagerType,
                QStringLiteral("urn:upnp-org:serviceId:ConnectionManager"),
                UpnpScpd::connectionManager(),
                {{QStringLiteral("SourceProtocolInfo"), QStringLiteral("http-get:*:*:*")},
                 {QStringLiteral("SinkProtocolInfo"), QString()},
                 {QStringLiteral("CurrentConnectionIDs"), QStringLiteral("0")}}});
}

void UpnpMediaServer::containerChanged(const QString &containerId)
{
    QMutexLocker locker(&m_updateLock);
    const QString id = QString::number(++m_systemUpdateId);
    // The container's update id is the system's at its change; "id,update" pairs.
    QString escaped = containerId;
    escaped.replace(QLatin1Char(','), QLatin1String("\\,"));
    setEventedVariables(QStringLiteral("ContentDirectory"),
                        {{QStringLiteral("SystemUpdateID"), id},
                         {QStringLiteral("ContainerUpdateIDs"), escaped + QLatin1Char(',') + id}});
}

void UpnpMediaServer::onAction(const UpnpActionRequest &request, UpnpActionResponse &response)
{
    const QString &name = request.name;
    if (request.serviceType == contentDirectoryType) {
        if (name == QLatin1String("Browse"))
            return browse(request, response);
        if (name == QLatin1String("Search"))
            return search(request, response);
        if (name == QLatin1String("GetSearchCapabilities"))
            return response.add(QStringLiteral("SearchCaps"), QStringLiteral("upnp:class"));
        if (name == QLatin1String("GetSortCapabilities"))
            return response.add(QStringLiteral("SortCaps"), QString());
        if (name == QLatin1String("GetSystemUpdateID"))
            return response.add(QStringLiteral("Id"), QString::number(m_systemUpdateId));
        if (name == QLatin1String("X_SetBookmark"))
            return setBookmark(request, response);
    } else if (request.serviceType == connectionManagerType) {
        if (name == QLatin1String("GetProtocolInfo")) {
            response.add(QStringLiteral("Source"), QStringLiteral("http-get:*:*:*"));
            return response.add(QStringLiteral("Sink"), QString());
        }
        if (name == QLatin1String("GetCurrentConnectionIDs"))
            return response.add(QStringLiteral("ConnectionIDs"), QStringLiteral("0"));
        if (name == QLatin1String("GetCurrentConnectionInfo")) {
            if (request.value(QStringLiteral("ConnectionID")) != QLatin1String("0"))
                return response.fail(706, QStringLiteral("Invalid connection reference"));
            response.add(QStringLiteral("RcsID"), QStringLiteral("-1"));
            response.add(QStringLiteral("AVTransportID"), QStringLiteral("-1"));
            response.add(QStringLiteral("ProtocolInfo"), QString());
            response.add(QStringLiteral("PeerConnectionManager"), QString());
            response.add(QStringLiteral("PeerConnectionID"), QStringLiteral("-1"));
            response.add(QStringLiteral("Direction"), QStringLiteral("Output"));
            return response.add(QStringLiteral("Status"), QStringLiteral("OK"));
        }
    }
    UpnpDeviceHost::onAction(request, response);
}

bool UpnpMediaServer::readCommon(const UpnpActionRequest &request, const QString &idArgument,
                                 UpnpBrowseRequest *browse) const
{
    // Some clients name the Browse object "ContainerID".
    const QString id = request.has(idArgument) ? request.value(idArgument)
                                               : request.value(QStringLiteral("ContainerID"));
    if (id.isEmpty())
        return false;
    browse->objectId = id;
    // A client that names no filter at all gets everything.
    browse->filter = request.has(QStringLiteral("Filter")) ? request.value(QStringLiteral("Filter"))
                                                           : QStringLiteral("*");
    browse->sortCriteria = request.value(QStringLiteral("SortCriteria"));
    bool ok = true;
    const QString start = request.value(QStringLiteral("StartingIndex")).trimmed();
    const QString count = request.value(QStringLiteral("RequestedCount")).trimmed();
    browse->startingIndex = start.isEmpty() ? 0 : start.toUInt(&ok);
    if (!ok)
        return false;
    browse->requestedCount = count.isEmpty() ? 0 : count.toUInt(&ok);
    browse->clientSignature = request.clientSignature;
    browse->bookmarks = request.bookmarks;
    browse->localAddress = request.localAddress;
    browse->serverPort = request.serverPort;
    return ok;
}

void UpnpMediaServer::answer(int error, const UpnpBrowseResult &result,
                             UpnpActionResponse &response) const
{
    switch (error) {
    case 0:
        if (result.escapedResult.isEmpty())
            response.add(QStringLiteral("Result"), result.result);
        else
            response.addEscaped(QStringLiteral("Result"), result.escapedResult);
        response.add(QStringLiteral("NumberReturned"), QString::number(result.numberReturned));
        response.add(QStringLiteral("TotalMatches"), QString::number(result.totalMatches));
        response.add(QStringLiteral("UpdateID"), QString::number(result.updateId));
        return;
    case UpnpError::NoSuchObject:
        return response.fail(error, QStringLiteral("No Such Object."));
    case UpnpError::NoSuchContainer:
        return response.fail(error, QStringLiteral("No such container"));
    case UpnpError::UnsupportedSearchCriteria:
        return response.fail(error, QStringLiteral("Unsupported or invalid search criteria"));
    case UpnpError::InvalidArgs:
        return response.fail(error, QStringLiteral("Invalid or Missing Args"));
    default:
        return response.fail(UpnpError::ActionFailed, QStringLiteral("Action Failed"));
    }
}

void UpnpMediaServer::browse(const UpnpActionRequest &request, UpnpActionResponse &response)
{
    UpnpBrowseRequest browse;
    const QString flag = request.value(QStringLiteral("BrowseFlag"));
    if (!readCommon(request, QStringLiteral("ObjectID"), &browse) ||
        (flag != QLatin1String("BrowseMetadata") && flag != QLatin1String("BrowseDirectChildren")))
        return response.fail(UpnpError::InvalidArgs, QStringLiteral("Invalid or Missing Args"));
    if (!m_delegate)
        return response.fail(UpnpError::ActionFailed, QStringLiteral("Action Failed"));
    UpnpBrowseResult result;
    const int error = flag == QLatin1String("BrowseMetadata")
                          ? m_delegate->onBrowseMetadata(browse, result)
                          : m_delegate->onBrowseDirectChildren(browse, result);
    // After the delegate: a change this Browse found is counted in.
    result.updateId = m_systemUpdateId;
    answer(error, result, response);
}

void UpnpMediaServer::search(const UpnpActionRequest &request, UpnpActionResponse &response)
{
    UpnpBrowseRequest browse;
    if (!readCommon(request, QStringLiteral("ContainerID"), &browse) ||
        !request.has(QStringLiteral("SearchCriteria")))
        return response.fail(UpnpError::InvalidArgs, QStringLiteral("Invalid or Missing Args"));
    if (!m_delegate)
        return response.fail(UpnpError::ActionFailed, QStringLiteral("Action Failed"));
    browse.searchCriteria = request.value(QStringLiteral("SearchCriteria"));
    UpnpBrowseResult result;
    const int error = m_delegate->onSearchContainer(browse, result);
    result.updateId = m_systemUpdateId;
    answer(error, result, response);
}

QString UpnpMediaServer::scpdFor(const UpnpService &service, const UpnpHttpRequest &request) const
{
    // Only clients that keep their places here are told they can.
    if (request.bookmarks && service.type == contentDirectoryType)
        return UpnpScpd::contentDirectory(true);
    return UpnpDeviceHost::scpdFor(service, request);
}

void UpnpMediaServer::setBookmark(const UpnpActionRequest &request, UpnpActionResponse &response)
{
    const QString objectId = request.value(QStringLiteral("ObjectID")).trimmed();
    bool ok = false;
    const quint32 seconds = request.value(QStringLiteral("PosSecond")).trimmed().toUInt(&ok);
    if (objectId.isEmpty() || !ok)
        return response.fail(UpnpError::InvalidArgs, QStringLiteral("Invalid or Missing Args"));
    if (!m_delegate)
        return response.fail(UpnpError::ActionFailed, QStringLiteral("Action Failed"));
    UpnpBookmarkRequest bookmark;
    bookmark.objectId = objectId;
    bookmark.seconds = seconds;
    bookmark.client = UpnpClientSignature::clientKey(request.peerAddress, request.userAgent);
    bookmark.bookmarks = request.bookmarks;
    switch (const int error = m_delegate->onSetBookmark(bookmark)) {
    case 0:
        return;
    case UpnpError::NoSuchObject:
        return response.fail(error, QStringLiteral("No Such Object."));
    case UpnpError::InvalidAction:
        return response.fail(error, QStringLiteral("Invalid Action"));
    default:
        return response.fail(UpnpError::ActionFailed, QStringLiteral("Action Failed"));
    }
}

bool UpnpMediaServer::processFileRequest(const UpnpHttpRequest &request, UpnpHttpResponse &response)
{
    return m_delegate && m_delegate->processFileRequest(request, response);
}
