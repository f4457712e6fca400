#pragma once

#include <QFileSystemWatcher>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <atomic>

// Watches listed folders of the media tree for changes on disk, so they are
// listed again without waiting for a client. At most `maxFolders` are
// watched (the others are still checked when browsed). Changes are gathered
// for `delay` ms and told at once, which also keeps a busy folder from
// being listed over and over. Lives in the media tree's thread; watch(),
// unwatch(), clear() and setDelay() may be called from any thread.
class FolderWatcher : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxFolders = 256;
    static constexpr int defaultDelay = 2000;

    explicit FolderWatcher(QObject *parent = nullptr);

    void watch(const QString &folder);
    void unwatch(const QString &folder);
    void clear();
    void setDelay(int ms) { m_delay = ms; }
    // Whether changes of the folder are being watched for now.
    bool isWatching(const QString &folder) const;

Q_SIGNALS:
    // Emitted in the watcher's thread.
    void foldersChanged(const QStringList &folders);

private:
    // Runs `work` in the watcher's thread: at once when called there, else
    // after what was posted before.
    void post(std::function<void()> work);
    void onDirectoryChanged(const QString &path);
    void flush();

    QFileSystemWatcher m_watcher;
    mutable QMutex m_foldersLock; // written in the watcher's thread only
    QSet<QString> m_folders;
    QSet<QString> m_changed;
    QTimer m_timer;
    std::atomic<int> m_delay{defaultDelay};
};
