#pragma once

#include <QString>

// Where the library lives: its folder ("My Library" under the base folder),
// the cache folder inside it and the database file. Set once at start (or by
// a test for its own temporary home); read by every part that writes into
// the library, so that none of them needs the library itself.
class LibraryLocation
{
public:
    // Makes the folders under `basePath` (the home folder when empty).
    static void setUp(const QString &basePath);
    // Another database file than the one in the library folder.
    static void setDatabaseFile(const QString &path);

    static QString folder();
    static QString cacheFolder();
    static QString databaseFile();

private:
    LibraryLocation() = delete;
};
