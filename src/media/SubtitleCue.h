#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// A piece of cue text in one style.
struct SubtitleRun
{
    QString text;
    bool italic = false;
    bool bold = false;

    bool operator==(const SubtitleRun &other) const = default;
};

using SubtitleLine = QList<SubtitleRun>;

// One timed subtitle: shown from start (inclusive) to end (exclusive), in
// milliseconds, as one or more lines of styled text.
struct SubtitleCue
{
    qint64 start = 0;
    qint64 end = 0;
    QList<SubtitleLine> lines;

    bool operator==(const SubtitleCue &other) const = default;
    bool isShownAt(qint64 ms) const { return ms >= start && ms < end; }
    // The lines without styles, joined by line breaks.
    QString plainText() const;
};

using SubtitleCues = QList<SubtitleCue>;
