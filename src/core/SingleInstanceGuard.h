#pragma once

#include <QByteArray>
#include <QHash>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;

// Keeps a second copy of the program from running: a lock file in the user's
// private runtime folder (RuntimeFolder), held for the life of the guard, plus
// a local server through which a second copy can hand its arguments to the
// running one. Without a private folder the guard stands aside.
class SingleInstanceGuard : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstanceGuard(const QString &key, QObject *parent = nullptr);
    ~SingleInstanceGuard() override;

    // True when another process holds the guard.
    bool isRunning() const { return m_running; }

    // From a second copy: hands `message` to the running copy. False when it
    // could not be delivered within `timeoutMs`.
    bool sendMessage(const QByteArray &message, int timeoutMs = 3000) const;

    // Empty when there is no private runtime folder.
    static QString lockFilePath(const QString &key);

    // The largest message the running copy accepts.
    static constexpr qint64 MaxMessageBytes = 64 * 1024;
    // Second copies served at once; more are turned away at the door.
    static constexpr int MaxConnections = 4;
    // A second copy that sends nothing for this long is dropped.
    static constexpr int IdleTimeoutMs = 5000;

    int connectionCount() const { return int(m_incoming.size()); }
    void setIdleTimeout(int ms) { m_idleTimeoutMs = ms; }

Q_SIGNALS:
    // In the running copy: a second copy handed this message.
    void messageReceived(const QByteArray &message);

private:
    void acceptConnection();
    void readFrom(QLocalSocket *socket);
    void drop(QLocalSocket *socket);
    QString serverName() const;

    QString m_key;
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
    bool m_running = false;
    // What each connected second copy has written so far.
    QHash<QLocalSocket *, QByteArray> m_incoming;
    int m_idleTimeoutMs = IdleTimeoutMs;
};
