#include "tv/FolderWatcher.h"

#include "tv/MediaNode.h"

FolderWatcher::FolderWatcher(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(defaultDelay);
    connect(&m_timer, &QTimer::timeout, this, &FolderWatcher::flush);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            &FolderWatcher::onDirectoryChanged);
}

void FolderWatcher::watch(MediaNode *folder)
{
    const QString path = folder->path();
    if (m_folders.contains(path) || m_folders.size() >= maxFolders)
        return;
    if (m_watcher.addPath(path))
        m_folders.insert(path, folder);
}

void FolderWatcher::unwatch(MediaNode *folder)
{
    const QString path = folder->path();
    if (m_folders.value(path) != folder)
        return;
    m_folders.remove(path);
    m_changed.remove(path);
    m_watcher.removePath(path);
}

void FolderWatcher::clear()
{
    const QStringList paths = m_watcher.directories();
    if (!paths.isEmpty())
        m_watcher.removePaths(paths);
    m_folders.clear();
    m_changed.clear();
    m_timer.stop();
}

void FolderWatcher::onDirectoryChanged(const QString &path)
{
    if (!m_folders.contains(path))
        return;
    m_changed.insert(path);
    // Not restarted: a folder that keeps changing is still told every delay.
    if (!m_timer.isActive())
        m_timer.start();
}

void FolderWatcher::flush()
{
    QList<MediaNode *> folders;
    for (const QString &path : std::as_const(m_changed)) {
        if (MediaNode *folder = m_folders.value(path))
            folders.append(folder);
    }
    m_changed.clear();
    // A folder deleted on disk is no longer watched; its entry goes too.
    const QStringList watched = m_watcher.directories();
    for (auto it = m_folders.begin(); it != m_folders.end();) {
        if (!watched.contains(it.key()))
            it = m_folders.erase(it);
        else
            ++it;
    }
    if (!folders.isEmpty())
        Q_EMIT foldersChanged(folders);
}
