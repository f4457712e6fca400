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

    // From a second copy: hands `message` to the running copy and waits for
    // it to say it took it. A copy whose slots are all taken is asked again
    // until `timeoutMs` has passed. False when it was not taken.
    bool sendMessage(const QByteArray &message, int timeoutMs = 8000) const;

    // Empty when there is no private runtime folder.
    static QString lockFilePath(const QString &key);

    // The largest message the running copy accepts.
    static constexpr qint64 MaxMessageBytes = 64 * 1024;
    // Second copies served at once; more are turned away at the door.
    static constexpr int MaxConnections = 4;
    // A second copy must have delivered its whole message this long after
    // connecting, or it is dropped (sending a byte now and then does not
    // keep a slot).
    static constexpr int RequestTimeoutMs = 2000;

    int connectionCount() const { return int(m_incoming.size()); }
    void setRequestTimeout(int ms) { m_requestTimeoutMs = ms; }

Q_SIGNALS:
    // In the running copy: a second copy handed this message.
    void messageReceived(const QByteArray &message);

private:
    void acceptConnection();
    void readFrom(QLocalSocket *socket);
    static bool sendOnce(const QString &server, const QByteArray &frame, int timeoutMs);
    void drop(QLocalSocket *socket);
    QString serverName() const;

    QString m_key;
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
    bool m_running = false;
    // What each connected second copy has written so far: its message's
    // length in decimal, a line feed, then the message.
    QHash<QLocalSocket *, QByteArray> m_incoming;
    int m_requestTimeoutMs = RequestTimeoutMs;
};
