#include "media/SourceFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool statOf(const QString &path, struct stat *info, bool followLink)
{
    const QByteArray native = QFile::encodeName(path);
    return (followLink ? ::stat(native.constData(), info) : ::lstat(native.constData(), info)) == 0;
}

bool readable(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), R_OK) == 0;
}

} // namespace

bool SourceFile::isInsideFolder(const QString &path, const QString &folder)
{
    if (path.isEmpty() || folder.isEmpty())
        return false;
    QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty())
        root = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    QString resolved = QFileInfo(path).canonicalFilePath();
    if (resolved.isEmpty())
        resolved = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (root == QLatin1String("/"))
        return true;
    return resolved == root || resolved.startsWith(root + QLatin1Char('/'));
}

bool SourceFile::isSystemPath(const QString &path)
{
    for (const char *system : {"/proc", "/sys", "/dev"}) {
        if (isInsideFolder(path, QLatin1String(system)))
            return true;
    }
    return false;
}

SourceFile::Check SourceFile::check(const QString &path, const QStringList &keptFolders)
{
    Check result;
    struct stat own;
    if (path.isEmpty() || !statOf(path, &own, false))
        return result; // Missing
    result.target = QFileInfo(path).absoluteFilePath();
    result.link = S_ISLNK(own.st_mode);
    struct stat info = own;
    if (result.link) {
        const QString target = QFileInfo(path).canonicalFilePath();
        if (target.isEmpty() || !statOf(target, &info, true)) {
            result.kind = LinkLeadsOut; // dangling, or a loop of links
            return result;
        }
        result.target = target;
        if (S_ISDIR(info.st_mode)) {
            result.kind = LinkToFolder;
            return result;
        }
        for (const QString &kept : keptFolders) {
            if (isInsideFolder(target, kept)) {
                result.kind = LinkLeadsOut;
                return result;
            }
        }
        if (isSystemPath(target)) {
            result.kind = LinkLeadsOut;
            return result;
        }
    } else if (S_ISDIR(info.st_mode)) {
        result.kind = Folder;
        return result;
    } else if (isSystemPath(path)) {
        result.kind = SystemFile;
        return result;
    }
    if (!S_ISREG(info.st_mode))
        result.kind = NotRegular;
    else if (!readable(result.target))
        result.kind = Unreadable;
    else
        result.kind = Regular;
    return result;
}

bool SourceFile::openRegular(QFile *file, const QString &path, QString *error)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = errno == ELOOP ? QStringLiteral("the file is a link")
                                : QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        *error = QStringLiteral("not a regular file");
        return false;
    }
    // Reads of a regular file never block; the flag only kept open() from
    // waiting on a pipe.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file->setFileName(path);
    if (!file->open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = file->errorString();
        return false;
    }
    return true;
}
