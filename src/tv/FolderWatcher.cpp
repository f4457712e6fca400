#include "tv/FolderWatcher.h"

#include <QThread>

FolderWatcher::FolderWatcher(QObject *parent) : QObject(parent), m_watcher(this), m_timer(this)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &FolderWatcher::flush);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            &FolderWatcher::onDirectoryChanged);
}

void FolderWatcher::post(std::function<void()> work)
{
    if (QThread::currentThread() == thread())
        work();
    else
        QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

bool FolderWatcher::isWatching(const QString &folder) const
{
    QMutexLocker locker(&m_foldersLock);
    return m_folders.contains(folder);
}

void FolderWatcher::watch(const QString &folder)
{
    post([this, folder] {
        if (isWatching(folder) || m_folders.size() >= maxFolders || !m_watcher.addPath(folder))
            return;
        QMutexLocker locker(&m_foldersLock);
        m_folders.insert(folder);
    });
}

void FolderWatcher::unwatch(const QString &folder)
{
    post([this, folder] {
        {
            QMutexLocker locker(&m_foldersLock);
            if (!m_folders.remove(folder))
                return;
        }
        m_changed.remove(folder);
        m_watcher.removePath(folder);
    });
}

void FolderWatcher::clear()
{
    post([this] {
        const QStringList paths = m_watcher.directories();
        if (!paths.isEmpty())
            m_watcher.removePaths(paths);
        {
            QMutexLocker locker(&m_foldersLock);
            m_folders.clear();
        }
        m_changed.clear();
        m_timer.stop();
    });
}

void FolderWatcher::onDirectoryChanged(const QString &path)
{
    if (!m_folders.contains(path))
        return;
    m_changed.insert(path);
    // Not restarted: a folder that keeps changing is still told every delay.
    if (!m_timer.isActive())
        m_timer.start(m_delay);
}

void FolderWatcher::flush()
{
    const QStringList folders(m_changed.cbegin(), m_changed.cend());
    m_changed.clear();
    // A folder deleted on disk is no longer watched; its entry goes too.
    const QStringList watched = m_watcher.directories();
    const QSet<QString> still(watched.cbegin(), watched.cend());
    {
        QMutexLocker locker(&m_foldersLock);
        m_folders.intersect(still);
    }
    if (!folders.isEmpty())
        Q_EMIT foldersChanged(folders);
}
