#pragma once

#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

// A subtitle file that belongs to a video: beside it, with the video's base
// name, an optional language code and the suffix "srt" or "vtt"
// ("Clip.srt", "Clip.en.srt", "Clip.pt-BR.vtt" for "Clip.mp4").
struct SubtitleFile
{
    QString path;
    QString language; // the code from the file name as written; empty when none

    bool operator==(const SubtitleFile &other) const = default;

    // "text/srt" or "text/vtt".
    QString mimeType() const;
    // The language's own name ("English", "Deutsch"), the code when it is
    // not known, empty without a language.
    QString languageName() const;
    // A language's own name, capitalised ("Deutsch", "Español"); empty for
    // no language.
    static QString nameOfLanguage(QLocale::Language language);
    // ISO 639-1 code ("de" also for "deu" or "de-AT"); empty when unknown.
    QString twoLetterLanguage() const;

    // Whether fileName names a subtitle of a video whose complete base name
    // is videoBaseName; language gets the code part (empty when none).
    static bool matchLanguage(const QString &videoBaseName, const QString &fileName,
                              QString *language);
    // The subtitle files among `paths` (other files are left out) by the
    // complete base name of the video they belong to, each list sorted by
    // file name: "Clip.en.srt" is found under "Clip" (English) and under
    // "Clip.en" (no language).
    static QHash<QString, QList<SubtitleFile>> byVideoBaseName(const QStringList &paths);
    // The subtitles beside the video, sorted by file name. Lists the folder:
    // call it off the window's thread.
    static QList<SubtitleFile> besideVideo(const QString &videoPath);
    // The subtitle files in `folder` as byVideoBaseName() groups them, for
    // many videos of one folder at the price of one listing.
    static QHash<QString, QList<SubtitleFile>> inFolder(const QString &folder);
    // The name this subtitle takes beside a video copied under another base
    // name ("Clip.en.srt" beside "Clip-1.mp4" becomes "Clip-1.en.srt").
    QString nameFor(const QString &videoBaseName) const;
    // The file to show when the viewer cannot choose: one in the language
    // (ISO 639-1), else one without a language, else the first; -1 for none.
    static qsizetype preferred(const QList<SubtitleFile> &files, const QString &language);
};

using SubtitleFiles = QList<SubtitleFile>;
