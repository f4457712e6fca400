#pragma once

#include "library/CopyRequest.h"
#include "media/SubtitleFile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The subtitle files that travel with a video: copied into the library
// beside the copied video under its (possibly new) base name, and deleted
// with it unless another video of the same base name still shows them.
class SubtitleImport
{
public:
    // Copies that bring a video's subtitles to the folder of destinationVideo
    // ("Clip.en.srt" becomes "Clip-1.en.srt" beside "Clip-1.mp4").
    static QList<CopyRequest> copiesFor(const SubtitleFiles &subtitles,
                                        const QString &destinationVideo);
    // The names the subtitles take beside a video named videoName.
    static QStringList namesFor(const SubtitleFiles &subtitles, const QString &videoName);
    // Subtitle files arrive with their video, never as videos of their own.
    static bool isSubtitleFile(const QString &path);
    // The subtitles of a removed video that are its own: none while another
    // file of the same base name is still a video of the library.
    static QStringList ownFiles(const QString &videoPath,
                                const std::function<bool(const QString &)> &isReferenced);
};
