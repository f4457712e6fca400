#pragma once

#include <QString>

// Rules for the names written in the library folder (where the folder lies
// is the library's location).
class LibraryPaths
{
public:
    // Names the library keeps for itself ("." and "..", the cache folder, the
    // database and its journals, copies in progress).
    static bool isReservedName(const QString &name);
    // `name`, or a safe stand-in when it is reserved.
    static QString safeName(const QString &name);

    // The name a copy is written under until it is complete, in the same
    // folder as `destination`.
    static QString temporaryCopyPath(const QString &destination);
    static bool isTemporaryCopy(const QString &path);
    // A temporary copy left by another (ended) process.
    static bool isStaleTemporaryCopy(const QString &path);

private:
    LibraryPaths() = delete;
};
