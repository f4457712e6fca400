// Library folders and the start-up opening of the database file.
#include "library/Library.h"
#include "library/LibraryStore.h"

#include <QDir>
#include <QFile>

namespace {

QString g_libraryPath;
QString g_cachePath;
QString g_databasePath;

} // namespace

void Library::setupPaths(const QString &basePath)
{
    const QDir base(basePath.isEmpty() ? QDir::homePath() : basePath);
    g_libraryPath = base.absoluteFilePath(QStringLiteral("My Library"));
    if (!QFile::exists(g_libraryPath))
        QDir().mkdir(g_libraryPath);
    const QDir library(g_libraryPath);
    g_cachePath = library.absoluteFilePath(QStringLiteral(".cache"));
    if (!QFile::exists(g_cachePath))
        QDir().mkdir(g_cachePath);
    g_databasePath = library.absoluteFilePath(QStringLiteral("library.db"));
}

QString Library::libraryPath()
{
    return g_libraryPath;
}

QString Library::cachePath()
{
    return g_cachePath;
}

QString Library::databasePath()
{
    return g_databasePath;
}

bool Library::initDatabase(const QString &path, QString *upgradeProblem)
{
    if (!path.isEmpty())
        g_databasePath = path;
    // A store opens the file, creates and migrates it on its own thread; this
    // thread only waits for it.
    LibraryStore store(g_databasePath, LibraryStore::Opening::Upgrade);
    if (upgradeProblem)
        *upgradeProblem = store.call([&store] { return store.upgradeProblem(); });
    return store.call([&store] { return store.isOpen(); });
}
