#pragma once

#include <QString>
#include <QStringList>

// What the program takes a file for by its name: a video, a subtitle that
// belongs to a video, or one of the pictures the library keeps beside a
// video ("<video>-thumb.jpg", "<video>-cover.jpg"). One place for these
// rules, so that the import, the integrity check, the file dialogs and the
// TV server agree.
class MediaFiles
{
public:
    // Lower-case suffixes without the dot.
    static const QStringList &videoSuffixes();
    static const QStringList &subtitleSuffixes();
    // Name filters ("*.mp4") for folder listings and file dialogs.
    static QStringList videoNameFilters();
    static QStringList subtitleNameFilters();

    static bool isVideoSuffix(const QString &suffix);
    static bool isSubtitleSuffix(const QString &suffix);
    // By the file name's last suffix, in any case.
    static bool isVideoFile(const QString &path);
    static bool isSubtitleFile(const QString &path);

    // The pictures kept beside a video named `videoName` (its whole file
    // name or its base name).
    static QString thumbnailName(const QString &videoName);
    static QString coverName(const QString &videoName);
    // Whether `fileName` is such a picture; `videoName` gets the name it was
    // made for.
    static bool isSideImage(const QString &fileName, QString *videoName = nullptr);
    // A video named by the library whose file is not there (an empty path
    // names no file, so nothing is missing).
    static bool isMissing(const QString &path);

private:
    MediaFiles() = delete;
};
