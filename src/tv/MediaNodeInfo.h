#pragma once

#include "media/MediaInfo.h"
#include "media/SubtitleFile.h"

#include <QByteArray>
#include <QSize>
#include <QString>

// A copy of one node's fields, taken under the tree's lock, for the server
// threads that must not hold node pointers.
struct MediaNodeInfo
{
    bool valid = false;
    bool isRoot = false;
    bool isFolder = false;
    bool probed = false;
    bool headerRead = false;
    QString objectId;
    QString parentId;
    QString path;
    QString name;
    qint64 size = 0;
    qint64 modified = 0;
    qint64 created = 0;
    QList<SubtitleFile> subtitles;
    int childCount = -1;    // listed children of a folder; -1 while not listed
    qint64 durationMs = -1; // the play length, -1 while not known
    QString format;
    QString codec;
    MediaInfo media;
    QByteArray thumbnail;
    QSize thumbnailSize;
    bool needsTranscoding = false;
    // Tells apart every state the node was ever in (a new number for each change).
    quint64 revision = 0;
};
