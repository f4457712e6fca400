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
    int childCount = -1; // listed children of a folder; -1 while not listed
    qint64 durationMs = -1; // the play length, -1 while not known
    QString format;
    QString codec;
    MediaInfo media;
    QByteArray thumbnail;
    QSize thumbnailSize;
    bool needsTranscoding = false;
    quint32 revision = 0;
    // The item's DIDL-Lite, when it was written for this revision and `fragmentContext`.
    QByteArray fragment; // escaped for the SOAP envelope, UTF-8
    QString fragmentContext;
};
