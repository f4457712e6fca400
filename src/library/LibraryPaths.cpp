#include "library/LibraryPaths.h"

#include "library/Library.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QLatin1String kCopySuffix(".zelta-copy");

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

// Resolved once per thread while the library folder stays the same (a
// restored download queue asks for each of its downloads).
QString libraryRoot()
{
    thread_local QString folder;
    thread_local QString root;
    const QString current = Library::libraryPath();
    if (current != folder || root.isEmpty()) {
        const QString canonical = QFileInfo(current).canonicalFilePath();
        if (canonical.isEmpty())
            return resolved(current);
        folder = current;
        root = canonical;
    }
    return root;
}

} // namespace

bool LibraryPaths::isInside(const QString &path)
{
    if (path.isEmpty() || Library::libraryPath().isEmpty())
        return false;
    const QString root = libraryRoot();
    const QString target = resolved(path);
    return target.startsWith(root + QLatin1Char('/')) && target.size() > root.size() + 1;
}

bool LibraryPaths::isLibraryFolder(const QString &path)
{
    return !path.isEmpty() && resolved(path) == libraryRoot();
}

bool LibraryPaths::isReservedName(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String(".") || trimmed == QLatin1String(".."))
        return true;
    const QString folded = trimmed.toLower();
    return folded == QLatin1String(".cache") || folded.startsWith(QLatin1String("library.db")) ||
           isTemporaryCopy(trimmed);
}

QString LibraryPaths::safeName(const QString &name)
{
    if (!isReservedName(name))
        return name;
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String(".") || trimmed == QLatin1String(".."))
        return QStringLiteral("_");
    return QLatin1Char('_') + trimmed;
}

QString LibraryPaths::temporaryCopyPath(const QString &destination)
{
    const QFileInfo info(destination);
    // Hidden, and marked with the process that writes it.
    return info.absoluteDir().absoluteFilePath(
        QStringLiteral(".%1.%2%3")
            .arg(info.fileName())
            .arg(QCoreApplication::applicationPid())
            .arg(kCopySuffix));
}

bool LibraryPaths::isTemporaryCopy(const QString &path)
{
    return QFileInfo(path).fileName().endsWith(kCopySuffix);
}

bool LibraryPaths::isStaleTemporaryCopy(const QString &path)
{
    static const QRegularExpression pid(QStringLiteral("\\.(\\d+)\\.zelta-copy$"));
    const QRegularExpressionMatch match = pid.match(QFileInfo(path).fileName());
    return match.hasMatch() && match.captured(1).toLongLong() != QCoreApplication::applicationPid();
}
