// Subtitles: whatever a .srt or .vtt file holds, the cues are sorted, timed
// forwards, bounded, free of control characters and broken surrogates, and the
// SubRip the writer makes of them reads back to the same cues.
#include "FuzzSupport.h"
#include "media/SubtitleParser.h"
#include "media/SubtitleWriter.h"

FUZZ_QUIET_SETUP()

namespace {

void checkCue(const SubtitleCue &cue)
{
    FUZZ_CHECK(cue.start >= 0 && cue.end > cue.start);
    FUZZ_CHECK(!cue.lines.isEmpty() && cue.lines.size() <= SubtitleParser::kMaxLines);
    for (const SubtitleLine &line : cue.lines) {
        FUZZ_CHECK(!line.isEmpty());
        qsizetype length = 0;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const SubtitleRun &run = line[i];
            FUZZ_CHECK(!run.text.isEmpty());
            // Neighbouring runs differ in style (they are merged otherwise).
            FUZZ_CHECK(i == 0 || line[i - 1].italic != run.italic || line[i - 1].bold != run.bold);
            for (qsizetype c = 0; c < run.text.size(); ++c) {
                const QChar ch = run.text[c];
                FUZZ_CHECK(ch.unicode() >= 0x20 && ch.unicode() != 0x7f);
                if (ch.isHighSurrogate())
                    FUZZ_CHECK(c + 1 < run.text.size() && run.text[c + 1].isLowSurrogate());
                else if (ch.isLowSurrogate())
                    FUZZ_CHECK(c > 0 && run.text[c - 1].isHighSurrogate());
            }
            length += run.text.size();
        }
        FUZZ_CHECK(length <= SubtitleParser::kMaxLineLength);
        FUZZ_CHECK(!line.first().text.front().isSpace() && !line.last().text.back().isSpace());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const SubtitleCues cues = SubtitleParser::parse(FuzzSupport::input(data, size));
    for (qsizetype i = 0; i < cues.size(); ++i) {
        checkCue(cues[i]);
        FUZZ_CHECK(i == 0 || cues[i - 1].start <= cues[i].start);
    }
    FUZZ_CHECK(SubtitleParser::parse(SubtitleWriter::toSubRip(cues)) == cues);
    return 0;
}
