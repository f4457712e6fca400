#pragma once

#include <QByteArray>
#include <QString>

// MIME types, DLNA profiles and DIDL classes of the served files, with the
// per-client exceptions renderers need.
namespace MediaFormats {

QString mimeType(const QString &fileName, int clientSignature);
QString dlnaExtension(const QString &mimeType, int clientSignature);
QString upnpClass(const QString &mimeType);
QString protocolInfo(const QString &fileName, int clientSignature);

// Headers of a transcoded answer.
QByteArray transcodedContentFeatures(int clientSignature);
QByteArray transcodedContentType(int clientSignature);

extern const char *const thumbnailProtocolInfo;
extern const char *const plainContentFeatures;

} // namespace MediaFormats
