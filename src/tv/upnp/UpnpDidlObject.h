#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include "tv/upnp/UpnpBrowseFilter.h"

struct UpnpDidlResource
{
    QString protocolInfo;
    QString url;
    qint64 size = -1;
    QString duration;
    QString resolution;
    qint64 bitrate = -1; // bytes per second
    int nrAudioChannels = -1;
    int sampleFrequency = -1;
    // A picture of the item (as its album art is): written only for clients
    // that ask for pictures ("*" or upnp:albumArtURI in the filter).
    bool thumbnail = false;
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
    QString albumArtUri; // a JPEG_TN picture
    // Where the client stopped playing the item last time, in seconds, for
    // clients that keep such places here (-1: not told).
    qint64 bookmarkSeconds = -1;
    QList<UpnpDidlResource> resources;
    // Subtitle files for clients that read Samsung's caption element:
    // the type ("srt", "vtt") and the address of each.
    QList<QPair<QString, QString>> captions;

    // With the properties the filter asks for (the required ones always).
    static QString document(const QList<UpnpDidlObject> &objects,
                            const UpnpBrowseFilter &filter = UpnpBrowseFilter());
    // The object's element alone, and a document of such elements.
    static QString fragment(const UpnpDidlObject &object,
                            const UpnpBrowseFilter &filter = UpnpBrowseFilter());
    static QString document(const QStringList &fragments);
    // A document of fragments escaped for a SOAP envelope (UpnpSoap::escapedTextUtf8),
    // escaped the same way.
    static QByteArray escapedDocument(const QList<QByteArray> &escapedFragments);
};
