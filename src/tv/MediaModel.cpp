#include "tv/MediaModel.h"
#include "core/Logging.h"
#include "media/MediaFiles.h"
#include "tv/DidlCache.h"
#include "tv/FileStamp.h"
#include "tv/FolderWatcher.h"
#include "tv/HeaderDuration.h"
#include "tv/MetaDataGatherer.h"
#include "tv/SharedFolder.h"
#include "tv/TvSubtitles.h"

#include <QDateTime>
#include <QDebug>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

const QStringList MediaModel::rootAliases = {QStringLiteral("0"), QStringLiteral("15"),
                                             QStringLiteral("16"), QStringLiteral("13"),
                                             QStringLiteral("4")};

MediaModel::MediaModel(QObject *parent)
    : QObject(parent), m_didl(std::make_unique<DidlCache>()),
      m_gatherer(std::make_unique<MetaDataGatherer>()), m_watcher(std::make_unique<FolderWatcher>())
{
    m_thread.setObjectName(QStringLiteral("tv tree"));
    m_watcher->moveToThread(&m_thread);
    connect(m_watcher.get(), &FolderWatcher::foldersChanged, m_watcher.get(),
            [this](const QStringList &folders) {
                for (const QString &folder : folders)
                    relist(folder);
            });
    // Probe results are values the tree applies (or refuses, for a file
    // that changed meanwhile).
    m_gatherer->setSink([this](const QList<MetaDataGatherer::Result> &results) {
        for (const MetaDataGatherer::Result &result : results)
            m_tree.applyProbe(result.job, result.entry);
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
    const QString root = QFileInfo(path).absoluteFilePath();
    m_tree.reset(root);
    m_didl->clear();
    {
        QMutexLocker locker(&m_awaitedLock);
        m_awaited.clear();
    }
    const quint64 generation = ++m_generation;
    QMetaObject::invokeMethod(
        m_watcher.get(),
        [this, generation, root] {
            if (generation == m_generation)
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
    const QString path = m_tree.folderPath(objectId);
    return !path.isEmpty() && m_watcher->isWatching(path);
}

QString MediaModel::rootPath() const
{
    return m_tree.rootPath();
}

MediaNodeInfo MediaModel::nodeInfo(const QString &objectId) const
{
    return m_tree.info(objectId);
}

bool MediaModel::childInfos(const QString &objectId, QList<MediaNodeInfo> *children)
{
    return childPage(objectId, 0, 0, children, nullptr);
}

bool MediaModel::childPage(const QString &objectId, qsizetype first, qsizetype count,
                           QList<MediaNodeInfo> *page, qsizetype *total)
{
    const QString path = m_tree.folderPath(objectId);
    if (path.isEmpty())
        return false;
    const bool listedNow = ensureCurrent(path);
    if (!m_tree.page(path, first, count, page, total)) {
        if (total)
            *total = 0; // gone meanwhile
        return true;
    }
    // Just listed: the files were looked at a moment ago.
    if (!listedNow && page)
        checkFiles(page);
    return true;
}

void MediaModel::checkFiles(QList<MediaNodeInfo> *nodes)
{
    QStringList changedFolders;
    QList<ProbeJob> probe;
    for (MediaNodeInfo &info : *nodes) {
        if (!info.valid || info.isFolder)
            continue;
        const FileStamp stamp = FileStamp::of(info.path);
        if (stamp.exists && !stamp.folder && stamp.size == info.size &&
            stamp.modifiedMs() == info.modified)
            continue;
        ProbeJob job;
        QString folderId;
        switch (m_tree.applyStamp(&info, stamp, &job, &folderId)) {
        case MediaTree::FileChange::Unknown:
        case MediaTree::FileChange::Vanished:
            info.valid = false;
            continue;
        case MediaTree::FileChange::Rewritten:
            break;
        }
        if (!job.objectId.isEmpty())
            probe.append(job);
        if (!changedFolders.contains(folderId))
            changedFolders.append(folderId);
    }
    // Outside the tree's lock: the old probes go, the new stamps are probed.
    if (!probe.isEmpty()) {
        QStringList ids;
        for (const ProbeJob &job : std::as_const(probe))
            ids.append(job.objectId);
        m_gatherer->cancel(ids);
        m_gatherer->gather(probe);
    }
    for (const QString &folder : std::as_const(changedFolders))
        Q_EMIT folderChanged(folder);
}

bool MediaModel::ensureCurrent(const QString &path)
{
    for (;;) {
        const MediaTree::FolderState state = m_tree.folderState(path);
        if (!state.known)
            return false;
        if (state.current && FileStamp::of(path).modifiedNs == state.listedNs)
            return false;
        if (beginListing(path)) {
            syncFolder(path);
            endListing(path);
            return true;
        }
        // Another thread listed it meanwhile: look again.
    }
}

void MediaModel::relist(const QString &path)
{
    const MediaTree::FolderState state = m_tree.folderState(path);
    if (!state.fetched)
        return; // never listed: it is when first asked for
    // A listing running now may have started before the change.
    while (!beginListing(path)) {
    }
    syncFolder(path);
    endListing(path);
}

bool MediaModel::beginListing(const QString &path)
{
    QMutexLocker locker(&m_listingLock);
    if (!m_listing.contains(path)) {
        m_listing.insert(path);
        return true;
    }
    while (m_listing.contains(path))
        m_listed.wait(&m_listingLock);
    return false;
}

void MediaModel::endListing(const QString &path)
{
    QMutexLocker locker(&m_listingLock);
    m_listing.remove(path);
    m_listed.wakeAll();
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
        if (stamp.exists && !folder && MediaFiles::isSubtitleSuffix(suffix)) {
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
    // The library's own pictures of a video (named after its base name or
    // its whole file name) are not shown as pictures of their own.
    entries.removeIf([&videoNames](const Entry &entry) {
        QString videoName;
        return !entry.folder && MediaFiles::isSideImage(entry.name, &videoName) &&
               videoNames.contains(videoName);
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

void MediaModel::syncFolder(const QString &path)
{
    if (!m_tree.folderState(path).known)
        return;
    const QString root = m_tree.rootPath();
    // Watched and timed before the listing, so a change made while listing
    // is told, and shows as a newer time next time.
    m_watcher->watch(path);
    const qint64 listedAt = QDateTime::currentMSecsSinceEpoch();
    const FileStamp folder = FileStamp::of(path);
    const QList<Entry> entries = listFolder(root, path);
    const MediaTree::ListingChange change =
        m_tree.applyListing(path, entries, folder.modifiedNs, listedAt);
    if (!change.applied)
        return;
    m_gatherer->cancel(change.dropped);
    for (const QString &gone : change.unwatched)
        m_watcher->unwatch(gone);
    m_gatherer->gather(change.probe);
    if (change.relisted && change.changed)
        Q_EMIT folderChanged(change.objectId);
}

void MediaModel::waitForMetaData(const QStringList &ahead, const QStringList &awaited,
                                 QDeadlineTimer deadline)
{
    const QStringList first = m_tree.unprobed(ahead);
    if (!first.isEmpty())
        m_gatherer->waitFor(first, m_tree.unprobed(awaited), deadline);
}

void MediaModel::releaseWaits()
{
    m_gatherer->release();
}

void MediaModel::announceWhenProbed(const QString &folderId, const QStringList &fileIds)
{
    const QStringList files = m_tree.unprobed(fileIds);
    if (files.isEmpty())
        return;
    QMutexLocker locker(&m_awaitedLock);
    // One announcement per folder, when all its awaited files are probed.
    for (Awaited &folder : m_awaited) {
        if (folder.folderId == folderId) {
            folder.files.unite(QSet<QString>(files.cbegin(), files.cend()));
            return;
        }
    }
    m_awaited.append({folderId, QSet<QString>(files.cbegin(), files.cend())});
}

void MediaModel::probeEnded()
{
    QStringList folders;
    {
        QMutexLocker locker(&m_awaitedLock);
        for (auto it = m_awaited.begin(); it != m_awaited.end();) {
            it->files.removeIf([this](const QString &id) { return m_tree.isSettled(id); });
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
        m_tree.applyHeaderDuration(&info, seconds);
    }
}
