#pragma once

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

// Says what work the engines are doing. A job holds a Task from the moment it
// is handed over until it has run; the tracker says when the last one has
// ended and the results they handed to its thread have been taken in (the
// "idle" answer comes through the tracker's own event queue, behind them).
// The status strip shows running(); zelta-cli, tests and shutdown wait for
// idle() instead of polling.
class TaskTracker : public QObject
{
    Q_OBJECT

public:
    // One running job; ends when destroyed (or by end()). Movable, any thread.
    class Task
    {
    public:
        Task() = default;
        Task(Task &&other) noexcept;
        Task &operator=(Task &&other) noexcept;
        Task(const Task &) = delete;
        Task &operator=(const Task &) = delete;
        ~Task();

        void end();
        bool isActive() const { return m_tracker != nullptr; }

    private:
        friend class TaskTracker;
        Task(TaskTracker *tracker, QString kind);

        TaskTracker *m_tracker = nullptr;
        QString m_kind;
    };

    explicit TaskTracker(QObject *parent = nullptr);

    // Any thread. `kind` names the work for the status strip and the log
    // ("store", "import", "index", ...).
    Task begin(const QString &kind);
    bool isIdle() const;
    // The kinds of work running now, each once, sorted.
    QStringList running() const;

    // Runs the calling thread's event loop (which must be the tracker's)
    // until every task has ended; false when `timeoutMs` passed first (-1:
    // no limit). For zelta-cli, tests and shutdown, never for the window.
    bool waitForIdle(int timeoutMs = -1);

Q_SIGNALS:
    // On the tracker's thread.
    void busyChanged(bool busy);
    void idle();

private:
    void end(const QString &kind);
    // Says idle only when no task ended after `generation` was read, so no
    // result handed over by a later job is still on its way.
    void confirm(quint64 generation);
    quint64 generation() const;

    // Guards m_running and m_count, taken by every thread that begins or ends
    // a task; held only for the counting.
    mutable QMutex m_countLock;
    QHash<QString, int> m_running;
    int m_count = 0;
    // Counts the times the last task ended (guarded by m_countLock).
    quint64 m_generation = 0;
    // Last state told by busyChanged (the tracker's thread only).
    bool m_toldBusy = false;
};
