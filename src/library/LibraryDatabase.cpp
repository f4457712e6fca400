// Library folders and the start-up opening of the database file.
#include "library/Library.h"
#include "library/LibraryLocation.h"
#include "library/LibraryStore.h"

void Library::setupPaths(const QString &basePath)
{
    LibraryLocation::setUp(basePath);
}

QString Library::libraryPath()
{
    return LibraryLocation::folder();
}

QString Library::cachePath()
{
    return LibraryLocation::cacheFolder();
}

QString Library::databasePath()
{
    return LibraryLocation::databaseFile();
}

bool Library::initDatabase(const QString &path, QString *upgradeProblem)
{
    if (!path.isEmpty())
        LibraryLocation::setDatabaseFile(path);
    // A store opens the file, creates and migrates it on its own thread; this
    // thread only waits for it.
    LibraryStore store(LibraryLocation::databaseFile(), LibraryStore::Opening::Upgrade);
    if (upgradeProblem)
        *upgradeProblem = store.call([&store] { return store.upgradeProblem(); });
    return store.call([&store] { return store.isOpen(); });
}
