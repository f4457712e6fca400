#pragma once

#include "media/SubtitleCue.h"
#include "media/SubtitleFile.h"

#include <QList>
#include <QString>

#include <memory>

class QTemporaryFile;

// What the TV server does with a video's subtitle files: which it offers
// first, which it refuses outright, and the copy it hands to the encoder
// that draws the text into a console's picture.
class TvSubtitles
{
public:
    // Larger subtitle files are neither served nor drawn.
    static constexpr qint64 kMaxFileBytes = 10 * 1024 * 1024;
    // Cues shown at once in a drawn picture; later ones wait for a free place.
    static constexpr int kMaxShownCues = 8;

    // The language the user reads (ISO 639-1), for choosing among subtitle files.
    static QString userLanguage();
    // A file the server may hand on: a regular file within the size bound.
    static bool isServable(const SubtitleFile &file);
    static QList<SubtitleFile> servable(const QList<SubtitleFile> &files);
    // Indexes of `files` in the order clients are offered them: SubRip
    // first (older televisions read nothing else, players take the first),
    // the user's language (ISO 639-1) first among equals, then by name.
    static QList<int> offerOrder(const QList<SubtitleFile> &files, const QString &language);
    // The cues fit for drawing: those starting before the video's end
    // (`lengthMs`, unknown when negative) cut at it, and never more than
    // kMaxShownCues on screen at once (the others are dropped).
    static SubtitleCues drawableCues(SubtitleCues cues, qint64 lengthMs);
    // Our own SubRip copy of `file` made from its parsed cues, for the
    // encoder's filter; null when the file is refused or holds no cue.
    static std::unique_ptr<QTemporaryFile> burnInCopy(const SubtitleFile &file, qint64 lengthMs);
};
