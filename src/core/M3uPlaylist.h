#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// An extended M3U playlist (UTF-8, "#EXTM3U" first, an "#EXTINF:<seconds>,<title>"
// line before each file). Entries are added by rewriting the whole file
// atomically, so a failed write leaves the old playlist as it was; the lines
// already there keep their bytes. LF, CRLF and CR line ends are read.
class M3uPlaylist
{
public:
    enum Result
    {
        Added,
        AlreadyListed,
        Failed
    };

    explicit M3uPlaylist(const QString &path);

    QString path() const { return m_path; }
    // The files listed, as absolute paths (relative entries resolved against
    // the playlist's folder).
    QStringList files() const;

    // Adds `file` (absolute) with its title and length (-1 when unknown),
    // creating the playlist when missing. A file already listed is not added
    // again. On failure `error` says why.
    Result addFile(const QString &file, const QString &title, int seconds,
                   QString *error = nullptr);

private:
    QList<QByteArray> readLines(bool *ok, QString *error) const;
    QString resolved(const QByteArray &line) const;

    QString m_path;
};
