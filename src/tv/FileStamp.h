#pragma once

#include <QString>

// What one stat() of a file tells: enough to see that it changed since it
// was listed, without the cost of a QFileInfo.
struct FileStamp
{
    bool exists = false;
    bool folder = false;
    qint64 size = 0;
    qint64 modifiedNs = 0; // since the epoch
    qint64 createdMs = 0;  // birth time, else the modification time

    qint64 modifiedMs() const { return modifiedNs / 1000000; }

    // Follows links, as the listing does.
    static FileStamp of(const QString &path);
};
