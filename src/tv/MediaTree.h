#pragma once

#include "tv/MediaNode.h"
#include "tv/MediaNodeInfo.h"
#include "tv/ProbeCache.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <memory>

struct FileStamp;

// One entry of a folder as a listing saw it.
struct MediaEntry
{
    QString path;
    QString name;
    bool folder;
    qint64 size;
    qint64 modified;
    qint64 created;
    QList<SubtitleFile> subtitles; // of a video
};

// A file to probe as it was when it was handed out (the result is kept
// only while the file is still so).
struct ProbeJob
{
    QString objectId;
    QString path;
    qint64 size = 0;
    qint64 modified = 0;
};

// The nodes of the published tree and the one place that writes them: a
// listing, a probe result, a changed file or a play length read from a
// header is handed in as a value and applied here under the tree's lock.
// Nothing outside holds a node: readers get copies (MediaNodeInfo), and
// folders and files are named by path or object id. Every call may come
// from any thread and none calls out while holding the lock.
class MediaTree
{
public:
    MediaTree();
    ~MediaTree();
    MediaTree(const MediaTree &) = delete;
    MediaTree &operator=(const MediaTree &) = delete;

    // A new tree of one unlisted root folder (the old nodes go).
    void reset(const QString &rootPath);
    QString rootPath() const;

    // A copy of the node, invalid when the id is unknown.
    MediaNodeInfo info(const QString &objectId) const;
    // The folder's path, empty when the id names no folder.
    QString folderPath(const QString &objectId) const;

    struct FolderState
    {
        bool known = false;   // a folder of the tree
        bool fetched = false; // listed at least once
        bool current = false; // listed, and that listing can be trusted
        qint64 listedNs = 0;  // the folder's time when it was listed
    };
    FolderState folderState(const QString &path) const;
    // At most `count` children (0: all) from `first` on, and how many there
    // are. False when the folder is not (or no longer) in the tree.
    bool page(const QString &folderPath, qsizetype first, qsizetype count,
              QList<MediaNodeInfo> *page, qsizetype *total) const;

    // What applying a listing changed, for the caller to act on.
    struct ListingChange
    {
        bool applied = false;
        bool relisted = false; // listed before
        bool changed = false;  // entries added, removed or rewritten
        QString objectId;
        QList<ProbeJob> probe; // new or rewritten files not probed yet
        QStringList dropped;   // object ids of rewritten or removed files
        QStringList unwatched; // folders that left the tree
    };
    ListingChange applyListing(const QString &folderPath, const QList<MediaEntry> &entries,
                               qint64 folderNs, qint64 listedAt);

    enum class FileChange
    {
        Unknown, // not (or no longer) this node
        Vanished,
        Rewritten
    };
    // A file seen with another stamp than its copy: the node takes it (and
    // forgets its probe), the copy is refreshed and `job` tells what to
    // probe (empty when another call took the change in first); a vanished
    // file has its folder listed again on its next use.
    FileChange applyStamp(MediaNodeInfo *copy, const FileStamp &stamp, ProbeJob *job,
                          QString *folderId);
    // Kept unless the file changed since the job was handed out.
    bool applyProbe(const ProbeJob &job, const ProbeCache::Entry &entry);
    // The play length a file's header told (seconds, not positive: none);
    // ignored once the file was probed. The copy is refreshed.
    void applyHeaderDuration(MediaNodeInfo *copy, double seconds);

    // Of the ids, the files not probed yet, in their order.
    QStringList unprobed(const QStringList &ids) const;
    // The file was probed or is gone.
    bool isSettled(const QString &objectId) const;

private:
    MediaNode *nodeByIdLocked(const QString &objectId) const;
    MediaNodeInfo infoLocked(const MediaNode *node) const;
    QString uniqueObjectId(const QString &path) const;
    void stampLocked(MediaNode *node) { node->revision = ++m_revisions; }
    // Takes the node and what is under it out of the indexes.
    void forgetLocked(MediaNode *node, ListingChange *change);

    mutable QMutex m_lock;
    std::unique_ptr<MediaNode> m_root;
    QHash<QString, MediaNode *> m_ids;
    QHash<QString, MediaNode *> m_folders; // listed or not, by path
    // Every change of a node takes the next number: a node's revision tells
    // apart every state it was ever in, across roots too.
    quint64 m_revisions = 0;
};
