#include "tv/MediaTree.h"

#include "tv/FileStamp.h"
#include "tv/MediaModel.h"

#include <QMutexLocker>
#include <QSet>

namespace {

// How old a folder's change must be before a listing can be trusted to
// have seen it (file times move in coarse steps).
constexpr qint64 kSettleMs = 1000;

} // namespace

MediaTree::MediaTree() = default;
MediaTree::~MediaTree() = default;

void MediaTree::reset(const QString &rootPath)
{
    QMutexLocker locker(&m_lock);
    m_ids.clear();
    m_folders.clear();
    m_root = std::make_unique<MediaNode>(rootPath, MediaNode::Folder, nullptr);
    m_root->objectId = QStringLiteral("0");
    stampLocked(m_root.get());
    m_folders.insert(m_root->path(), m_root.get());
}

QString MediaTree::rootPath() const
{
    QMutexLocker locker(&m_lock);
    return m_root ? m_root->path() : QString();
}

MediaNode *MediaTree::nodeByIdLocked(const QString &objectId) const
{
    if (MediaModel::rootAliases.contains(objectId))
        return m_root.get();
    bool ok = false;
    objectId.toULongLong(&ok);
    if (!ok)
        return nullptr;
    return m_ids.value(objectId);
}

QString MediaTree::uniqueObjectId(const QString &path) const
{
    // Ids come from the whole path, so same-named files in different folders
    // differ; a hash collision moves on to the next free number. Folded to
    // 32 bits: an id is written several times into every item of an answer.
    const quint64 hash = qHash(path, 0);
    quint64 value = quint32(hash ^ (hash >> 32));
    for (;;) {
        const QString id = QString::number(value);
        if (!MediaModel::rootAliases.contains(id) && !m_ids.contains(id))
            return id;
        ++value;
    }
}

MediaNodeInfo MediaTree::infoLocked(const MediaNode *node) const
{
    MediaNodeInfo info;
    if (!node)
        return info;
    info.valid = true;
    info.isRoot = node == m_root.get();
    info.isFolder = node->isFolder();
    info.objectId = node->objectId;
    info.parentId = node->parent ? node->parent->objectId : QStringLiteral("-1");
    info.path = node->path();
    info.name = node->name();
    info.size = node->size;
    info.modified = node->modified;
    info.created = node->created;
    info.subtitles = node->subtitles;
    info.childCount = node->fetched ? int(node->children.size()) : -1;
    info.probed = node->probed;
    info.headerRead = node->headerRead;
    info.durationMs = node->durationMs;
    info.format = node->format;
    info.codec = node->codec;
    info.media = node->media;
    info.thumbnail = node->thumbnail;
    info.thumbnailSize = node->thumbnailSize;
    info.needsTranscoding = node->needsTranscoding();
    info.revision = node->revision;
    return info;
}

MediaNodeInfo MediaTree::info(const QString &objectId) const
{
    QMutexLocker locker(&m_lock);
    return infoLocked(nodeByIdLocked(objectId));
}

QString MediaTree::folderPath(const QString &objectId) const
{
    QMutexLocker locker(&m_lock);
    const MediaNode *node = nodeByIdLocked(objectId);
    return node && node->isFolder() ? node->path() : QString();
}

MediaTree::FolderState MediaTree::folderState(const QString &path) const
{
    QMutexLocker locker(&m_lock);
    const MediaNode *node = m_folders.value(path);
    FolderState state;
    if (!node)
        return state;
    state.known = true;
    // A listing younger than the file system's time steps may have missed
    // a change made in the same step: it is checked again.
    const bool settled = node->listedAt - node->listedNs / 1000000 >= kSettleMs;
    state.fetched = node->fetched;
    state.current = node->fetched && settled;
    state.listedNs = node->listedNs;
    return state;
}

bool MediaTree::page(const QString &folderPath, qsizetype first, qsizetype count,
                     QList<MediaNodeInfo> *page, qsizetype *total) const
{
    QMutexLocker locker(&m_lock);
    const MediaNode *node = m_folders.value(folderPath);
    if (!node)
        return false;
    const qsizetype size = node->children.size();
    if (total)
        *total = size;
    if (!page)
        return true;
    const qsizetype from = qBound(qsizetype(0), first, size);
    const qsizetype to = count <= 0 ? size : qMin(size, from + count);
    page->reserve(page->size() + to - from);
    for (qsizetype i = from; i < to; ++i)
        page->append(infoLocked(node->children.at(i)));
    return true;
}

void MediaTree::forgetLocked(MediaNode *node, ListingChange *change)
{
    if (node->isFolder() && m_folders.value(node->path()) == node) {
        m_folders.remove(node->path());
        change->unwatched.append(node->path());
    }
    if (m_ids.value(node->objectId) == node)
        m_ids.remove(node->objectId);
    if (!node->isFolder())
        change->dropped.append(node->objectId);
    for (MediaNode *child : std::as_const(node->children))
        forgetLocked(child, change);
}

