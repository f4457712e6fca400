#pragma once

#include "media/MediaInfo.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QSize>
#include <QString>

// Probe results by file path, kept in a file so that a restart does not probe
// again: an entry counts only while the file keeps its size and time. Each
// result is appended to the file as it comes, so that a killed program keeps
// what it probed; save() compacts the file.
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

    // Loads `path` (a missing or damaged file gives an empty cache; a cut
    // last record, as a kill leaves it, is dropped).
    void open(const QString &path);
    bool lookUp(const QString &file, qint64 size, qint64 modified, Entry *entry) const;
    void insert(const QString &file, const Entry &entry);
    // Rewrites the file without the results that later ones replaced.
    bool save();
    qsizetype count() const;

private:
    mutable QMutex m_mutex;
    QString m_path;
    // Under m_mutex: writes all entries anew and reopens the journal.
    bool rewrite();

    QHash<QString, Entry> m_entries;
    QFile m_journal;         // open for appending once the file is sound
    qsizetype m_records = 0; // records in the file
    bool m_rewrite = true;   // the file must be written anew before appending
};
