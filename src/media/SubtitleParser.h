#pragma once

#include "media/SubtitleCue.h"

#include <QByteArray>
#include <QString>

// Reads SubRip (.srt) and WebVTT (.vtt) subtitles. The files come from
// anywhere, so the parser is forgiving: a cue with a broken timing line is
// skipped, a missing blank line between cues is tolerated, unknown tags are
// dropped, and input, lines and cues are bounded. Only italic and bold are
// kept as styles.
class SubtitleParser
{
public:
    // Bytes read from a subtitle file at most; longer files are refused.
    static constexpr qsizetype kMaxFileBytes = 8 * 1024 * 1024;
    // Lines kept per cue and characters kept per line.
    static constexpr int kMaxLines = 16;
    static constexpr int kMaxLineLength = 500;

    // Cues sorted by start time. Text is UTF-8 or UTF-16 with a byte-order
    // mark, UTF-8 when it is valid, Latin-1 otherwise.
    static SubtitleCues parse(const QByteArray &bytes);
    // The file's cues; false with a message for a missing or oversized file.
    static bool readFile(const QString &path, SubtitleCues *cues, QString *error);
    static QString decode(const QByteArray &bytes);
    // "hh:mm:ss,mmm", "hh:mm:ss.mmm" or "mm:ss.mmm" in milliseconds; -1 when
    // the text is not a time.
    static qint64 parseTime(QStringView text);
};
