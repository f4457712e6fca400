#pragma once

#include <QImage>
#include <QString>
#include <QTime>

// A copy of one node's fields, taken under the tree's lock, for the server
// threads that must not hold node pointers.
struct MediaNodeInfo
{
    bool valid = false;
    bool isRoot = false;
    bool isFolder = false;
    QString objectId;
    QString parentId;
    QString path;
    QString name;
    QTime duration;
    QString format;
    QString codec;
    QImage image;
    bool needsTranscoding = false;
};
