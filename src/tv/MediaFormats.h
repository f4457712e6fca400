#pragma once

#include "media/MediaInfo.h"

#include <QByteArray>
#include <QString>

// MIME types, DLNA profiles and DIDL classes of the served files, with the
// per-client exceptions renderers need.
namespace MediaFormats {

QString mimeType(const QString &fileName, int clientSignature);
QString upnpClass(const QString &mimeType);
// The DLNA profile name the probed streams fit (empty when none does).
QString dlnaProfile(const QString &mimeType, const MediaInfo &media);
// The fourth protocol info field of a file sent as it is: profile (when one
// fits), byte seeking, not converted, flags.
QString dlnaExtension(const QString &mimeType, const MediaInfo &media, int clientSignature);
QString protocolInfo(const QString &fileName, const MediaInfo &media, int clientSignature);

// What a transcoded answer is, per client: its MIME type and its fourth
// protocol info field (time seeking, converted).
QByteArray transcodedContentType(int clientSignature);
QByteArray transcodedContentFeatures(int clientSignature);
QString transcodedProtocolInfo(int clientSignature);

// The fourth field of a protocol info ("*" when it has none).
QByteArray contentFeatures(const QString &protocolInfo);

extern const char *const thumbnailProtocolInfo;

} // namespace MediaFormats
