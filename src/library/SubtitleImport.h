#pragma once

#include "library/CopyRequest.h"
#include "media/SubtitleFile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The subtitle files that travel with a video: copied into the library
// beside the copied video under its (possibly new) base name, and deleted
// with it unless another video of the same base name still shows them. The
// copy is always our own SubRip, written from the cues read from the file,
// never the file's bytes; a subtitle that is a link is never taken.
class SubtitleImport
{
public:
    // Why a subtitle beside a video stays out of the library.
    enum class Refusal
    {
        None,
        Link,
        NotRegularFile,
        Unreadable,
        TooLarge,
        TooManyCues,
        NoCues
    };

    // Copies that bring a video's subtitles to the folder of destinationVideo
    // ("Clip.en.vtt" becomes "Clip-1.en.srt" beside "Clip-1.mp4"); one per
    // name, the first of "Clip.en.srt" and "Clip.en.vtt".
    static QList<CopyRequest> copiesFor(const SubtitleFiles &subtitles,
                                        const QString &destinationVideo);
    // The names the subtitles take beside a video named videoName.
    static QStringList namesFor(const SubtitleFiles &subtitles, const QString &videoName);
    // Subtitle files arrive with their video, never as videos of their own.
    static bool isSubtitleFile(const QString &path);
    // Whether the subtitle may come into the library: reads and parses it
    // (within the parser's bounds), so call it off the window's thread.
    static Refusal check(const QString &path);
    // The subtitles of a removed video that are its own: none while another
    // file of the same base name is still a video of the library.
    static QStringList ownFiles(const QString &videoPath,
                                const std::function<bool(const QString &)> &isReferenced);
};
