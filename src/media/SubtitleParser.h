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
    static constexpr qsizetype kMaxFileBytes = 10 * 1024 * 1024;
    // Cues a subtitle file may hold; a file with more is refused (a film has
    // a few thousand).
    static constexpr int kMaxCues = 20000;
    // Lines kept per cue and characters kept per line.
    static constexpr int kMaxLines = 16;
    static constexpr int kMaxLineLength = 500;

    // Cues sorted by start time. Text is UTF-8 or UTF-16 with a byte-order
    // mark, UTF-8 when it is valid, Latin-1 otherwise.
    static SubtitleCues parse(const QByteArray &bytes);
    // The same; `complete` is false when the text held more than kMaxCues
    // cues (reading stopped there, the cues are the first ones).
    static SubtitleCues parse(const QByteArray &bytes, bool *complete);

    // Why a file's cues were not read.
    enum class Problem
    {
        None,
        Missing,
        NotRegularFile, // a device, pipe, socket or folder (also through a link)
        Unreadable,
        TooLarge,   // over kMaxFileBytes
        TooManyCues // over kMaxCues
    };
    static QString problemText(Problem problem);
    // The file's cues, or the problem (and no cues). Reads at most
    // kMaxFileBytes and never blocks on a pipe or device.
    static Problem read(const QString &path, SubtitleCues *cues, QString *error = nullptr);
    // The file's cues; false with a message for a missing, unreadable,
    // oversized or overfull file.
    static bool readFile(const QString &path, SubtitleCues *cues, QString *error);
    static QString decode(const QByteArray &bytes);
    // "hh:mm:ss,mmm", "hh:mm:ss.mmm" or "mm:ss.mmm" in milliseconds; -1 when
    // the text is not a time.
    static qint64 parseTime(QStringView text);
};
