#pragma once

#include <QList>
#include <QString>

struct UpnpDidlResource
{
    QString protocolInfo;
    QString url;
    qint64 size = -1;
    QString duration;
    QString resolution;
};

// One container or item of a DIDL-Lite answer.
struct UpnpDidlObject
{
    bool container = false;
    QString id;
    QString parentId = QStringLiteral("-1");
    QString title;
    QString upnpClass;
    QString date;
    int childCount = -1;
    QList<UpnpDidlResource> resources;

    static QString document(const QList<UpnpDidlObject> &objects);
};
