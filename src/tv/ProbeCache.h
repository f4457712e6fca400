#pragma once

#include "media/MediaInfo.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QSize>
#include <QString>

// Probe results by file path, kept in a file so that a restart does not probe
// again: an entry counts only while the file keeps its size and time.
class ProbeCache
{
public:
    struct Entry
    {
        qint64 size = 0;
        qint64 modified = 0;
        MediaInfo media;
        QByteArray thumbnail; // JPEG
        QSize thumbnailSize;
    };

    // Loads `path` (a missing or damaged file gives an empty cache).
    void open(const QString &path);
    bool lookUp(const QString &file, qint64 size, qint64 modified, Entry *entry) const;
    void insert(const QString &file, const Entry &entry);
    // Writes the file when something changed since the last save.
    bool save();
    qsizetype count() const;

private:
    mutable QMutex m_mutex;
    QString m_path;
    QHash<QString, Entry> m_entries;
    bool m_dirty = false;
};
