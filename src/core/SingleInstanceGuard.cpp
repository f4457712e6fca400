#include "core/SingleInstanceGuard.h"

#include "core/Logging.h"
#include "core/RuntimeFolder.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace {

QString lockFileIn(const QString &folder, const QString &key)
{
    return folder.isEmpty() ? QString() : QDir(folder).filePath(key + QStringLiteral(".lock"));
}

} // namespace

QString SingleInstanceGuard::lockFilePath(const QString &key)
{
    return lockFileIn(RuntimeFolder::path(), key);
}

SingleInstanceGuard::SingleInstanceGuard(const QString &key, QObject *parent)
    : QObject(parent), m_key(key), m_folder(RuntimeFolder::path())
{
    if (m_folder.isEmpty()) {
        // Better a second copy than none at all.
        qCWarning(lcCore) << "SingleInstanceGuard: no private runtime folder, running unguarded";
        return;
    }
    m_lock = std::make_unique<QLockFile>(lockFileIn(m_folder, key));
    m_lock->setStaleLockTime(0); // held for the whole run; staleness is decided by the pid
    if (!m_lock->tryLock(0)) {
        m_running = true;
        return;
    }
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->setMaxPendingConnections(MaxConnections);
    QLocalServer::removeServer(serverName());
    if (!m_server->listen(serverName()))
        qCWarning(lcCore) << "SingleInstanceGuard: cannot listen:" << m_server->errorString();
    connect(m_server.get(), &QLocalServer::newConnection, this,
            &SingleInstanceGuard::acceptConnection);
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_server)
        m_server->close();
    if (m_lock && !m_running)
        m_lock->unlock();
}

QString SingleInstanceGuard::serverName() const
{
    return QDir(m_folder).filePath(m_key + QStringLiteral(".socket"));
}

bool SingleInstanceGuard::sendMessage(const QByteArray &message, int timeoutMs) const
{
    if (!m_running || message.size() > MaxMessageBytes)
        return false;
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

// A message is everything a second copy writes before it disconnects. Only a
// few are served at once and each only while it keeps writing, so idle or
// endless connections cannot use up the process's descriptors (which would
// close the listening socket for good).
void SingleInstanceGuard::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        if (m_incoming.size() >= MaxConnections) {
            qCWarning(lcCore) << "SingleInstanceGuard: too many connections, one refused";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_incoming.insert(socket, QByteArray());
        auto *idle = new QTimer(socket);
        idle->setSingleShot(true);
        idle->setInterval(m_idleTimeoutMs);
        connect(idle, &QTimer::timeout, this, [this, socket] {
            qCWarning(lcCore) << "SingleInstanceGuard: idle connection dropped";
            drop(socket);
        });
        idle->start();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, idle] {
            idle->start();
            readFrom(socket);
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            readFrom(socket);
            const auto pending = m_incoming.find(socket);
            if (pending != m_incoming.end()) {
                const QByteArray message = *pending;
                m_incoming.erase(pending);
                if (!message.isEmpty())
                    Q_EMIT messageReceived(message);
            }
            socket->deleteLater();
        });
    }
}

void SingleInstanceGuard::readFrom(QLocalSocket *socket)
{
    const auto pending = m_incoming.find(socket);
    if (pending == m_incoming.end())
        return; // already dropped
    // Never more than one byte beyond the limit is held.
    pending->append(socket->read(MaxMessageBytes + 1 - pending->size()));
    if (pending->size() > MaxMessageBytes) {
        qCWarning(lcCore) << "SingleInstanceGuard: message too large, dropped";
        drop(socket);
    }
}

void SingleInstanceGuard::drop(QLocalSocket *socket)
{
    if (!m_incoming.remove(socket))
        return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}
