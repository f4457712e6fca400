#pragma once

#include "media/SubtitleCue.h"

#include <QByteArray>

// Writes cues as a SubRip file (UTF-8): with italic and bold as tags and
// special characters escaped, so that the parser reads back the same cues, or
// as plain text for tools that show the text as it stands.
class SubtitleWriter
{
public:
    enum class Text
    {
        Styled,
        Plain
    };
    static QByteArray toSubRip(const SubtitleCues &cues, Text text = Text::Styled);
    // "hh:mm:ss,mmm"
    static QString formatTime(qint64 ms);
};
