#pragma once

#include "tv/renderer/SinkProtocols.h"
#include "tv/upnp/UpnpDidlObject.h"

#include <QHostAddress>

class MediaModel;
class ServerDelegate;

// A video as it is handed to a renderer: the resources our media server
// offers for it (the file itself, and the converted stream), its subtitles
// and what the DIDL-Lite metadata tells.
struct CastMedia
{
    QString objectId;
    QString title;
    qint64 durationMs = -1;
    QString upnpClass = QStringLiteral("object.item.videoItem");
    QList<UpnpDidlResource> fileResources;
    UpnpDidlResource converted; // empty url: none
    QList<UpnpDidlResource> subtitleResources;
    QList<QPair<QString, QString>> captions; // type, address

    // The file when the sink list takes its format, else the converted
    // stream when it takes that; false when it takes neither.
    bool choose(const SinkProtocols &sinks, UpnpDidlResource *chosen) const;
    // The DIDL-Lite document for SetAVTransportURI's CurrentURIMetaData.
    QString metadata(const UpnpDidlResource &chosen) const;

    // The library file at `path` as our media server offers it at
    // `local`:`port` (the address the renderer reaches us on). Lists the
    // folders on the way and waits for the file's probe (within `waitMs`),
    // so call it off the window's thread. False with `error` when the file
    // is not in the shared folder.
    static bool fromLibraryFile(MediaModel *model, const ServerDelegate *delegate,
                                const QString &path, const QString &title,
                                const QHostAddress &local, quint16 port, CastMedia *out,
                                QString *error, int waitMs = 5000);

    // Our address on the network `peer` is on (loopback for loopback).
    static QHostAddress localAddressFor(const QHostAddress &peer);
};
