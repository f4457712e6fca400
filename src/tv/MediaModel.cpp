#include "tv/MediaModel.h"
#include "core/Logging.h"
#include "tv/FileStamp.h"
#include "tv/FolderWatcher.h"
#include "tv/HeaderDuration.h"
#include "tv/SharedFolder.h"
#include "tv/TvSubtitles.h"

#include "tv/MetaDataGatherer.h"

#include <QDateTime>
#include <QDebug>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

namespace {

// How old a folder's change must be before a listing can be trusted to
// have seen it (file times move in coarse steps).
constexpr qint64 kSettleMs = 1000;

} // namespace

const QStringList MediaModel::rootAliases = {QStringLiteral("0"), QStringLiteral("15"),
                                             QStringLiteral("16"), QStringLiteral("13"),
                                             QStringLiteral("4")};

MediaModel::MediaModel(QObject *parent)
    : QObject(parent), m_gatherer(std::make_unique<MetaDataGatherer>(&m_lock)),
      m_watcher(std::make_unique<FolderWatcher>())
{
    m_thread.setObjectName(QStringLiteral("tv tree"));
    m_watcher->moveToThread(&m_thread);
    connect(m_watcher.get(), &FolderWatcher::foldersChanged, m_watcher.get(),
            [this](const QStringList &folders) {
                for (const QString &folder : folders)
                    relist(folder);
            });
    connect(m_gatherer.get(), &MetaDataGatherer::gathered, this, &MediaModel::probeEnded,
            Qt::DirectConnection);
    m_gatherer->setCacheFile(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                             QStringLiteral("/tv-probes.cache"));
    m_thread.start();
}

MediaModel::~MediaModel()
{
    m_thread.quit();
    m_thread.wait();
    m_watcher.reset();
    m_gatherer->abort();
    m_gatherer.reset();
}

void MediaModel::setRoot(const QString &path)
{
    m_gatherer->abort();
    m_watcher->clear();
    {
        // Listings of the old tree end first.
        QMutexLocker listing(&m_listingLock);
        while (!m_listing.isEmpty())
            m_listed.wait(&m_listingLock);
    }
    quint64 generation;
    {
        QMutexLocker locker(&m_lock);
        generation = ++m_generation;
        m_removed.clear();
        m_awaited.clear();
        m_ids.clear();
        m_folders.clear();
        m_root = std::make_unique<MediaNode>(QFileInfo(path).absoluteFilePath(), MediaNode::Folder,
                                             nullptr);
        m_root->objectId = QStringLiteral("0");
        m_folders.insert(m_root->path(), m_root.get());
    }
    QMetaObject::invokeMethod(
        m_watcher.get(),
        [this, generation] {
            MediaNode *root = nullptr;
            {
                QMutexLocker locker(&m_lock);
                if (generation == m_generation)
                    root = m_root.get();
            }
            if (root)
                ensureCurrent(root);
        },
        Qt::QueuedConnection);
}

void MediaModel::setWatchDelay(int ms)
{
    m_watcher->setDelay(ms);
}

bool MediaModel::isWatched(const QString &objectId) const
{
    const MediaNodeInfo folder = nodeInfo(objectId);
    return folder.isFolder && m_watcher->isWatching(folder.path);
}

QString MediaModel::rootPath() const
{
    QMutexLocker locker(&m_lock);
    return m_root ? m_root->path() : QString();
}

MediaNode *MediaModel::nodeByIdLocked(const QString &objectId) const
{
    if (rootAliases.contains(objectId))
        return m_root.get();
    bool ok = false;
    objectId.toULongLong(&ok);
    if (!ok)
        return nullptr;
    return m_ids.value(objectId);
}

QString MediaModel::uniqueObjectId(const QString &path) const
{
    // Ids come from the whole path, so same-named files in different folders
    // differ; a hash collision moves on to the next free number.
    quint64 value = qHash(path, 0);
    for (;;) {
        const QString id = QString::number(value);
        if (!rootAliases.contains(id) && !m_ids.contains(id))
            return id;
        ++value;
    }
}

MediaNodeInfo MediaModel::infoLocked(const MediaNode *node) const
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
    if (node->fragmentRevision == node->revision) {
        info.fragment = node->fragment;
        info.fragmentContext = node->fragmentContext;
    }
    return info;
}

MediaNodeInfo MediaModel::nodeInfo(const QString &objectId) const
{
    QMutexLocker locker(&m_lock);
    return infoLocked(nodeByIdLocked(objectId));
}

