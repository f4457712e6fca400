#include "core/JobThread.h"

#include <QMetaObject>
#include <QObject>

#include <utility>

JobThread::JobThread(const QString &name, TaskTracker *tracker)
    : m_name(name), m_tracker(tracker), m_context(std::make_unique<QObject>())
{
    m_thread.setObjectName(name);
    m_context->moveToThread(&m_thread);
    m_thread.start();
}

JobThread::~JobThread()
{
    finish();
}

void JobThread::post(std::function<void()> job)
{
    if (m_finishing.load())
        return;
    // Shared so the queued call can be copied; the task ends with the last
    // copy, after the job ran (or when a finished thread drops it).
    auto task = std::make_shared<TaskTracker::Task>(m_tracker ? m_tracker->begin(m_name)
                                                              : TaskTracker::Task());
    QMetaObject::invokeMethod(
        m_context.get(),
        [job = std::move(job), task] {
            job();
            task->end();
        },
        Qt::QueuedConnection);
}

void JobThread::finish()
{
    if (m_finishing.exchange(true) || !m_thread.isRunning()) {
        m_thread.wait();
        return;
    }
    // Behind every job posted so far.
    QMetaObject::invokeMethod(
        m_context.get(), [this] { m_thread.quit(); }, Qt::QueuedConnection);
    m_thread.wait();
}
