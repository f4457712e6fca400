#pragma once

#include <QString>

class Download;
class LibraryItem;
class QRecursiveMutex;

// The downloads' view of the library database: its lock, the guid look-up and
// the library record of a finished download. Handing that record to a library
// is the wiring's business (Engines).
class LibraryAccess
{
public:
    // The lock every statement on the shared connection runs under.
    static QRecursiveMutex *mutex();
    // Whether a video with this guid is in the library; `ok` false on a failed query.
    static bool containsGuid(const QString &guid, bool *ok, QString *error);
    // Whether a library row has the video at `path`, and that row's guid.
    static bool videoOwner(const QString &path, QString *guid);
    // The library record of a finished download.
    static LibraryItem itemFor(const Download &download);

private:
    LibraryAccess() = delete;
};
