#pragma once

#include "tv/MediaNode.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>

// Watches listed folders of the media tree for changes on disk, so they are
// listed again without waiting for a client. At most `maxFolders` are
// watched (the others are still checked when browsed). Changes are gathered
// for `delay` ms and told at once, which also keeps a busy folder from
// being listed over and over. Lives in the model's thread.
class FolderWatcher : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxFolders = 256;
    static constexpr int defaultDelay = 2000;

    explicit FolderWatcher(QObject *parent = nullptr);

    void watch(MediaNode *folder);
    void unwatch(MediaNode *folder);
    void clear();
    void setDelay(int ms) { m_timer.setInterval(ms); }

Q_SIGNALS:
    void foldersChanged(const QList<MediaNode *> &folders);

private:
    void onDirectoryChanged(const QString &path);
    void flush();

    QFileSystemWatcher m_watcher;
    QHash<QString, MediaNode *> m_folders;
    QSet<QString> m_changed;
    QTimer m_timer;
};