bool MediaModel::childInfos(const QString &objectId, QList<MediaNodeInfo> *children)
{
    return childPage(objectId, 0, 0, children, nullptr);
}

bool MediaModel::childPage(const QString &objectId, qsizetype first, qsizetype count,
                           QList<MediaNodeInfo> *page, qsizetype *total)
{
    MediaNode *node = nullptr;
    {
        QMutexLocker locker(&m_lock);
        node = nodeByIdLocked(objectId);
        if (!node || !node->isFolder())
            return false;
    }
    const bool listedNow = ensureCurrent(node);
    {
        QMutexLocker locker(&m_lock);
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
    }
    // Just listed: the files were looked at a moment ago.
    if (!listedNow)
        checkFiles(page);
    return true;
}

void MediaModel::checkFiles(QList<MediaNodeInfo> *nodes)
{
    QStringList changedFolders;
    for (MediaNodeInfo &info : *nodes) {
        if (!info.valid || info.isFolder)
            continue;
        const FileStamp stamp = FileStamp::of(info.path);
        if (stamp.exists && !stamp.folder && stamp.size == info.size &&
            stamp.modifiedMs() == info.modified)
            continue;
        QMutexLocker locker(&m_lock);
        MediaNode *node = m_ids.value(info.objectId);
        if (!node || node->path() != info.path) {
            info.valid = false;
            continue;
        }
        if (!stamp.exists || stamp.folder) {
            // Gone without its folder telling yet: listed again next time.
            node->parent->listedNs = -1;
            info.valid = false;
            continue;
        }
        updateFile(node, stamp);
        info = infoLocked(node);
        if (!changedFolders.contains(node->parent->objectId))
            changedFolders.append(node->parent->objectId);
    }
    for (const QString &folder : std::as_const(changedFolders))
        Q_EMIT folderChanged(folder);
}

void MediaModel::keepFragment(const MediaNodeInfo &info, const QString &context,
                              const QByteArray &fragment)
{
    QMutexLocker locker(&m_lock);
    MediaNode *node = m_ids.value(info.objectId);
    if (!node || node->revision != info.revision || node->path() != info.path)
        return; // changed meanwhile
    node->fragment = fragment;
    node->fragmentContext = context;
    node->fragmentRevision = node->revision;
}

void MediaModel::updateFile(MediaNode *node, const FileStamp &stamp)
{
    {
        QMutexLocker locker(&m_lock);
        node->size = stamp.size;
        node->modified = stamp.modifiedMs();
        node->created = stamp.createdMs;
        node->forgetProbe();
    }
    m_gatherer->cancel(node);
    m_gatherer->gather(node);
}

bool MediaModel::ensureCurrent(MediaNode *node)
{
    for (;;) {
        QString path;
        bool current;
        qint64 listedNs;
        {
            QMutexLocker locker(&m_lock);
            if (node->gone)
                return false;
            // A listing younger than the file system's time steps may have
            // missed a change made in the same step: it is checked again.
            const bool settled = node->listedAt - node->listedNs / 1000000 >= kSettleMs;
            current = node->fetched && settled;
            listedNs = node->listedNs;
            path = node->path();
        }
        if (current && FileStamp::of(path).modifiedNs == listedNs)
            return false;
        if (beginListing(node)) {
            syncFolder(node);
            endListing(node);
            return true;
        }
        // Another thread listed it meanwhile: look again.
    }
}

void MediaModel::relist(const QString &path)
{
    MediaNode *node;
    {
        QMutexLocker locker(&m_lock);
        node = m_folders.value(path);
        if (!node || !node->fetched)
            return;
    }
    // A listing running now may have started before the change.
    while (!beginListing(node)) {
    }
    syncFolder(node);
    endListing(node);
}

bool MediaModel::beginListing(MediaNode *node)
{
    QMutexLocker locker(&m_listingLock);
    if (!m_listing.contains(node)) {
        m_listing.insert(node);
        return true;
    }
    while (m_listing.contains(node))
        m_listed.wait(&m_listingLock);
    return false;
}

void MediaModel::endListing(MediaNode *node)
{
    QMutexLocker locker(&m_listingLock);
    m_listing.remove(node);
    m_listed.wakeAll();
}

void MediaModel::dropLocked(MediaNode *node, QSet<MediaNode *> *dropped, QStringList *folders)
{
    node->gone = true;
    if (node->isFolder() && m_folders.value(node->path()) == node) {
        m_folders.remove(node->path());
        folders->append(node->path());
    }
    if (m_ids.value(node->objectId) == node)
        m_ids.remove(node->objectId);
    dropped->insert(node);
    for (MediaNode *child : std::as_const(node->children))
        dropLocked(child, dropped, folders);
}

