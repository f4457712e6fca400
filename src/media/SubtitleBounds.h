#pragma once

#include "media/SubtitleCue.h"

// Shapes cues for what shows them: a screen, a disc's subpictures or an
// encoder's burn-in filter. However many cues a file holds and however they
// overlap, what is drawn at once stays small and nothing runs past the video.
class SubtitleBounds
{
public:
    // Cues shown at once, and lines drawn of one cue.
    static constexpr int kMaxShown = 8;
    static constexpr int kMaxLinesPerCue = 4;

    // The cues that start before `lengthMs`, each cut to end by then; all of
    // them when the length is not known (0 or less).
    static SubtitleCues withinLength(const SubtitleCues &cues, qint64 lengthMs);
    // Cues sorted by start, without those that would make more than
    // `maxShown` cues show at the same moment (the earlier ones stay).
    static SubtitleCues limitOverlap(const SubtitleCues &cues, int maxShown = kMaxShown);
    // At most `maxLines` lines, each of at most `maxChars` characters.
    static SubtitleCue trimmed(const SubtitleCue &cue, int maxLines = kMaxLinesPerCue,
                               int maxChars = 200);
    // All three: what goes to a tool or a screen for a video of `lengthMs`.
    static SubtitleCues forVideo(const SubtitleCues &cues, qint64 lengthMs,
                                 int maxShown = kMaxShown, int maxLines = kMaxLinesPerCue);

private:
    SubtitleBounds() = delete;
};
