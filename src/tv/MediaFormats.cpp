#include "tv/MediaFormats.h"

#include "tv/upnp/UpnpClientSignature.h"

#include <QFileInfo>
#include <QHash>

namespace MediaFormats {

const char *const thumbnailProtocolInfo =
    "http-get:*:image/jpeg:DLNA.ORG_PN=JPEG_TNDLNA.ORG_OP=00DLNA.ORG_CI=1"
    "DLNA.ORG_FLAGS=00D00000000000000000000000000000";
const char *const plainContentFeatures = "DLNA.ORG_PN=MPEG_PS_NTSC;DLNA.ORG_OP=01;DLNA.ORG_CI=1;"
                                         "DLNA.ORG_FLAGS=01700000000000000000000000000000";

namespace {

const QString flags =
    QStringLiteral(";DLNA.ORG_OP=01;DLNA.ORG_FLAGS=01700000000000000000000000000000");

const QHash<QString, QString> &mimeTypes()
{
    static const QHash<QString, QString> table = {
        {"gif", "image/gif"},       {"thm", "image/jpeg"},      {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"},     {"jpe", "image/jpeg"},      {"png", "image/png"},
        {"tif", "image/tiff"},      {"tiff", "image/tiff"},     {"jp2", "image/jp2"},
        {"bmp", "image/bmp"},       {"aif", "audio/x-aiff"},    {"aifc", "audio/x-aiff"},
        {"aiff", "audio/x-aiff"},   {"mpa", "audio/mpeg"},      {"mp2", "audio/mpeg"},
        {"mp3", "audio/mpeg"},      {"m4a", "audio/mp4"},       {"wma", "audio/x-ms-wma"},
        {"wav", "audio/x-wav"},     {"mpeg", "video/mpeg"},     {"mpg", "video/mpeg"},
        {"mp4", "video/mp4"},       {"m4v", "video/mp4"},       {"ts", "video/MP2T"},
        {"mov", "video/quicktime"}, {"wmv", "video/x-ms-wmv"},  {"wtv", "video/x-ms-wmv"},
        {"asf", "video/x-ms-asf"},  {"avi", "video/x-msvideo"}, {"divx", "video/x-msvideo"},
        {"xvid", "video/x-msvideo"}};
    return table;
}

const QHash<QString, QString> &dlnaExtensions()
{
    static const QHash<QString, QString> table = {
        {"image/gif", "DLNA.ORG_PN=GIF_LRG"},
        {"image/jpeg", "DLNA.ORG_PN=JPEG_LRG"},
        {"image/jp2", "DLNA.ORG_PN=JPEG_LRG"},
        {"image/png", "DLNA.ORG_PN=PNG_LRG"},
        {"image/bmp", "DLNA.ORG_PN=BMP_LRG"},
        {"image/tiff", "DLNA.ORG_PN=TIFF_LRG"},
        {"audio/mpeg", "DLNA.ORG_PN=MP3" + flags},
        {"audio/mp4", "DLNA.ORG_PN=AAC_ISO_320" + flags},
        {"audio/x-ms-wma", "DLNA.ORG_PN=WMABASE" + flags},
        {"audio/x-wav", "DLNA.ORG_PN=WAV" + flags},
        {"video/avi", "DLNA.ORG_PN=AVI" + flags},
        {"video/x-msvideo", "DLNA.ORG_PN=AVI" + flags},
        {"video/mp4", "DLNA.ORG_PN=MPEG4_P2_SP_AAC" + flags},
        {"video/mpeg", "DLNA.ORG_PN=MPEG_PS_PAL" + flags},
        {"video/quicktime", flags.mid(1)},
        {"video/x-ms-asf", flags.mid(1)},
        {"video/x-ms-wmv", "DLNA.ORG_PN=WMVHIGH_BASE" + flags}};
    return table;
}

} // namespace

QString mimeType(const QString &fileName, int clientSignature)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    const bool avi = suffix == QLatin1String("avi") || suffix == QLatin1String("divx") ||
                     suffix == QLatin1String("xvid");
    if (clientSignature == UpnpClientSignature::WindowsMediaPlayer) {
        if (avi)
            return QStringLiteral("video/avi");
        if (suffix == QLatin1String("mov"))
            return QStringLiteral("video/quicktime");
    } else if (clientSignature == UpnpClientSignature::PlayStation3) {
        if (avi)
            return QStringLiteral("video/x-msvideo");
        if (suffix == QLatin1String("mov"))
            return QStringLiteral("video/mp4");
    }
    return mimeTypes().value(suffix, QStringLiteral("application/octet-stream"));
}

QString dlnaExtension(const QString &mime, int clientSignature)
{
    if (clientSignature == UpnpClientSignature::PlayStation3)
        return QStringLiteral("DLNA.ORG_OP=01");
    if ((clientSignature == UpnpClientSignature::Xbox ||
         clientSignature == UpnpClientSignature::WindowsMediaPlayer) &&
        (mime == QLatin1String("video/quicktime") || mime == QLatin1String("video/mp4")))
        return flags.mid(1);
    return dlnaExtensions().value(mime, QStringLiteral("*"));
}

QString upnpClass(const QString &mime)
{
    if (mime.startsWith(QLatin1String("video/")))
        return QStringLiteral("object.item.videoItem");
    if (mime.startsWith(QLatin1String("audio/")))
        return QStringLiteral("object.item.audioItem.musicTrack");
    if (mime.startsWith(QLatin1String("image/")))
        return QStringLiteral("object.item.imageItem.photo");
    return QStringLiteral("object.item");
}

QString protocolInfo(const QString &fileName, int clientSignature)
{
    const QString mime = mimeType(fileName, clientSignature);
    return QStringLiteral("http-get:*:") + mime + QLatin1Char(':') +
           dlnaExtension(mime, clientSignature);
}

QByteArray transcodedContentFeatures(int clientSignature)
{
    switch (clientSignature) {
    case UpnpClientSignature::Xbox:
        return "DLNA.ORG_PN=WMVHIGH_BASE;DLNA.ORG_OP=01;"
               "DLNA.ORG_FLAGS=01700000000000000000000000000000";
    case UpnpClientSignature::PlayStation3:
        return "DLNA.ORG_PN=MPEG4_P2_SP_AAC;DLNA.ORG_OP=01;"
               "DLNA.ORG_FLAGS=01700000000000000000000000000000";
    default:
        return "DLNA.ORG_PN=MPEG_TS_SD_KO_ISO;DLNA.ORG_OP=10;DLNA.ORG_CI=1;"
               "DLNA.ORG_FLAGS=01500000000000000000000000000000";
    }
}

QByteArray transcodedContentType(int clientSignature)
{
    if (clientSignature == UpnpClientSignature::Xbox)
        return "video/x-ms-wmv";
    if (clientSignature == UpnpClientSignature::PlayStation3)
        return "video/mp4";
    return QByteArray();
}

} // namespace MediaFormats
