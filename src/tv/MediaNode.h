#pragma once

#include "media/MediaInfo.h"
#include "media/SubtitleFile.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QSize>
#include <QString>
#include <QUrl>

// One folder or media file of the published tree. Nodes are owned by their
// parent (the root by the MediaTree), and only the tree reads or writes them.
class MediaNode
{
public:
    enum Kind
    {
        File = 1,
        Folder = 2
    };

    // `path` is the absolute local path of the folder or file.
    MediaNode(const QString &path, int kind, MediaNode *parent);
    ~MediaNode();
    MediaNode(const MediaNode &) = delete;
    MediaNode &operator=(const MediaNode &) = delete;

    QString path() const { return m_path; }
    // Location as a local file URL.
    QUrl url() const { return QUrl::fromLocalFile(m_path); }
    QString name() const;
    // Lower-case file suffix.
    QString suffix() const;
    bool isFolder() const { return kind == Folder; }
    // The probe ran (whether or not it learned anything).
    bool hasMetaData() const { return probed; }
    // FLV (by the probed container, else by the file suffix) is transcoded.
    bool needsTranscoding() const;
    // Drops what the probe learned (the file changed).
    void forgetProbe();
    // Play length in seconds (invalid when negative).
    void setDuration(double seconds);
    int row() const;

    static const QStringList &mediaSuffixes();
    static const QStringList &transcodeList();

    int kind;
    QList<MediaNode *> children;
    bool fetched = false;
    MediaNode *parent;
    QString objectId;
    qint64 size = 0;               // bytes, from the listing
    qint64 modified = 0;           // ms since the epoch, from the listing
    qint64 created = 0;            // ms since the epoch: birth time, else modification time
    QList<SubtitleFile> subtitles; // files beside a video, from the listing
    // Folders: the folder's modification time (ns) when it was last listed,
    // and when that was (ms since the epoch).
    qint64 listedNs = 0;
    qint64 listedAt = 0;
    bool gone = false; // taken out of the tree (the file or folder vanished)
    // The tree's number of the node's latest change.
    quint64 revision = 0;
    bool probed = false;
    bool headerRead = false; // the play length in the file's header was looked for
    qint64 durationMs = -1;  // the play length, -1 while not known
    QString format;
    QString codec;
    MediaInfo media;      // everything the probe learned
    QByteArray thumbnail; // JPEG, at most 160x160
    QSize thumbnailSize;

private:
    QString m_path;
};

Q_DECLARE_METATYPE(MediaNode *)
