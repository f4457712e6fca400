#pragma once

#include "tv/upnp/UpnpMediaServerDelegate.h"

// A delegate that serves files found under a URL root: it extracts the
// resource path from the request and serves plain files with GET, HEAD and
// byte ranges.
class UpnpFileMediaServerDelegate : public UpnpMediaServerDelegate
{
public:
    UpnpFileMediaServerDelegate(const QString &urlRoot, const QString &fileRoot);

    bool processFileRequest(const UpnpHttpRequest &request, UpnpHttpResponse &response) override;

    // The class prefix of the simple criteria game consoles send
    // ('upnp:class derivedfrom "object.item.videoItem"', "*" for all); false
    // for anything else.
    static bool parseSearchCriteria(const QString &criteria, QString *classPrefix);

    // GET/HEAD of a local file with an optional "Range: bytes=" header.
    static void serveLocalFile(const UpnpHttpRequest &request, const QString &path,
                               const QByteArray &mimeType, UpnpHttpResponse &response);

protected:
    virtual bool extractResourcePath(const QByteArray &path, QString *resource);
    virtual bool serveFile(const UpnpHttpRequest &request, const QString &resource,
                           UpnpHttpResponse &response) = 0;

    QString m_urlRoot;
    QString m_fileRoot;
};
