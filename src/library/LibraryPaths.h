#pragma once

#include <QString>

// Rules for what may be written, named and deleted in the library folder.
class LibraryPaths
{
public:
    // True when `path` lies inside the library folder (symbolic links
    // resolved; the folder itself does not count).
    static bool isInside(const QString &path);
    // True for the library folder itself (symbolic links resolved).
    static bool isLibraryFolder(const QString &path);
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
