#include "library/LibraryLocation.h"

#include <QDir>
#include <QFile>
#include <QMutex>

namespace {

// Written at start, before the threads that read it exist; the lock keeps a
// test that moves its home between cases safe all the same.
QMutex g_lock;
QString g_folder;
QString g_cacheFolder;
QString g_databaseFile;

} // namespace

void LibraryLocation::setUp(const QString &basePath)
{
    const QDir base(basePath.isEmpty() ? QDir::homePath() : basePath);
    const QString folder = base.absoluteFilePath(QStringLiteral("My Library"));
    if (!QFile::exists(folder))
        QDir().mkdir(folder);
    const QDir library(folder);
    const QString cache = library.absoluteFilePath(QStringLiteral(".cache"));
    if (!QFile::exists(cache))
        QDir().mkdir(cache);
    QMutexLocker locker(&g_lock);
    g_folder = folder;
    g_cacheFolder = cache;
    g_databaseFile = library.absoluteFilePath(QStringLiteral("library.db"));
}

void LibraryLocation::setDatabaseFile(const QString &path)
{
    QMutexLocker locker(&g_lock);
    g_databaseFile = path;
}

QString LibraryLocation::folder()
{
    QMutexLocker locker(&g_lock);
    return g_folder;
}

QString LibraryLocation::cacheFolder()
{
    QMutexLocker locker(&g_lock);
    return g_cacheFolder;
}

QString LibraryLocation::databaseFile()
{
    QMutexLocker locker(&g_lock);
    return g_databaseFile;
}
