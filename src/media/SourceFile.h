#pragma once

#include <QString>
#include <QStringList>

class QFile;

// A file the user pointed at, looked at before a byte of it is read. A link
// is taken only for the regular file it leads to, and only when that file
// is readable and lies outside the folders the program keeps to itself (the
// library's) and the system's (/proc, /sys, /dev). Devices, pipes and
// sockets are never read: reading one may never end, or block.
class SourceFile
{
public:
    enum Kind
    {
        Regular,      // a regular file that may be read (perhaps through a link)
        Missing,      // nothing there
        Folder,       // a folder (not a link)
        LinkToFolder, // a link that leads to a folder
        LinkLeadsOut, // a link into a kept folder or a system folder, or dangling
        SystemFile,   // a file inside /proc, /sys or /dev
        NotRegular,   // a device, pipe or socket (or a link to one)
        Unreadable,   // a regular file the user may not read
    };

    struct Check
    {
        Kind kind = Missing;
        bool link = false;
        // The file to read: the path itself, or the file a link leads to.
        QString target;
    };

    // `keptFolders`: folders no link may lead into (links resolved).
    static Check check(const QString &path, const QStringList &keptFolders = {});
    // Whether the (resolved) path lies in /proc, /sys or /dev.
    static bool isSystemPath(const QString &path);
    // Whether `path` is `folder` or lies below it (both resolved).
    static bool isInsideFolder(const QString &path, const QString &folder);

    // Opens a regular file for reading, without following a link at its last
    // step and without blocking on a pipe or device (refused). False with a
    // message otherwise.
    static bool openRegular(QFile *file, const QString &path, QString *error);

private:
    SourceFile() = delete;
};
