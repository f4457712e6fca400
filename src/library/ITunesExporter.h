#pragma once

#include <QObject>
#include <QString>

// Sends a library video to the music player: the file is added to the playlist
// "Corvana ZELTA.m3u8" in the user's music folder, which players there pick up.
class ITunesExporter : public QObject
{
    Q_OBJECT

public:
    explicit ITunesExporter(QObject *parent = nullptr);

    // True when the user has a music folder to export to (made when missing).
    static bool isInstalled();
    // Where the playlist lives (whether or not it exists yet).
    static QString playlistPath();

    // Adds one file with its title and length in seconds (-1 when unknown).
    // finished() follows in every case, once the playlist is written or the
    // write has failed (the failure is logged).
    void exportFile(const QString &path, const QString &title = QString(), int seconds = -1);

Q_SIGNALS:
    void finished();
};
