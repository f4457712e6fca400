#pragma once

#include "tv/MediaNodeInfo.h"
#include "tv/upnp/UpnpDidlObject.h"
#include "tv/upnp/UpnpFileMediaServerDelegate.h"

#include <QHash>
#include <QObject>

#include <memory>

class LibraryStore;
class MediaModel;
class TvBookmarks;

// The ContentDirectory of the media server over the media tree, and the
// serving of its files (plain, as thumbnails, or transcoded: TranscodeAnswer).
class ServerDelegate : public QObject, public UpnpFileMediaServerDelegate
{
    Q_OBJECT

public:
    // Keeps the TVs' bookmarks in `bookmarksFile`.
    explicit ServerDelegate(const QString &bookmarksFile, QObject *parent = nullptr);
    ~ServerDelegate() override;

    // Set before the server starts; the tree outlives the server's threads.
    void setMediaModel(MediaModel *model);
    // Where play positions are kept (the library's store; not owned, set
    // before the server starts, outlives it). Without one only the server's own places
    // are kept (those of served files the library does not hold).
    void setLibraryStore(LibraryStore *store);
    // The places televisions keep here, and their write allowances.
    TvBookmarks *bookmarks() const { return m_bookmarks.get(); }

    int onBrowseMetadata(const UpnpBrowseRequest &request, UpnpBrowseResult &result) override;
    int onBrowseDirectChildren(const UpnpBrowseRequest &request, UpnpBrowseResult &result) override;
    int onSearchContainer(const UpnpBrowseRequest &request, UpnpBrowseResult &result) override;
    bool processFileRequest(const UpnpHttpRequest &request, UpnpHttpResponse &response) override;
    int onSetBookmark(const UpnpBookmarkRequest &request) override;

    // Addresses offered in resource URLs: the one the request came in on first.
    static QList<QHostAddress> resourceAddresses(const QHostAddress &local);
    static QString resourcePath(const QString &objectId);
    // The resource path of a video converted for renderers that do not play
    // its own format (the stream a transcoded file gets).
    static QString convertedPath(const QString &objectId);
    // The resource path of a video's n-th subtitle file.
    static QString subtitlePath(const MediaNodeInfo &node, int index);

    // The node a Browse asks for, or the UPnP error to answer with.
    int lookUpBrowsedNode(const QString &objectId, MediaNodeInfo *node) const;
    // False when nothing can be built (a folder that is gone).
    bool buildFromMediaNode(const MediaNodeInfo &node, const UpnpBrowseRequest &request,
                            const QList<QHostAddress> &addresses, UpnpDidlObject *object,
                            int childCount = -1) const;

protected:
    bool extractResourcePath(const QByteArray &path, QString *resource) override;
    bool serveFile(const UpnpHttpRequest &request, const QString &resource,
                   UpnpHttpResponse &response) override;

private:
    // Waits (within the model's probe budget) for the files not probed yet
    // and takes their fresh copies. A page of a large folder (`folderSize`
    // children) is answered at once instead, its files probed first, and the
    // folder told again once they are.
    void waitForProbes(QList<MediaNodeInfo> &nodes, const UpnpBrowseRequest &request,
                       const QString &folderId = QString(), qsizetype folderSize = 0) const;
    int childCountOf(const MediaNodeInfo &node) const;
    // A console's folder of a video's versions (one per subtitle language,
    // one without), and a Browse of it or of one version.
    static UpnpDidlObject versionFolderOf(const MediaNodeInfo &node);
    int browseVersions(const UpnpBrowseRequest &request, bool metadata,
                       UpnpBrowseResult &result) const;
    // For a client that keeps places here: the stored places (ms) of the
    // nodes' files, by absolute path; empty for other clients.
    QHash<QString, qint64> bookmarksOf(const UpnpBrowseRequest &request,
                                       const QList<MediaNodeInfo> &nodes) const;
    static void addBookmark(UpnpDidlObject *object, const MediaNodeInfo &node,
                            const QHash<QString, qint64> &bookmarks);
    void serveThumbnail(const QString &objectId, UpnpHttpResponse &response) const;
    // "SUBTITLES/<object id>/<n>.<suffix>": the video's n-th subtitle file.
    void serveSubtitle(const UpnpHttpRequest &request, const QString &resource,
                       UpnpHttpResponse &response) const;

    MediaModel *m_model = nullptr;
    LibraryStore *m_store = nullptr;
    std::unique_ptr<TvBookmarks> m_bookmarks;
};
