#pragma once

#include <QString>

class Download;
class QRecursiveMutex;

// The downloads' view of the library: its lock, the guid look-up and the
// hand-over of finished videos.
class LibraryAccess
{
public:
    // The lock every statement on the shared connection runs under.
    static QRecursiveMutex *mutex();
    // Whether a video with this guid is in the library; `ok` false on a failed query.
    static bool containsGuid(const QString &guid, bool *ok, QString *error);
    // Hands a finished download to the library's import.
    static void importFinished(const Download &download);

private:
    LibraryAccess() = delete;
};
