#pragma once

#include "tv/MediaNodeInfo.h"
#include "tv/MediaTree.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <memory>

class DidlCache;
class FolderWatcher;
class MetaDataGatherer;

// The library folder as a lazily listed tree of folders and media files,
// owned by the media server. Every call may come from any thread: the nodes
// live in the MediaTree, the only writer of them, and are handed out as
// copies (MediaNodeInfo). A folder is listed in the thread that first needs
// it (a Browse lists it in its server thread), one listing of a folder at a
// time; changes on disk are noticed and listed again in the tree's own
// thread, and files are probed by the gatherer's pool, whose results the
// tree applies. Nothing here runs in, or waits for, the thread that created
// the tree.
class MediaModel : public QObject
{
    Q_OBJECT

public:
    // Fixed containers of game consoles that mean the root.
    static const QStringList rootAliases;

    explicit MediaModel(QObject *parent = nullptr);
    ~MediaModel() override;

    // Before the server starts: the shared folder, listed first in the
    // tree's thread.
    void setRoot(const QString &path);
    MetaDataGatherer *gatherer() const { return m_gatherer.get(); }
    // The DIDL-Lite items written for the nodes, beside the tree.
    DidlCache *didlCache() const { return m_didl.get(); }

    // The shared folder's path.
    QString rootPath() const;
    // A copy of the node, invalid when the id is unknown.
    MediaNodeInfo nodeInfo(const QString &objectId) const;
    // The folder's children, listing it first when needed. False when the id
    // is unknown or not a folder.
    bool childInfos(const QString &objectId, QList<MediaNodeInfo> *children);
    // At most `count` children (0: all) from `first` on, and the number of
    // children in `total`. A folder never listed, or changed on disk since it
    // was listed, is listed first, so the answer is always the whole folder
    // as it is. The page's files pass checkFiles(). `page` may be null (the
    // count only).
    bool childPage(const QString &objectId, qsizetype first, qsizetype count,
                   QList<MediaNodeInfo> *page, qsizetype *total);
    // Files that changed since they were listed are probed anew (and their
    // copies refreshed); vanished ones become invalid copies and their folder
    // is listed again on its next use.
    void checkFiles(QList<MediaNodeInfo> *nodes);
    // Probes the `ahead` files first and waits (until `deadline`, or until
    // releaseWaits()) for those of the `awaited` files that have not been
    // probed yet.
    void waitForMetaData(const QStringList &ahead, const QStringList &awaited,
                         QDeadlineTimer deadline);
    // Answers waiting for probes now go on at once (the server stops).
    void releaseWaits();
    // Once every one of the files has been probed, folderChanged() tells the
    // folder again, so that clients that cached an answer made without those
    // probes ask anew.
    void announceWhenProbed(const QString &folderId, const QStringList &fileIds);
    // Files neither probed nor timed yet take the play length their header
    // tells (looked for once per file); the copies follow.
    void readHeaderDurations(QList<MediaNodeInfo> *nodes);
    // How long a listing may wait for probes (ms).
    int probeBudget() const { return m_probeBudget; }
    void setProbeBudget(int ms) { m_probeBudget = ms; }
    // How long changes on disk of listed folders are gathered before they
    // are listed again (ms).
    void setWatchDelay(int ms);
    // Whether the folder is watched for changes on disk now (it is, from its
    // first listing on, unless too many are).
    bool isWatched(const QString &objectId) const;

    using Entry = MediaEntry;
    // What a folder shows, in tree order: sub-folders and media files, not
    // hidden ones, links leading out of `root`, nor the library's own
    // pictures of a video.
    static QList<Entry> listFolder(const QString &root, const QString &path);
    static bool isPictureSuffix(const QString &suffix);

Q_SIGNALS:
    // A folder listed before shows other content now: entries added, removed
    // or rewritten. Emitted in the thread that noticed it.
    void folderChanged(const QString &objectId);

private:
    // Lists the folder when it is new or changed on disk; true when this
    // call listed it (its files were just looked at).
    bool ensureCurrent(const QString &path);
    // Lists the folder again whatever its state (it changed on disk).
    void relist(const QString &path);
    // One listing of a folder at a time: true when this thread may list it;
    // false after waiting for another thread's listing of it.
    bool beginListing(const QString &path);
    void endListing(const QString &path);
    // With the folder's listing claimed: brings its children in line with the disk.
    void syncFolder(const QString &path);
    // A probe ended: folders whose awaited files are all probed now are told.
    void probeEnded();

    MediaTree m_tree;
    std::unique_ptr<DidlCache> m_didl;
    std::atomic<quint64> m_generation{0};
    struct Awaited
    {
        QString folderId;
        QSet<QString> files;
    };
    QMutex m_awaitedLock;
    QList<Awaited> m_awaited;

    QMutex m_listingLock;
    QWaitCondition m_listed;
    QSet<QString> m_listing; // folders being listed, by path

    std::unique_ptr<MetaDataGatherer> m_gatherer;
    QThread m_thread;
    std::unique_ptr<FolderWatcher> m_watcher; // lives in m_thread
    std::atomic<int> m_probeBudget{5000};
};
