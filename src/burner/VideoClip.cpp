#include "burner/VideoClip.h"

#include <QFileInfo>

VideoClip::VideoClip(const QString &path, double seconds, int bitrate, int width, int height)
    : valid(true), duration(QTime(0, 0).addSecs(static_cast<int>(seconds))), seconds(seconds),
      path(path), width(width), height(height), bitrate(bitrate)
{
    const QFileInfo info(path);
    fileName = info.fileName();
    name = fileName;
    size = static_cast<double>(info.size());
}

bool VideoClip::operator==(const VideoClip &other) const
{
    return fileName == other.fileName && path == other.path && name == other.name &&
           valid == other.valid;
}
