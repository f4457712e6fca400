#pragma once

#include "core/TaskTracker.h"

#include <QString>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

// The one way the engines run work off the window's thread: a thread of its
// own that runs the jobs posted to it one after another. Each job counts as a
// task of the tracker from its posting until it has run, so whoever waits for
// the engines to be idle needs no flags of the worker's own.
class JobThread
{
public:
    // `tracker` (may be null) must outlive the thread.
    JobThread(const QString &name, TaskTracker *tracker);
    ~JobThread();

    JobThread(const JobThread &) = delete;
    JobThread &operator=(const JobThread &) = delete;

    // Queues `job`; safe from any thread. Dropped once finishing.
    void post(std::function<void()> job);
    // Runs the jobs already posted, then ends the thread and waits for it.
    // Long jobs look at isFinishing() to cut their work short.
    void finish();
    bool isFinishing() const { return m_finishing.load(); }
    // True on this job thread.
    bool isCurrent() const { return QThread::currentThread() == &m_thread; }

private:
    QString m_name;
    TaskTracker *m_tracker;
    QThread m_thread;
    // Lives on m_thread: the posted jobs are its queued calls.
    std::unique_ptr<QObject> m_context;
    std::atomic<bool> m_finishing = false;
};
