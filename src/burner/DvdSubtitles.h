#pragma once

#include "burner/VideoClip.h"
#include "media/SubtitleCue.h"

#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>

class QDomDocument;
class QProcess;

// The subtitle streams of a DVD: which subtitle file of which clip becomes
// which subpicture stream, and the chain of subpicture multiplexer runs that
// renders them into the clips' program streams. One stream per language
// across the whole disc, in the order the languages first appear; a clip
// gives at most one file per language.
class DvdSubtitles
{
public:
    // The DVD-Video limit of subpicture streams.
    static constexpr int kMaxStreams = 32;

    struct Track
    {
        int clip = 0;   // index of the clip in the project
        int stream = 0; // subpicture stream on the disc
        QString source; // the subtitle file beside the video
        QString subRip; // the cues as plain SubRip, written by prepare()
        QString description;
        QString input;  // program stream the multiplexer reads
        QString output; // program stream it writes
        int cues = 0;   // cues written by prepared()
    };

    // Cues shown at once on the disc, and the most SubRip text handed to the
    // multiplexer for one track.
    static constexpr int kMaxShown = 4;
    static constexpr qsizetype kMaxSubRipBytes = 4 * 1024 * 1024;

    // How long one multiplexer run over the track may take: generous for the
    // size of its program stream and its cues, but bounded.
    static int timeoutMs(const Track &track);
    // Ends the process (a crash exit, which the task reports) when it runs
    // longer than `ms`.
    static void limitRun(QProcess *process, int ms);

    DvdSubtitles() = default;
    // `convertedFiles` holds each clip's program stream, in project order.
    DvdSubtitles(const QList<VideoClip> &clips, const QStringList &convertedFiles, const QDir &temp,
                 bool ntsc);

    bool isEmpty() const { return m_tracks.isEmpty(); }
    // Per stream: the ISO 639-1 code, empty when the file names no language.
    QStringList languages() const { return m_languages; }
    QList<Track> tracks() const { return m_tracks; }
    // The program stream that goes on the disc for the clip.
    QString vobFile(int clip) const;

    // Reads every subtitle file and writes its cues as plain UTF-8 SubRip
    // (so WebVTT files go through our own reader and writer too) with the
    // multiplexer's description beside it: only cues that start within the
    // clip and end with it, at most kMaxShown at once, a few short lines
    // each, at most kMaxSubRipBytes. Returns the plan without the
    // files that could not be read or hold no cues. Touches only files: may
    // run off the window's thread.
    DvdSubtitles prepared() const;

    // The font the subtitles are drawn in: DejaVu Sans where the system has
    // it, else a name the multiplexer's font lookup resolves.
    static QString font();

private:
    struct Entry
    {
        int clip = 0;
        QString language;
        QString source;
        QString base;        // name of the files made for it in the temporary folder
        qint64 lengthMs = 0; // the clip's play length, 0 when not known
        int cues = 0;
    };

    void chain();
    static SubtitleCues shaped(const SubtitleCues &cues, qint64 lengthMs);
    QDomDocument description(const Track &track) const;

    QList<Entry> m_entries;
    QStringList m_converted;
    QDir m_temp;
    bool m_ntsc = true;
    QStringList m_languages;
    QList<Track> m_tracks;
};
