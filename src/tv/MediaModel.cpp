#include "tv/MediaModel.h"
#include "core/Logging.h"
#include "tv/FileStamp.h"
#include "tv/FolderWatcher.h"
#include "tv/HeaderDuration.h"
#include "tv/SharedFolder.h"

#include "tv/MetaDataGatherer.h"

#include <QDateTime>
#include <QDebug>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSemaphore>
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
    : QAbstractItemModel(parent), m_gatherer(std::make_unique<MetaDataGatherer>(&m_lock)),
      m_watcher(std::make_unique<FolderWatcher>())
{
    connect(m_watcher.get(), &FolderWatcher::foldersChanged, this,
            [this](const QList<MediaNode *> &folders) {
                for (MediaNode *folder : folders)
                    syncFolder(folder);
            });
    qRegisterMetaType<MediaNode *>("MediaNode *");
    connect(m_gatherer.get(), &MetaDataGatherer::gathered, this, &MediaModel::metaDataGathered);
    m_gatherer->setCacheFile(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                             QStringLiteral("/tv-probes.cache"));
}

MediaModel::~MediaModel()
{
    m_gatherer->abort();
    m_gatherer.reset();
}

void MediaModel::setRoot(const QString &path)
{
    beginResetModel();
    m_gatherer->abort();
    m_watcher->clear();
    m_removed.clear();
    ++m_generation;
    {
        QMutexLocker locker(&m_lock);
        m_ids.clear();
        m_root = std::make_unique<MediaNode>(QFileInfo(path).absoluteFilePath(), MediaNode::Folder,
                                             nullptr);
        m_root->objectId = QStringLiteral("0");
    }
    endResetModel();
    fetchFolder(m_root.get());
}

void MediaModel::setWatchDelay(int ms)
{
    m_watcher->setDelay(ms);
}

QString MediaModel::rootPath() const
{
    QMutexLocker locker(&m_lock);
    return m_root ? m_root->path() : QString();
}

MediaNode *MediaModel::nodeById(const QString &objectId) const
{
    QMutexLocker locker(&m_lock);
    return nodeByIdLocked(objectId);
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
    info.childCount = node->fetched ? int(node->children.size()) : -1;
    info.probed = node->probed;
    info.headerRead = node->headerRead;
    info.duration = node->duration;
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
    ensureCurrent(node);
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
                              const QString &fragment)
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

void MediaModel::ensureCurrent(MediaNode *node)
{
    QString path;
    {
        QMutexLocker locker(&m_lock);
        // A listing younger than the file system's time steps may have
        // missed a change made in the same step: it is checked again.
        const bool settled = node->listedAt - node->listedNs / 1000000 >= kSettleMs;
        if (node->fetched && settled && FileStamp::of(node->path()).modifiedNs == node->listedNs)
            return;
        path = node->path();
    }
    runInModelThread([this, node] { syncFolder(node); }, path);
}

void MediaModel::runInModelThread(const std::function<void()> &work, const QString &path)
{
    if (QThread::currentThread() == thread()) {
        work();
        return;
    }
    auto done = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        this,
        [work, done] {
            work();
            done->release();
        },
        Qt::QueuedConnection);
    // The model's thread may be busy or shutting down: never wait forever.
    for (int waited = 0; !done->tryAcquire(1, 50); waited += 50) {
        if (!m_remoteFetches || waited >= 10000) {
            qCWarning(lcTv).noquote() << "MediaModel::fetchMore gave up waiting for" << path;
            return;
        }
    }
}

void MediaModel::insertNodes(MediaNode *parentNode, int row, const QList<MediaNode *> &nodes)
{
    if (nodes.isEmpty())
        return;
    beginInsertRows(indexOf(parentNode), row, row + int(nodes.size()) - 1);
    {
        QMutexLocker locker(&m_lock);
        for (MediaNode *node : nodes) {
            node->objectId = uniqueObjectId(node->path());
            m_ids.insert(node->objectId, node);
            ++m_counter;
        }
        parentNode->children.insert(row, nodes.size(), nullptr);
        std::copy(nodes.cbegin(), nodes.cend(), parentNode->children.begin() + row);
    }
    endInsertRows();
    for (MediaNode *node : nodes)
        m_gatherer->gather(node);
}

void MediaModel::removeNodes(MediaNode *parentNode, int first, int count)
{
    QSet<MediaNode *> dropped;
    std::function<void(MediaNode *)> drop = [&](MediaNode *node) {
        node->gone = true;
        if (node->isFolder())
            m_watcher->unwatch(node);
        if (m_ids.value(node->objectId) == node)
            m_ids.remove(node->objectId);
        dropped.insert(node);
        for (MediaNode *child : std::as_const(node->children))
            drop(child);
    };
    beginRemoveRows(indexOf(parentNode), first, first + count - 1);
    QList<MediaNode *> removed;
    {
        QMutexLocker locker(&m_lock);
        removed = parentNode->children.mid(first, count);
        parentNode->children.remove(first, count);
        for (MediaNode *node : std::as_const(removed))
            drop(node);
    }
    endRemoveRows();
    m_gatherer->cancel(dropped);
    for (MediaNode *node : std::as_const(removed))
        m_removed.emplace_back(node);
}

