#include "core/RuntimeFolder.h"

#include "core/Logging.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

QString RuntimeFolder::path()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // Qt checks its owner and permissions, and has a per-user fallback.
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!folder.isEmpty())
            return folder;
    }
    const uint uid = ::geteuid();
    const QString folder =
        QDir(QDir::tempPath()).filePath(QStringLiteral("corvana-zelta-%1").arg(uid));
    return ensurePrivate(folder, uid) ? folder : QString();
}

bool RuntimeFolder::ensurePrivate(const QString &folder, uint uid)
{
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
        qCWarning(lcCore) << "RuntimeFolder: cannot create" << folder << std::strerror(errno);
        return false;
    }
    struct stat info = {};
    if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        qCWarning(lcCore) << "RuntimeFolder: not a folder, refused:" << folder;
        return false;
    }
    if (info.st_uid != uid) {
        qCWarning(lcCore) << "RuntimeFolder: owned by another user, refused:" << folder;
        return false;
    }
    if ((info.st_mode & 077) != 0 && ::chmod(name.constData(), 0700) != 0) {
        qCWarning(lcCore) << "RuntimeFolder: cannot make private:" << folder << std::strerror(errno);
        return false;
    }
    return true;
}
