#include "core/SingleInstanceGuard.h"

#include <QDir>
#include <QLocalServer>
#include <QStandardPaths>

namespace {

QString runtimeFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    return folder;
}

} // namespace

QString SingleInstanceGuard::lockFilePath(const QString &key)
{
    return QDir(runtimeFolder()).filePath(key + QStringLiteral(".lock"));
}

SingleInstanceGuard::SingleInstanceGuard(const QString &key)
    : m_lock(std::make_unique<QLockFile>(lockFilePath(key)))
{
    m_lock->setStaleLockTime(0); // held for the whole run; staleness is decided by the pid
    if (!m_lock->tryLock(0)) {
        m_running = true;
        return;
    }
    m_server = std::make_unique<QLocalServer>();
    const QString serverName = QDir(runtimeFolder()).filePath(key + QStringLiteral(".socket"));
    QLocalServer::removeServer(serverName);
    m_server->listen(serverName);
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_server)
        m_server->close();
    if (!m_running)
        m_lock->unlock();
}
