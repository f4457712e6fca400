#include "library/LibraryLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The path with every symbolic link resolved; a file that does not exist yet
// is resolved through its folder.
QString resolved(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    const QString folder = info.absoluteDir().canonicalPath();
    if (folder.isEmpty())
        return QDir::cleanPath(info.absoluteFilePath());
    return folder + QLatin1Char('/') + info.fileName();
}

} // namespace

LibraryLocation LibraryLocation::setUp(const QString &basePath)
{
    const QDir base(basePath.isEmpty() ? QDir::homePath() : basePath);
    return at(base.absoluteFilePath(QStringLiteral("My Library")));
}

LibraryLocation LibraryLocation::at(const QString &folder)
{
    LibraryLocation location;
    location.m_folder = QDir(folder).absolutePath();
    if (!QFile::exists(location.m_folder))
        QDir().mkdir(location.m_folder);
    const QDir library(location.m_folder);
    location.m_cacheFolder = library.absoluteFilePath(QStringLiteral(".cache"));
    if (!QFile::exists(location.m_cacheFolder))
        QDir().mkdir(location.m_cacheFolder);
    location.m_databaseFile = library.absoluteFilePath(QStringLiteral("library.db"));
    // Resolved once here: a restored download queue or an import asks for
    // each of its files.
    location.m_root = QFileInfo(location.m_folder).canonicalFilePath();
    return location;
}

QString LibraryLocation::root() const
{
    // A folder that could not be made (or has gone) is resolved as it stands.
    return m_root.isEmpty() ? resolved(m_folder) : m_root;
}

bool LibraryLocation::contains(const QString &path) const
{
    if (path.isEmpty() || isEmpty())
        return false;
    const QString folder = root();
    const QString target = resolved(path);
    return target.startsWith(folder + QLatin1Char('/')) && target.size() > folder.size() + 1;
}

bool LibraryLocation::isFolder(const QString &path) const
{
    return !path.isEmpty() && !isEmpty() && resolved(path) == root();
}
