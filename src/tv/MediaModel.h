#pragma once

#include "tv/MediaNode.h"
#include "tv/MediaNodeInfo.h"

#include <QAbstractItemModel>
#include <QDeadlineTimer>
#include <QHash>
#include <QRecursiveMutex>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class FolderWatcher;
class MetaDataGatherer;
struct FileStamp;

// The library folder as a lazily listed tree of folders and media files.
// It lives in the GUI thread, which alone grows it; the server threads read
// it through the *Info calls, which copy nodes under the tree's lock.
class MediaModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    // Fixed containers of game consoles that mean the root.
    static const QStringList rootAliases;

    explicit MediaModel(QObject *parent = nullptr);
    ~MediaModel() override;

    void setRoot(const QString &path);
    MediaNode *root() const { return m_root.get(); }
    // GUI thread only.
    MediaNode *nodeById(const QString &objectId) const;
    MetaDataGatherer *gatherer() const { return m_gatherer.get(); }

    // Any thread: the shared folder's path.
    QString rootPath() const;
    // Any thread: a copy of the node, invalid when the id is unknown.
    MediaNodeInfo nodeInfo(const QString &objectId) const;
    // Any thread: the folder's children, listing it first when needed.
    // False when the id is unknown or not a folder.
    bool childInfos(const QString &objectId, QList<MediaNodeInfo> *children);
    // Any thread: at most `count` children (0: all) from `first` on, and the
    // number of children in `total`. A folder that changed on disk since it
    // was listed is listed again first; the page's files pass checkFiles().
    // `page` may be null (the count only).
    bool childPage(const QString &objectId, qsizetype first, qsizetype count,
                   QList<MediaNodeInfo> *page, qsizetype *total);
    // Any thread: files that changed since they were listed are probed anew
    // (and their copies refreshed); vanished ones become invalid copies and
    // their folder is listed again on its next use.
    void checkFiles(QList<MediaNodeInfo> *nodes);
    // Any thread: keeps the DIDL-Lite written for the node's copy, unless the
    // node changed since the copy was taken.
    void keepFragment(const MediaNodeInfo &info, const QString &context, const QString &fragment);
    QRecursiveMutex *treeLock() const { return &m_lock; }
    // Any thread, not holding the tree lock: probes the `ahead` files first
    // and waits (until `deadline`) for those of the `awaited` files that
    // have not been probed yet.
    void waitForMetaData(const QStringList &ahead, const QStringList &awaited,
                         QDeadlineTimer deadline);
    // Any thread: files neither probed nor timed yet take the play length
    // their header tells (looked for once per file); the copies follow.
    void readHeaderDurations(QList<MediaNodeInfo> *nodes);
    // How long a listing may wait for probes (ms).
    int probeBudget() const { return m_probeBudget; }
    void setProbeBudget(int ms) { m_probeBudget = ms; }
    // How long changes on disk of listed folders are gathered before they
    // are listed again (ms).
    void setWatchDelay(int ms);

    struct Entry
    {
        QString path;
        QString name;
        bool folder;
        qint64 size;
        qint64 modified;
        qint64 created;
    };
    // What a folder shows, in tree order: sub-folders and media files, not
    // hidden ones, links leading out of `root`, nor the library's own
    // pictures of a video.
    static QList<Entry> listFolder(const QString &root, const QString &path);
    static bool isPictureSuffix(const QString &suffix);

    // While off, other threads do not wait for listings (the model's thread
    // may be busy stopping the server that waits for them).
    void setRemoteFetchesEnabled(bool enabled) { m_remoteFetches = enabled; }

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    QModelIndex indexOf(MediaNode *node) const;

Q_SIGNALS:
    // A folder listed before shows other content now: entries added, removed
    // or rewritten. Emitted in the thread that noticed it.
    void folderChanged(const QString &objectId);

public Q_SLOTS:
    void metaDataGathered();

private:
    MediaNode *nodeOf(const QModelIndex &index) const;
    MediaNode *nodeByIdLocked(const QString &objectId) const;
    MediaNodeInfo infoLocked(const MediaNode *node) const;
    // Model thread: inserts the nodes as rows from `row` on.
    void insertNodes(MediaNode *parent, int row, const QList<MediaNode *> &nodes);
    // Model thread: takes the rows out; their nodes live on, out of the tree.
    void removeNodes(MediaNode *parent, int first, int count);
    void fetchFolder(MediaNode *node);
    // Model thread: brings the folder's children in line with the disk.
    void syncFolder(MediaNode *node);
    // Any thread: lists the folder when it is new or changed on disk.
    void ensureCurrent(MediaNode *node);
    // Runs `work` in the model's thread, waiting for it from other threads.
    void runInModelThread(const std::function<void()> &work, const QString &path);
    // A file changed on disk: new stamp, probe results dropped, probed anew.
    void updateFile(MediaNode *node, const FileStamp &stamp);
    QString uniqueObjectId(const QString &path) const;

    mutable QRecursiveMutex m_lock;
    std::unique_ptr<MediaNode> m_root;
    QHash<QString, MediaNode *> m_ids;
    std::unique_ptr<MetaDataGatherer> m_gatherer;
    std::unique_ptr<FolderWatcher> m_watcher;
    // Nodes taken out of the tree: server threads and probes may still
    // point at them until the next root.
    std::vector<std::unique_ptr<MediaNode>> m_removed;
    int m_counter = 0;
    quint64 m_generation = 0;
    std::atomic<bool> m_remoteFetches{true};
    std::atomic<int> m_probeBudget{5000};
};
