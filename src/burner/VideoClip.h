#pragma once

#include "media/SubtitleFile.h"

#include <QString>
#include <QTime>

// One scanned source file of a burn project.
class VideoClip
{
public:
    VideoClip() = default;
    VideoClip(const QString &path, double seconds, int bitrate, int width, int height);

    bool operator==(const VideoClip &other) const;

    bool valid = false;
    QTime duration;
    double seconds = 0.0;
    QString name;
    QString path;
    QString fileName;
    double size = 0.0;
    int width = 0;
    int height = 0;
    int bitrate = 0;
    // The subtitle files beside the source, and whether they go on the disc.
    SubtitleFiles subtitles;
    bool subtitlesOn = true;

    bool carriesSubtitles() const { return subtitlesOn && !subtitles.isEmpty(); }
};
