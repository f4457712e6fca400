#include "tv/MediaFormats.h"

#include "tv/upnp/UpnpClientSignature.h"

#include <QFileInfo>
#include <QHash>

namespace MediaFormats {

const char *const thumbnailProtocolInfo =
    "http-get:*:image/jpeg:DLNA.ORG_PN=JPEG_TN;DLNA.ORG_OP=00;DLNA.ORG_CI=1;"
    "DLNA.ORG_FLAGS=00D00000000000000000000000000000";

namespace {

// Streaming, background, stalling, DLNA 1.5 (audio and video files); the same
// without stalling (converted streams); interactive and background (pictures).
const QString avFlags = QStringLiteral("DLNA.ORG_FLAGS=01700000000000000000000000000000");
const QString streamFlags = QStringLiteral("DLNA.ORG_FLAGS=01500000000000000000000000000000");
const QString pictureFlags = QStringLiteral("DLNA.ORG_FLAGS=00D00000000000000000000000000000");

const QHash<QString, QString> &mimeTypes()
{
    static const QHash<QString, QString> table = {
        {"gif", "image/gif"},        {"thm", "image/jpeg"},      {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"},      {"jpe", "image/jpeg"},      {"png", "image/png"},
        {"tif", "image/tiff"},       {"tiff", "image/tiff"},     {"jp2", "image/jp2"},
        {"bmp", "image/bmp"},        {"aif", "audio/x-aiff"},    {"aifc", "audio/x-aiff"},
        {"aiff", "audio/x-aiff"},    {"mpa", "audio/mpeg"},      {"mp2", "audio/mpeg"},
        {"mp3", "audio/mpeg"},       {"m4a", "audio/mp4"},       {"wma", "audio/x-ms-wma"},
        {"wav", "audio/x-wav"},      {"mpeg", "video/mpeg"},     {"mpg", "video/mpeg"},
        {"mp4", "video/mp4"},        {"m4v", "video/mp4"},       {"ts", "video/MP2T"},
        {"mov", "video/quicktime"},  {"wmv", "video/x-ms-wmv"},  {"wtv", "video/x-ms-wmv"},
        {"asf", "video/x-ms-asf"},   {"avi", "video/x-msvideo"}, {"divx", "video/x-msvideo"},
        {"xvid", "video/x-msvideo"}, {"mkv", "video/x-matroska"}};
    return table;
}

bool fits(const QSize &size, int width, int height)
{
    return !size.isEmpty() && size.width() <= width && size.height() <= height;
}

bool isMp4(const MediaInfo &media)
{
    return media.container.contains(QLatin1String("mp4"));
}

bool pal(const MediaInfo &media)
{
    return media.frameSize.height() == 576 || media.frameSize.height() == 288;
}

bool ntsc(const MediaInfo &media)
{
    return media.frameSize.height() == 480 || media.frameSize.height() == 240;
}

QString avcProfile(const MediaInfo &media)
{
    if (!isMp4(media) || media.audioCodec != QLatin1String("aac"))
        return QString();
    const QString &profile = media.videoProfile;
    if (profile == QLatin1String("High"))
        return fits(media.frameSize, 1920, 1080) ? QStringLiteral("AVC_MP4_HP_HD_AAC") : QString();
    if (profile != QLatin1String("Main") && !profile.contains(QLatin1String("Baseline")))
        return QString();
    if (fits(media.frameSize, 720, 576))
        return QStringLiteral("AVC_MP4_MP_SD_AAC_MULT5");
    if (fits(media.frameSize, 1280, 720))
        return QStringLiteral("AVC_MP4_MP_HD_720p_AAC");
    if (fits(media.frameSize, 1920, 1080))
        return QStringLiteral("AVC_MP4_MP_HD_1080i_AAC");
    return QString();
}

QString mpeg4Profile(const MediaInfo &media)
{
    const bool aac = media.audioCodec == QLatin1String("aac");
    if (!isMp4(media) || (!aac && media.hasAudio()))
        return QString();
    if (media.videoProfile.startsWith(QLatin1String("Simple")) && fits(media.frameSize, 352, 288))
        return QStringLiteral("MPEG4_P2_MP4_SP_AAC");
    return fits(media.frameSize, 720, 576) ? QStringLiteral("MPEG4_P2_MP4_ASP_AAC") : QString();
}

QString mpeg2Profile(const MediaInfo &media)
{
    const QString &audio = media.audioCodec;
    const bool audioFits = audio == QLatin1String("ac3") || audio == QLatin1String("mp2") ||
                           audio == QLatin1String("mp1") || !media.hasAudio();
    if (!audioFits || !fits(media.frameSize, 720, 576))
        return QString();
    const QString container = media.containerName();
    if (container == QLatin1String("mpeg"))
        return pal(media)    ? QStringLiteral("MPEG_PS_PAL")
               : ntsc(media) ? QStringLiteral("MPEG_PS_NTSC")
                             : QString();
    if (container == QLatin1String("mpegts") && audio != QLatin1String("mp2"))
        return pal(media)    ? QStringLiteral("MPEG_TS_SD_EU_ISO")
               : ntsc(media) ? QStringLiteral("MPEG_TS_SD_NA_ISO")
                             : QString();
    return QString();
}

QString videoProfile(const MediaInfo &media)
{
    if (media.videoCodec == QLatin1String("h264"))
        return avcProfile(media);
    if (media.videoCodec == QLatin1String("mpeg4"))
        return mpeg4Profile(media);
    if (media.videoCodec == QLatin1String("mpeg2video"))
        return mpeg2Profile(media);
    if (media.videoCodec == QLatin1String("mpeg1video") &&
        media.containerName() == QLatin1String("mpeg"))
        return QStringLiteral("MPEG1");
    return QString();
}

QString audioProfile(const QString &mime, const MediaInfo &media)
{
    if (mime == QLatin1String("audio/mpeg") && media.audioCodec == QLatin1String("mp3"))
        return QStringLiteral("MP3");
    if (mime == QLatin1String("audio/mp4") && media.audioCodec == QLatin1String("aac"))
        return media.audioBitrate > 0 && media.audioBitrate <= 320 && media.sampleRate <= 48000
                   ? QStringLiteral("AAC_ISO_320")
                   : QStringLiteral("AAC_ISO");
    if (mime == QLatin1String("audio/x-ms-wma") && media.audioCodec == QLatin1String("wmav2"))
        return QStringLiteral("WMABASE");
    return QString();
}

QString pictureProfile(const QString &mime, const MediaInfo &media)
{
    const QSize &size = media.frameSize;
    if (mime == QLatin1String("image/jpeg")) {
        if (fits(size, 640, 480))
            return QStringLiteral("JPEG_SM");
        if (fits(size, 1024, 768))
            return QStringLiteral("JPEG_MED");
        return fits(size, 4096, 4096) ? QStringLiteral("JPEG_LRG") : QString();
    }
    if (mime == QLatin1String("image/png"))
        return fits(size, 4096, 4096) ? QStringLiteral("PNG_LRG") : QString();
    if (mime == QLatin1String("image/gif"))
        return fits(size, 1600, 1200) ? QStringLiteral("GIF_LRG") : QString();
    return QString();
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

QString dlnaProfile(const QString &mime, const MediaInfo &media)
{
    // The ISO transport stream profiles go with "video/mpeg", not this type.
    if (mime == QLatin1String("video/MP2T"))
        return QString();
    if (mime.startsWith(QLatin1String("video/")))
        return videoProfile(media);
    if (mime.startsWith(QLatin1String("audio/")))
        return audioProfile(mime, media);
    if (mime.startsWith(QLatin1String("image/")))
        return pictureProfile(mime, media);
    return QString();
}

QString dlnaExtension(const QString &mime, const MediaInfo &media, int clientSignature)
{
    const QString plain = QStringLiteral("DLNA.ORG_OP=01;DLNA.ORG_CI=0");
    if (clientSignature == UpnpClientSignature::PlayStation3)
        return plain;
    const bool picture = mime.startsWith(QLatin1String("image/"));
    const QString flags = QLatin1Char(';') + (picture ? pictureFlags : avFlags);
    if ((clientSignature == UpnpClientSignature::Xbox ||
         clientSignature == UpnpClientSignature::WindowsMediaPlayer) &&
        (mime == QLatin1String("video/quicktime") || mime == QLatin1String("video/mp4")))
        return plain + flags;
    const QString profile = dlnaProfile(mime, media);
    const QString named = profile.isEmpty()
                              ? plain
                              : QStringLiteral("DLNA.ORG_PN=") + profile + QLatin1Char(';') + plain;
    return named + flags;
}

QString protocolInfo(const QString &fileName, const MediaInfo &media, int clientSignature)
{
    const QString mime = mimeType(fileName, clientSignature);
    return QStringLiteral("http-get:*:") + mime + QLatin1Char(':') +
           dlnaExtension(mime, media, clientSignature);
}

QByteArray transcodedContentType(int clientSignature)
{
    if (clientSignature == UpnpClientSignature::Xbox)
        return "video/x-ms-asf";
    if (clientSignature == UpnpClientSignature::PlayStation3)
        return "video/mpeg";
    return "video/mpeg";
}

QByteArray transcodedContentFeatures(int clientSignature)
{
    // WMV2/WMA2 in ASF fits no DLNA profile: it is sent without a name.
    QByteArray profile;
    if (clientSignature == UpnpClientSignature::PlayStation3)
        profile = "DLNA.ORG_PN=MPEG_PS_PAL;";
    else if (clientSignature != UpnpClientSignature::Xbox)
        profile = "DLNA.ORG_PN=MPEG_TS_SD_KO_ISO;";
    return profile + "DLNA.ORG_OP=10;DLNA.ORG_CI=1;" + streamFlags.toLatin1();
}

QString transcodedProtocolInfo(int clientSignature)
{
    return QStringLiteral("http-get:*:") +
           QString::fromLatin1(transcodedContentType(clientSignature)) + QLatin1Char(':') +
           QString::fromLatin1(transcodedContentFeatures(clientSignature));
}

QByteArray contentFeatures(const QString &protocolInfo)
{
    return protocolInfo.section(QLatin1Char(':'), 3).toLatin1();
}

} // namespace MediaFormats