QList<MediaModel::Entry> MediaModel::listFolder(const QString &root, const QString &path)
{
    // Plain iteration (the entry types come with the listing) and our own
    // ordering: folders first, then by name.
    QList<Entry> entries;
    QSet<QString> videoNames;
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

void MediaModel::fetchFolder(MediaNode *node)
{
    if (node && node->isFolder() && !node->fetched)
        syncFolder(node);
}

void MediaModel::syncFolder(MediaNode *node)
{
    if (!node || !node->isFolder() || node->gone)
        return;
    // The folder's time is taken before the listing, so a change made while
    // listing shows as a newer time next time.
    const qint64 listedAt = QDateTime::currentMSecsSinceEpoch();
    const FileStamp folder = FileStamp::of(node->path());
    const QList<Entry> entries = listFolder(m_root ? m_root->path() : QString(), node->path());
    const bool relisting = node->fetched;
    bool changed = false;
    QHash<QString, const Entry *> byName;
    for (const Entry &entry : entries)
        byName.insert(entry.name, &entry);
    auto vanished = [&](int row) {
        const MediaNode *child = node->children.at(row);
        const Entry *entry = byName.value(child->name());
        return !entry || entry->folder != child->isFolder();
    };
    for (int row = int(node->children.size()) - 1; row >= 0; --row) {
        if (!vanished(row))
            continue;
        int first = row;
        while (first > 0 && vanished(first - 1))
            --first;
        removeNodes(node, first, row - first + 1);
        changed = true;
        row = first;
    }
    // What is left is in listing order: the new entries go between.
    QList<MediaNode *> run;
    int row = 0;
    auto flush = [&] {
        changed = changed || !run.isEmpty();
        insertNodes(node, row, run);
        row += int(run.size());
        run.clear();
    };
    for (const Entry &entry : entries) {
        MediaNode *child = row < node->children.size() ? node->children.at(row) : nullptr;
        if (child && child->name() == entry.name) {
            flush();
            if (!child->isFolder() &&
                (child->size != entry.size || child->modified != entry.modified)) {
                FileStamp stamp;
                stamp.size = entry.size;
                stamp.modifiedNs = entry.modified * 1000000;
                stamp.createdMs = entry.created;
                updateFile(child, stamp);
                changed = true;
            }
            ++row;
            continue;
        }
        auto *added =
            new MediaNode(entry.path, entry.folder ? MediaNode::Folder : MediaNode::File, node);
        added->size = entry.size;
        added->modified = entry.modified;
        added->created = entry.created;
        run.append(added);
    }
    flush();
    {
        QMutexLocker locker(&m_lock);
        node->fetched = true;
        node->listedNs = folder.modifiedNs;
        node->listedAt = listedAt;
    }
    m_watcher->watch(node);
    if (relisting && changed)
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

void MediaModel::readHeaderDurations(QList<MediaNodeInfo> *nodes)
{
    for (MediaNodeInfo &info : *nodes) {
        if (!info.valid || info.isFolder || info.probed || info.headerRead ||
            info.duration.isValid())
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

void MediaModel::metaDataGathered() {}

MediaNode *MediaModel::nodeOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<MediaNode *>(index.internalPointer()) : nullptr;
}

QModelIndex MediaModel::indexOf(MediaNode *node) const
{
    // The root is the single top-level row.
    if (!node)
        return {};
    return createIndex(node->parent ? node->row() : 0, 0, node);
}

QModelIndex MediaModel::index(int row, int column, const QModelIndex &parentIndex) const
{
    if (column != 0 || row < 0)
        return {};
    MediaNode *parentNode = nodeOf(parentIndex);
    if (!parentNode)
        return row == 0 && m_root ? createIndex(0, 0, m_root.get()) : QModelIndex();
    if (row >= parentNode->children.size())
        return {};
    return createIndex(row, 0, parentNode->children.at(row));
}

QModelIndex MediaModel::parent(const QModelIndex &child) const
{
    MediaNode *node = nodeOf(child);
    return node ? indexOf(node->parent) : QModelIndex();
}

int MediaModel::rowCount(const QModelIndex &parentIndex) const
{
    MediaNode *node = nodeOf(parentIndex);
    if (!node)
        return m_root ? 1 : 0;
    return int(node->children.size());
}

int MediaModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant MediaModel::data(const QModelIndex &index, int role) const
{
    MediaNode *node = nodeOf(index);
    if (!node || role != Qt::DisplayRole)
        return {};
    return node->name();
}

QVariant MediaModel::headerData(int, Qt::Orientation, int role) const
{
    return role == Qt::DisplayRole ? QVariant(QStringLiteral("header")) : QVariant();
}

bool MediaModel::canFetchMore(const QModelIndex &parentIndex) const
{
    MediaNode *node = nodeOf(parentIndex);
    if (!node)
        return true;
    return node->isFolder() && !node->fetched;
}

void MediaModel::fetchMore(const QModelIndex &parentIndex)
{
    fetchFolder(nodeOf(parentIndex));
}
