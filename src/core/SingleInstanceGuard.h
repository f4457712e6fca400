#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

class QLocalServer;

// Keeps a second copy of the program from running: a lock file in the user's
// runtime folder, held for the life of the guard, plus a local server name
// that other processes can probe.
class SingleInstanceGuard
{
public:
    explicit SingleInstanceGuard(const QString &key);
    ~SingleInstanceGuard();

    // True when another process holds the guard.
    bool isRunning() const { return m_running; }

    static QString lockFilePath(const QString &key);

private:
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
    bool m_running = false;
};
