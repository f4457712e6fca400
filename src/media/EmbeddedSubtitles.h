#pragma once

#include "media/EncoderRunner.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

// The subtitle tracks a video carries. The text ones are written out as
// SubRip files beside the video ("Clip.en.srt" for an English track of
// "Clip.mkv"), so that they count as the video's subtitle files everywhere.
// Picture tracks (DVD, Blu-ray, DVB subtitles) hold no text and are left alone.
class EmbeddedSubtitles
{
public:
    struct Track
    {
        int index = -1;   // stream index in the file
        QString codec;    // as the probe names it ("subrip", "mov_text", "dvd_subtitle")
        QString language; // the track's language tag as written ("eng"); may be empty

        bool operator==(const Track &other) const = default;
    };

    static bool isTextCodec(const QString &codec);
    // The subtitle streams of the probe's JSON report.
    static QList<Track> parseProbe(const QByteArray &json);
    // The language part of a file name for a track's tag: ISO 639-1 where
    // the locale data knows the language ("eng" -> "en"), empty for none,
    // "und" and codes it does not know.
    static QString fileLanguage(const QString &tag);

    // The subtitle tracks of `video`, read with the probe; empty when it has
    // none or the probe fails.
    static QList<Track> probe(const QString &video, int timeoutMs = EncoderRunner::defaultTimeoutMs,
                              const std::atomic<bool> *cancel = nullptr,
                              EncoderRunner::Priority priority = EncoderRunner::Priority::Normal);
    // Writes the text tracks of `video` beside it, the first track of each
    // language only; a subtitle file already there is never replaced. Returns
    // the files written.
    static QStringList
    extractBeside(const QString &video, int timeoutMs = EncoderRunner::defaultTimeoutMs,
                  const std::atomic<bool> *cancel = nullptr,
                  EncoderRunner::Priority priority = EncoderRunner::Priority::Normal);
};
