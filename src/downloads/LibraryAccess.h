#pragma once

#include <QString>

class Download;
class Library;
class LibraryItem;
class QRecursiveMutex;

// The downloads' view of the library: its lock, the guid look-up and the
// hand-over of finished videos. The program registers its library at start;
// until then (and in tools without one) a lock of our own guards the
// statements and finished videos stay where they were written.
class LibraryAccess
{
public:
    static void setLibrary(Library *library);
    static Library *library();

    // The lock every statement on the shared connection runs under.
    static QRecursiveMutex *mutex();
    // Whether a video with this guid is in the library; `ok` false on a failed query.
    static bool containsGuid(const QString &guid, bool *ok, QString *error);
    // Hands a finished download to the library's import.
    static void importFinished(const Download &download);
    // The library record of a finished download.
    static LibraryItem itemFor(const Download &download);

private:
    LibraryAccess() = delete;
};