MediaTree::ListingChange MediaTree::applyListing(const QString &folderPath,
                                                 const QList<MediaEntry> &entries, qint64 folderNs,
                                                 qint64 listedAt)
{
    ListingChange change;
    QMutexLocker locker(&m_lock);
    MediaNode *node = m_folders.value(folderPath);
    if (!node)
        return change; // left the tree meanwhile
    change.applied = true;
    change.relisted = node->fetched;
    change.objectId = node->objectId;
    QHash<QString, MediaNode *> old;
    old.reserve(node->children.size());
    for (MediaNode *child : std::as_const(node->children))
        old.insert(child->name(), child);
    QList<MediaNode *> children;
    children.reserve(entries.size());
    // Nothing outside the tree holds a node: the ones that leave go at once.
    std::vector<std::unique_ptr<MediaNode>> leaving;
    auto probe = [&change](const MediaNode *file) {
        change.probe.append({file->objectId, file->path(), file->size, file->modified});
    };
    for (const MediaEntry &entry : entries) {
        MediaNode *child = old.take(entry.name);
        if (child && child->isFolder() == entry.folder) {
            if (!child->isFolder() &&
                (child->size != entry.size || child->modified != entry.modified)) {
                child->size = entry.size;
                child->modified = entry.modified;
                child->created = entry.created;
                child->forgetProbe();
                stampLocked(child);
                change.dropped.append(child->objectId);
                probe(child);
                change.changed = true;
            }
            if (!child->isFolder() && child->subtitles != entry.subtitles) {
                child->subtitles = entry.subtitles;
                stampLocked(child); // its item shows other subtitles
                change.changed = true;
            }
            children.append(child);
            continue;
        }
        if (child) { // a file became a folder or the other way round
            forgetLocked(child, &change);
            leaving.emplace_back(child);
        }
        auto *fresh =
            new MediaNode(entry.path, entry.folder ? MediaNode::Folder : MediaNode::File, node);
        fresh->size = entry.size;
        fresh->modified = entry.modified;
        fresh->created = entry.created;
        fresh->subtitles = entry.subtitles;
        fresh->objectId = uniqueObjectId(entry.path);
        stampLocked(fresh);
        m_ids.insert(fresh->objectId, fresh);
        if (entry.folder)
            m_folders.insert(entry.path, fresh);
        else
            probe(fresh);
        children.append(fresh);
        change.changed = true;
    }
    for (MediaNode *child : std::as_const(old)) {
        forgetLocked(child, &change);
        leaving.emplace_back(child);
        change.changed = true;
    }
    node->children = children;
    node->fetched = true;
    node->listedNs = folderNs;
    node->listedAt = listedAt;
    stampLocked(node);
    return change;
}

MediaTree::FileChange MediaTree::applyStamp(MediaNodeInfo *copy, const FileStamp &stamp,
                                            ProbeJob *job, QString *folderId)
{
    QMutexLocker locker(&m_lock);
    MediaNode *node = m_ids.value(copy->objectId);
    if (!node || node->path() != copy->path)
        return FileChange::Unknown;
    *folderId = node->parent->objectId;
    if (!stamp.exists || stamp.folder) {
        // Gone without its folder telling yet: listed again next time.
        node->parent->listedNs = -1;
        return FileChange::Vanished;
    }
    // Another thread may have taken the change in first: then it has
    // handed the file to the gatherer already.
    if (node->size != stamp.size || node->modified != stamp.modifiedMs()) {
        node->size = stamp.size;
        node->modified = stamp.modifiedMs();
        node->created = stamp.createdMs;
        node->forgetProbe();
        stampLocked(node);
        *job = {node->objectId, node->path(), node->size, node->modified};
    }
    *copy = infoLocked(node);
    return FileChange::Rewritten;
}

bool MediaTree::applyProbe(const ProbeJob &job, const ProbeCache::Entry &entry)
{
    QMutexLocker locker(&m_lock);
    MediaNode *node = m_ids.value(job.objectId);
    if (!node || node->path() != job.path || node->size != job.size ||
        node->modified != job.modified)
        return false; // gone, or changed since: probed again when that is seen
    node->probed = true;
    node->media = entry.media;
    node->setDuration(entry.media.duration);
    node->format = entry.media.containerName();
    node->codec = entry.media.videoDescription;
    node->thumbnail = entry.thumbnail;
    node->thumbnailSize = entry.thumbnailSize;
    stampLocked(node);
    return true;
}

void MediaTree::applyHeaderDuration(MediaNodeInfo *copy, double seconds)
{
    QMutexLocker locker(&m_lock);
    MediaNode *node = m_ids.value(copy->objectId);
    if (!node || node->path() != copy->path)
        return;
    if (!node->probed && !node->headerRead) {
        node->headerRead = true;
        if (seconds > 0)
            node->setDuration(seconds);
        stampLocked(node);
    }
    *copy = infoLocked(node);
}

QStringList MediaTree::unprobed(const QStringList &ids) const
{
    QMutexLocker locker(&m_lock);
    QStringList files;
    for (const QString &id : ids) {
        const MediaNode *node = nodeByIdLocked(id);
        if (node && !node->isFolder() && !node->probed)
            files.append(id);
    }
    return files;
}

bool MediaTree::isSettled(const QString &objectId) const
{
    QMutexLocker locker(&m_lock);
    const MediaNode *node = m_ids.value(objectId);
    return !node || node->probed;
}
