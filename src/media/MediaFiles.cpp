#include "media/MediaFiles.h"

#include <QFileInfo>

namespace {

const QLatin1String kThumbnailEnd("-thumb.jpg");
const QLatin1String kCoverEnd("-cover.jpg");

QStringList nameFilters(const QStringList &suffixes)
{
    QStringList filters;
    for (const QString &suffix : suffixes)
        filters << QStringLiteral("*.") + suffix;
    return filters;
}

} // namespace

const QStringList &MediaFiles::videoSuffixes()
{
    static const QStringList suffixes = {
        QStringLiteral("mp2"), QStringLiteral("mpeg"), QStringLiteral("mpg"),
        QStringLiteral("mp4"), QStringLiteral("m4v"),  QStringLiteral("ts"),
        QStringLiteral("mov"), QStringLiteral("xvid"), QStringLiteral("flv"),
        QStringLiteral("mkv"), QStringLiteral("avi"),  QStringLiteral("wmv"),
        QStringLiteral("asf"), QStringLiteral("divx"), QStringLiteral("webm")};
    return suffixes;
}

const QStringList &MediaFiles::subtitleSuffixes()
{
    static const QStringList suffixes = {QStringLiteral("srt"), QStringLiteral("vtt")};
    return suffixes;
}

QStringList MediaFiles::videoNameFilters()
{
    return nameFilters(videoSuffixes());
}

QStringList MediaFiles::subtitleNameFilters()
{
    return nameFilters(subtitleSuffixes());
}

bool MediaFiles::isVideoSuffix(const QString &suffix)
{
    return videoSuffixes().contains(suffix, Qt::CaseInsensitive);
}

bool MediaFiles::isSubtitleSuffix(const QString &suffix)
{
    return subtitleSuffixes().contains(suffix, Qt::CaseInsensitive);
}

bool MediaFiles::isVideoFile(const QString &path)
{
    return isVideoSuffix(QFileInfo(path).suffix());
}

bool MediaFiles::isSubtitleFile(const QString &path)
{
    return isSubtitleSuffix(QFileInfo(path).suffix());
}

QString MediaFiles::thumbnailName(const QString &videoName)
{
    return videoName + kThumbnailEnd;
}

QString MediaFiles::coverName(const QString &videoName)
{
    return videoName + kCoverEnd;
}

bool MediaFiles::isSideImage(const QString &fileName, QString *videoName)
{
    for (const QLatin1String end : {kThumbnailEnd, kCoverEnd}) {
        if (fileName.size() > end.size() && fileName.endsWith(end, Qt::CaseInsensitive)) {
            if (videoName)
                *videoName = fileName.left(fileName.size() - end.size());
            return true;
        }
    }
    return false;
}

bool MediaFiles::isMissing(const QString &path)
{
    return !path.isEmpty() && !QFileInfo::exists(path);
}
