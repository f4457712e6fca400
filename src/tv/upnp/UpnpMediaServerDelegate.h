#pragma once

#include "tv/upnp/UpnpHttpRequest.h"
#include "tv/upnp/UpnpHttpResponse.h"

#include <QString>

struct UpnpBrowseRequest
{
    QString objectId;
    QString filter;
    quint32 startingIndex = 0;
    quint32 requestedCount = 0; // 0: no limit
    QString sortCriteria;
    QString searchCriteria;
    int clientSignature = 0;
    // Items carry their play position (sec:dcmInfo BM=seconds).
    bool bookmarks = false;
    QHostAddress localAddress;
    quint16 serverPort = 0;
};

struct UpnpBrowseResult
{
    QString result;
    // The same DIDL-Lite document escaped for the envelope, in UTF-8; used
    // instead of `result` when not empty (large answers are built this way).
    QByteArray escapedResult;
    quint32 numberReturned = 0;
    quint32 totalMatches = 0;
    quint32 updateId = 0;
};

struct UpnpBookmarkRequest
{
    QString objectId;
    quint32 seconds = 0;
    // Who asks (address and user agent), and whether its signature speaks bookmarks.
    QString client;
    bool bookmarks = false;
};

// What a media server asks of its content: ContentDirectory answers (0 or a
// UPnP error code) and the media files themselves. Called on server threads.
class UpnpMediaServerDelegate
{
public:
    virtual ~UpnpMediaServerDelegate() = default;
    virtual int onBrowseMetadata(const UpnpBrowseRequest &request, UpnpBrowseResult &result) = 0;
    virtual int onBrowseDirectChildren(const UpnpBrowseRequest &request,
                                       UpnpBrowseResult &result) = 0;
    virtual int onSearchContainer(const UpnpBrowseRequest &request, UpnpBrowseResult &result) = 0;
    virtual bool processFileRequest(const UpnpHttpRequest &request, UpnpHttpResponse &response) = 0;
    // X_SetBookmark: where the client stopped playing an item (0 or a UPnP error).
    virtual int onSetBookmark(const UpnpBookmarkRequest &request)
    {
        Q_UNUSED(request);
        return 401;
    }
};
