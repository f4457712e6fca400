#include "core/SingleInstanceGuard.h"

#include "core/Logging.h"
#include "core/RuntimeFolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
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

namespace {

const QByteArray kTaken = "taken\n";
// Pause before asking a copy whose slots were all taken again.
constexpr int kRetryPauseMs = 100;
// The length line: at most this many digits.
constexpr int kMaxLengthDigits = 6;

} // namespace

bool SingleInstanceGuard::sendOnce(const QString &server, const QByteArray &frame, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(server);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    socket.write(frame);
    QByteArray answer;
    while (!answer.contains('\n') && !deadline.hasExpired()) {
        if (socket.state() != QLocalSocket::ConnectedState && socket.bytesAvailable() == 0)
            return false; // turned away, or dropped
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(deadline.remainingTime())))
            continue;
        answer += socket.read(kTaken.size() - answer.size());
    }
    socket.abort();
    return answer == kTaken;
}

bool SingleInstanceGuard::sendMessage(const QByteArray &message, int timeoutMs) const
{
    if (!m_running || message.isEmpty() || message.size() > MaxMessageBytes)
        return false;
    const QByteArray frame = QByteArray::number(message.size()) + '\n' + message;
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (sendOnce(serverName(), frame, int(deadline.remainingTime())))
            return true;
        QThread::msleep(
            ulong(qMin<qint64>(kRetryPauseMs, qMax<qint64>(0, deadline.remainingTime()))));
    }
    qCWarning(lcCore) << "SingleInstanceGuard: the running copy did not take the message";
    return false;
}

// A message is a length line and that many bytes; the running copy answers
// "taken" once it has all of them. Only a few second copies are served at
// once, and each only for a short while from its connecting, so idle or
// trickling connections cannot keep others out or use up the process's
// descriptors (which would close the listening socket for good).
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
        auto *deadline = new QTimer(socket);
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, this, [this, socket] {
            qCWarning(lcCore) << "SingleInstanceGuard: a connection sent no whole message in "
                                 "time, dropped";
            drop(socket);
        });
        deadline->start(m_requestTimeoutMs);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            m_incoming.remove(socket); // an incomplete message is no message
            socket->deleteLater();
        });
    }
}

void SingleInstanceGuard::readFrom(QLocalSocket *socket)
{
    const auto pending = m_incoming.find(socket);
    if (pending == m_incoming.end())
        return; // already dropped
    // Never more than the length line and the largest message are held.
    const qint64 room = kMaxLengthDigits + 1 + MaxMessageBytes - pending->size();
    pending->append(socket->read(room + 1));
    const qsizetype lineEnd = pending->indexOf('\n');
    if (lineEnd < 0) {
        if (pending->size() > kMaxLengthDigits) {
            qCWarning(lcCore) << "SingleInstanceGuard: not a message, dropped";
            drop(socket);
        }
        return;
    }
    bool ok = false;
    const qint64 length = pending->left(lineEnd).toLongLong(&ok);
    if (!ok || length <= 0 || length > MaxMessageBytes || pending->size() > lineEnd + 1 + length) {
        qCWarning(lcCore) << "SingleInstanceGuard: message malformed or too large, dropped";
        drop(socket);
        return;
    }
    if (pending->size() < lineEnd + 1 + length)
        return; // more to come
    const QByteArray message = pending->mid(lineEnd + 1);
    m_incoming.erase(pending);
    socket->disconnect(this);
    socket->write(kTaken);
    socket->flush();
    socket->disconnectFromServer();
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (socket->state() == QLocalSocket::UnconnectedState)
        socket->deleteLater();
    Q_EMIT messageReceived(message);
}

void SingleInstanceGuard::drop(QLocalSocket *socket)
{
    if (!m_incoming.remove(socket))
        return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}