QList<MediaModel::Entry> MediaModel::listFolder(const QString &root, const QString &path)
{
    // Plain iteration (the entry types come with the listing) and our own
    // ordering: folders first, then by name.
    QList<Entry> entries;
    QSet<QString> videoNames;
    QStringList subtitlePaths;
    // Links that lead out of the shared folder are not listed.
    if (!SharedFolder::contains(root, path))
        return entries;
    QDirIterator it(path, QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const QString name = info.fileName();
        if (name.startsWith(QLatin1Char('.')))
            continue; // hidden
        if (info.isSymLink() && !SharedFolder::contains(root, info.filePath()))
            continue;
        const QString suffix = info.suffix().toLower();
        // One stat per entry, without the local time conversions of QFileInfo.
        const FileStamp stamp = FileStamp::of(info.filePath());
        const bool folder = stamp.folder;
        if (stamp.exists && !folder && SubtitleFile::isSubtitleSuffix(suffix)) {
            subtitlePaths.append(info.filePath());
            continue;
        }
        if (!stamp.exists || (!folder && !MediaNode::mediaSuffixes().contains(suffix)))
            continue;
        if (!folder && !isPictureSuffix(suffix)) {
            videoNames.insert(info.completeBaseName());
            videoNames.insert(name);
        }
        entries.append({info.filePath(), name, folder, folder ? 0 : stamp.size, stamp.modifiedMs(),
                        stamp.createdMs});
    }
    // The library's own pictures of a video ("<video>-thumb.jpg", "-cover.jpg",
    // named after its base name or its whole file name).
    static const QRegularExpression own(QStringLiteral("^(.*)-(?:thumb|cover)\\.jpg$"),
                                        QRegularExpression::CaseInsensitiveOption);
    entries.removeIf([&videoNames](const Entry &entry) {
        if (entry.folder || !entry.name.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive))
            return false;
        const QRegularExpressionMatch match = own.match(entry.name);
        return match.hasMatch() && videoNames.contains(match.captured(1));
    });
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.folder != b.folder ? a.folder : a.name < b.name;
    });
    // A video's subtitle files beside it ("Clip.en.srt" for "Clip.mp4").
    if (!subtitlePaths.isEmpty()) {
        const auto subtitles = SubtitleFile::byVideoBaseName(subtitlePaths);
        for (Entry &entry : entries) {
            const qsizetype dot = entry.name.lastIndexOf(QLatin1Char('.'));
            if (!entry.folder && dot > 0 && !isPictureSuffix(entry.name.mid(dot + 1).toLower()))
                entry.subtitles = TvSubtitles::servable(subtitles.value(entry.name.left(dot)));
        }
    }
    return entries;
}

