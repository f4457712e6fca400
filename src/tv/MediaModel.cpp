#include "tv/MediaModel.h"
#include "core/Logging.h"
#include "tv/SharedFolder.h"

#include "tv/MetaDataGatherer.h"

#include <QDebug>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSet>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

const QStringList MediaModel::rootAliases = {QStringLiteral("0"), QStringLiteral("15"),
                                             QStringLiteral("16"), QStringLiteral("13"),
                                             QStringLiteral("4")};

MediaModel::MediaModel(QObject *parent)
    : QAbstractItemModel(parent), m_gatherer(std::make_unique<MetaDataGatherer>(&m_lock))
{
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
    info.childCount = node->fetched ? int(node->children.size()) : -1;
    info.probed = node->probed;
    info.duration = node->duration;
    info.format = node->format;
    info.codec = node->codec;
    info.media = node->media;
    info.thumbnail = node->thumbnail;
    info.thumbnailSize = node->thumbnailSize;
    info.needsTranscoding = node->needsTranscoding();
    return info;
}

MediaNodeInfo MediaModel::nodeInfo(const QString &objectId) const
{
    QMutexLocker locker(&m_lock);
    return infoLocked(nodeByIdLocked(objectId));
}

bool MediaModel::childInfos(const QString &objectId, QList<MediaNodeInfo> *children)
{
    MediaNode *node = nullptr;
    bool fetched = false;
    {
        QMutexLocker locker(&m_lock);
        node = nodeByIdLocked(objectId);
        if (!node || !node->isFolder())
            return false;
        fetched = node->fetched;
    }
    if (!fetched)
        fetchFromAnyThread(node);
    QMutexLocker locker(&m_lock);
    children->reserve(node->children.size());
    for (const MediaNode *child : std::as_const(node->children))
        children->append(infoLocked(child));
    return true;
}

void MediaModel::fetchFromAnyThread(MediaNode *node)
{
    if (QThread::currentThread() == thread()) {
        fetchFolder(node);
        return;
    }
    auto done = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        this,
        [this, node, done] {
            fetchFolder(node);
            done->release();
        },
        Qt::QueuedConnection);
    // The model's thread may be busy or shutting down: never wait forever.
    for (int waited = 0; !done->tryAcquire(1, 50); waited += 50) {
        if (!m_remoteFetches || waited >= 10000) {
            qCWarning(lcTv).noquote()
                << "MediaModel::fetchMore gave up waiting for" << node->path();
            return;
        }
    }
}

void MediaModel::addNode(MediaNode *node, MediaNode *parentNode)
{
    addNodes({node}, parentNode);
}

void MediaModel::addNodes(QList<MediaNode *> nodes, MediaNode *parentNode)
{
    // A listing holds each path once: only the children already there can clash.
    if (!parentNode->children.isEmpty()) {
        QSet<QString> known;
        for (const MediaNode *child : std::as_const(parentNode->children))
            known.insert(child->path());
        for (auto it = nodes.begin(); it != nodes.end();) {
            if (known.contains((*it)->path())) {
                qCDebug(lcTv).noquote() << "MediaModel::addNode path already exists";
                delete *it;
                it = nodes.erase(it);
            } else {
                known.insert((*it)->path());
                ++it;
            }
        }
    }
    if (nodes.isEmpty())
        return;
    const int first = int(parentNode->children.size());
    beginInsertRows(indexOf(parentNode), first, first + int(nodes.size()) - 1);
    {
        QMutexLocker locker(&m_lock);
        for (MediaNode *node : std::as_const(nodes)) {
            node->objectId = uniqueObjectId(node->path());
            parentNode->children.append(node);
            m_ids.insert(node->objectId, node);
            ++m_counter;
        }
    }
    endInsertRows();
    for (MediaNode *node : std::as_const(nodes))
        m_gatherer->gather(node);
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
        const bool folder = info.isDir();
        const QString suffix = info.suffix().toLower();
        if (!folder && !MediaNode::mediaSuffixes().contains(suffix))
            continue;
        if (!folder && !isPictureSuffix(suffix)) {
            videoNames.insert(info.completeBaseName());
            videoNames.insert(name);
        }
        entries.append({info.filePath(), name, folder, folder ? 0 : info.size(),
                        info.lastModified().toMSecsSinceEpoch()});
    }
    // The library's own pictures of a video ("<video>-thumb.jpg", "-cover.jpg",
    // named after its base name or its whole file name).
    static const QRegularExpression own(QStringLiteral("^(.*)-(?:thumb|cover)\\.jpg$"),
                                        QRegularExpression::CaseInsensitiveOption);
    entries.removeIf([&videoNames](const Entry &entry) {
        if (entry.folder)
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
    if (!node || !node->isFolder() || node->fetched)
        return;
    const QList<Entry> entries = listFolder(m_root ? m_root->path() : QString(), node->path());
    QList<MediaNode *> nodes;
    nodes.reserve(entries.size());
    for (const Entry &entry : std::as_const(entries)) {
        auto *child =
            new MediaNode(entry.path, entry.folder ? MediaNode::Folder : MediaNode::File, node);
        child->size = entry.size;
        child->modified = entry.modified;
        nodes.append(child);
    }
    addNodes(nodes, node);
    QMutexLocker locker(&m_lock);
    node->fetched = true;
}

void MediaModel::waitForMetaData(const QStringList &objectIds, QDeadlineTimer deadline)
{
    QList<MediaNode *> nodes;
    {
        QMutexLocker locker(&m_lock);
        for (const QString &id : objectIds) {
            MediaNode *node = nodeByIdLocked(id);
            if (node && !node->isFolder() && !node->probed)
                nodes.append(node);
        }
    }
    if (!nodes.isEmpty())
        m_gatherer->waitFor(nodes, deadline);
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
