#pragma once

#include <QString>

class Download;
class LibraryItem;
class LibraryStore;

// The downloads' view of the library: the guid and video look-ups, asked of
// the library's store (the caller waits for the answer), and the library
// record of a finished download. Handing that record to a library is the
// wiring's business (Engines).
class LibraryAccess
{
public:
    // Whether a video with this guid is in the library; `ok` false on a failed query.
    static bool containsGuid(LibraryStore *store, const QString &guid, bool *ok, QString *error);
    // Whether a library row has the video at `path`, and that row's guid.
    static bool videoOwner(LibraryStore *store, const QString &path, QString *guid);
    // The library record of a finished download.
    static LibraryItem itemFor(const Download &download);

private:
    LibraryAccess() = delete;
};