bool MediaModel::isPictureSuffix(const QString &suffix)
{
    static const QStringList pictures = {
        QStringLiteral("gif"),  QStringLiteral("png"), QStringLiteral("tif"),
        QStringLiteral("tiff"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
        QStringLiteral("jpe"),  QStringLiteral("jp2"), QStringLiteral("bmp")};
    return pictures.contains(suffix);
}

void MediaModel::syncFolder(MediaNode *node)
{
    QString root;
    QString path;
    bool relisting;
    {
        QMutexLocker locker(&m_lock);
        if (node->gone)
            return;
        root = m_root ? m_root->path() : QString();
        path = node->path();
        relisting = node->fetched;
    }
    // Watched and timed before the listing, so a change made while listing
    // is told, and shows as a newer time next time.
    m_watcher->watch(path);
    const qint64 listedAt = QDateTime::currentMSecsSinceEpoch();
    const FileStamp folder = FileStamp::of(path);
    const QList<Entry> entries = listFolder(root, path);

    QList<MediaNode *> added;
    QList<MediaNode *> updated;
    QSet<MediaNode *> dropped;
    QStringList unwatched;
    bool subtitlesChanged = false;
    {
        QMutexLocker locker(&m_lock);
        if (node->gone)
            return;
        QHash<QString, MediaNode *> old;
        old.reserve(node->children.size());
        for (MediaNode *child : std::as_const(node->children))
            old.insert(child->name(), child);
        QList<MediaNode *> children;
        children.reserve(entries.size());
        for (const Entry &entry : entries) {
            MediaNode *child = old.take(entry.name);
            if (child && child->isFolder() == entry.folder) {
                if (!child->isFolder() &&
                    (child->size != entry.size || child->modified != entry.modified)) {
                    child->size = entry.size;
                    child->modified = entry.modified;
                    child->created = entry.created;
                    child->forgetProbe();
                    updated.append(child);
                }
                if (!child->isFolder() && child->subtitles != entry.subtitles) {
                    child->subtitles = entry.subtitles;
                    ++child->revision; // its item shows other subtitles
                    subtitlesChanged = true;
                }
                children.append(child);
                continue;
            }
            if (child) { // a file became a folder or the other way round
                dropLocked(child, &dropped, &unwatched);
                m_removed.emplace_back(child);
            }
            auto *fresh =
                new MediaNode(entry.path, entry.folder ? MediaNode::Folder : MediaNode::File, node);
            fresh->size = entry.size;
            fresh->modified = entry.modified;
            fresh->created = entry.created;
            fresh->subtitles = entry.subtitles;
            fresh->objectId = uniqueObjectId(entry.path);
            m_ids.insert(fresh->objectId, fresh);
            if (entry.folder)
                m_folders.insert(entry.path, fresh);
            children.append(fresh);
            added.append(fresh);
        }
        for (MediaNode *child : std::as_const(old)) {
            dropLocked(child, &dropped, &unwatched);
            m_removed.emplace_back(child);
        }
        node->children = children;
        node->fetched = true;
        node->listedNs = folder.modifiedNs;
        node->listedAt = listedAt;
    }
    if (!dropped.isEmpty())
        m_gatherer->cancel(dropped);
    for (const QString &gone : std::as_const(unwatched))
        m_watcher->unwatch(gone);
    if (!updated.isEmpty())
        m_gatherer->cancel(QSet<MediaNode *>(updated.cbegin(), updated.cend()));
    m_gatherer->gather(updated + added);
    if (relisting &&
        (!added.isEmpty() || !updated.isEmpty() || !dropped.isEmpty() || subtitlesChanged))
        Q_EMIT folderChanged(node->objectId);
}

void MediaModel::waitForMetaData(const QStringList &ahead, const QStringList &awaited,
                                 QDeadlineTimer deadline)
{
    auto unprobed = [this](const QStringList &ids) {
        QList<MediaNode *> nodes;
        for (const QString &id : ids) {
            MediaNode *node = nodeByIdLocked(id);
            if (node && !node->isFolder() && !node->probed)
                nodes.append(node);
        }
        return nodes;
    };
    QList<MediaNode *> first;
    QList<MediaNode *> waited;
    {
        QMutexLocker locker(&m_lock);
        first = unprobed(ahead);
        waited = unprobed(awaited);
    }
    if (!first.isEmpty())
        m_gatherer->waitFor(first, waited, deadline);
}

void MediaModel::announceWhenProbed(const QString &folderId, const QStringList &fileIds)
{
    QMutexLocker locker(&m_lock);
    Awaited awaited{folderId, {}};
    for (const QString &id : fileIds) {
        const MediaNode *node = nodeByIdLocked(id);
        if (node && !node->isFolder() && !node->probed)
            awaited.files.insert(node);
    }
    if (awaited.files.isEmpty())
        return;
    // One announcement per folder, when all its awaited files are probed.
    for (Awaited &folder : m_awaited) {
        if (folder.folderId == folderId) {
            folder.files.unite(awaited.files);
            return;
        }
    }
    m_awaited.append(awaited);
}

void MediaModel::probeEnded()
{
    QStringList folders;
    {
        QMutexLocker locker(&m_lock);
        for (auto it = m_awaited.begin(); it != m_awaited.end();) {
            it->files.removeIf([](const MediaNode *node) { return node->probed || node->gone; });
            if (it->files.isEmpty()) {
                if (!folders.contains(it->folderId))
                    folders.append(it->folderId);
                it = m_awaited.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const QString &folder : std::as_const(folders))
        Q_EMIT folderChanged(folder);
}

void MediaModel::readHeaderDurations(QList<MediaNodeInfo> *nodes)
{
    for (MediaNodeInfo &info : *nodes) {
        if (!info.valid || info.isFolder || info.probed || info.headerRead || info.durationMs >= 0)
            continue;
        const bool picture = isPictureSuffix(QFileInfo(info.name).suffix().toLower());
        const double seconds = picture ? -1 : HeaderDuration::read(info.path);
        QMutexLocker locker(&m_lock);
        MediaNode *node = m_ids.value(info.objectId);
        if (!node || node->path() != info.path)
            continue;
        if (!node->probed && !node->headerRead) {
            node->headerRead = true;
            if (seconds > 0)
                node->setDuration(seconds);
        }
        info = infoLocked(node);
    }
}
