#pragma once

#include <QString>

// Where one library lives: its folder ("My Library" under a base folder), the
// cache folder inside it and the database file, with the library folder's
// path resolved once. A value: made by the engines of a home (or by a test for
// its own temporary home) and handed to every part that writes into the
// library, so that none of them needs the library itself. An empty location
// holds no path.
class LibraryLocation
{
public:
    LibraryLocation() = default;

    // Makes the library folder and its cache folder under `basePath` (the
    // home folder when empty).
    static LibraryLocation setUp(const QString &basePath = QString());
    // A library in `folder` itself (made, with its cache folder, when missing).
    static LibraryLocation at(const QString &folder);

    bool isEmpty() const { return m_folder.isEmpty(); }
    const QString &folder() const { return m_folder; }
    const QString &cacheFolder() const { return m_cacheFolder; }
    const QString &databaseFile() const { return m_databaseFile; }

    // True when `path` lies inside the library folder (symbolic links
    // resolved; the folder itself does not count).
    bool contains(const QString &path) const;
    // True for the library folder itself (symbolic links resolved).
    bool isFolder(const QString &path) const;

private:
    // The library folder with its links resolved.
    QString root() const;

    QString m_folder;
    QString m_cacheFolder;
    QString m_databaseFile;
    QString m_root;
};
