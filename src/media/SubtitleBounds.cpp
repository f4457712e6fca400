#include "media/SubtitleBounds.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <vector>

SubtitleCues SubtitleBounds::withinLength(const SubtitleCues &cues, qint64 lengthMs)
{
    if (lengthMs <= 0)
        return cues;
    SubtitleCues kept;
    for (const SubtitleCue &cue : cues) {
        if (cue.start >= lengthMs)
            continue;
        kept.append(cue);
        kept.last().end = std::min(cue.end, lengthMs);
    }
    return kept;
}

SubtitleCues SubtitleBounds::limitOverlap(const SubtitleCues &cues, int maxShown)
{
    SubtitleCues sorted = cues;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const SubtitleCue &a, const SubtitleCue &b) { return a.start < b.start; });
    // The end times of the kept cues still shown, earliest first.
    std::priority_queue<qint64, std::vector<qint64>, std::greater<>> shown;
    SubtitleCues kept;
    for (const SubtitleCue &cue : std::as_const(sorted)) {
        while (!shown.empty() && shown.top() <= cue.start)
            shown.pop();
        if (int(shown.size()) >= maxShown)
            continue;
        shown.push(cue.end);
        kept.append(cue);
    }
    return kept;
}

SubtitleCue SubtitleBounds::trimmed(const SubtitleCue &cue, int maxLines, int maxChars)
{
    SubtitleCue out{cue.start, cue.end, {}};
    for (const SubtitleLine &line : cue.lines) {
        if (out.lines.size() >= maxLines)
            break;
        SubtitleLine kept;
        int left = maxChars;
        for (const SubtitleRun &run : line) {
            if (left <= 0)
                break;
            SubtitleRun part = run;
            if (part.text.size() > left) {
                qsizetype cut = left;
                // Never half a surrogate pair.
                if (cut > 0 && part.text.at(cut - 1).isHighSurrogate())
                    --cut;
                part.text.truncate(cut);
            }
            left -= int(part.text.size());
            if (!part.text.isEmpty())
                kept.append(part);
        }
        if (!kept.isEmpty())
            out.lines.append(kept);
    }
    return out;
}

SubtitleCues SubtitleBounds::forVideo(const SubtitleCues &cues, qint64 lengthMs, int maxShown,
                                      int maxLines)
{
    SubtitleCues shaped = limitOverlap(withinLength(cues, lengthMs), maxShown);
    for (SubtitleCue &cue : shaped)
        cue = trimmed(cue, maxLines);
    shaped.removeIf([](const SubtitleCue &cue) { return cue.lines.isEmpty(); });
    return shaped;
}
