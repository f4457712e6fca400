#pragma once

#include <QObject>
#include <QRecursiveMutex>

// The library mutex: taken by every user of the shared library connection and
// of the library rows, in any thread. Recursive, because the library's own
// operations call one another while holding it.
class RecursiveMutex : public QObject
{
    Q_OBJECT

public:
    explicit RecursiveMutex(QObject *parent = nullptr);

    void lock() { m_mutex.lock(); }
    void unlock() { m_mutex.unlock(); }
    bool tryLock(int timeoutMs = 0) { return m_mutex.tryLock(timeoutMs); }
    QRecursiveMutex *mutex() { return &m_mutex; }

private:
    QRecursiveMutex m_mutex;
};

using LibraryLocker = QMutexLocker<QRecursiveMutex>;
