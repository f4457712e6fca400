#include "core/TaskTracker.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <utility>

TaskTracker::Task::Task(TaskTracker *tracker, QString kind)
    : m_tracker(tracker), m_kind(std::move(kind))
{
}

TaskTracker::Task::Task(Task &&other) noexcept
    : m_tracker(std::exchange(other.m_tracker, nullptr)), m_kind(std::move(other.m_kind))
{
}

TaskTracker::Task &TaskTracker::Task::operator=(Task &&other) noexcept
{
    if (this != &other) {
        end();
        m_tracker = std::exchange(other.m_tracker, nullptr);
        m_kind = std::move(other.m_kind);
    }
    return *this;
}

TaskTracker::Task::~Task()
{
    end();
}

void TaskTracker::Task::end()
{
    if (TaskTracker *tracker = std::exchange(m_tracker, nullptr))
        tracker->end(m_kind);
}

TaskTracker::TaskTracker(QObject *parent) : QObject(parent) {}

TaskTracker::Task TaskTracker::begin(const QString &kind)
{
    bool first;
    quint64 generation;
    {
        QMutexLocker locker(&m_countLock);
        first = m_count++ == 0;
        ++m_running[kind];
        generation = m_generation;
    }
    if (first)
        QMetaObject::invokeMethod(
            this, [this, generation] { confirm(generation); }, Qt::QueuedConnection);
    return Task(this, kind);
}

void TaskTracker::end(const QString &kind)
{
    bool last;
    quint64 generation;
    {
        QMutexLocker locker(&m_countLock);
        last = --m_count == 0;
        if (last)
            ++m_generation;
        generation = m_generation;
        auto it = m_running.find(kind);
        if (it != m_running.end() && --*it == 0)
            m_running.erase(it);
    }
    // Told through the queue: what the job handed to this thread before it
    // ended is taken in first, and may begin new work.
    if (last)
        QMetaObject::invokeMethod(
            this, [this, generation] { confirm(generation); }, Qt::QueuedConnection);
}

bool TaskTracker::isIdle() const
{
    QMutexLocker locker(&m_countLock);
    return m_count == 0;
}

QStringList TaskTracker::running() const
{
    QMutexLocker locker(&m_countLock);
    QStringList kinds = m_running.keys();
    std::sort(kinds.begin(), kinds.end());
    return kinds;
}

quint64 TaskTracker::generation() const
{
    QMutexLocker locker(&m_countLock);
    return m_generation;
}

void TaskTracker::confirm(quint64 generation)
{
    bool busy;
    {
        QMutexLocker locker(&m_countLock);
        busy = m_count > 0;
        // A later end has its own answer queued behind what it handed over.
        if (!busy && generation != m_generation)
            return;
    }
    if (busy != m_toldBusy) {
        m_toldBusy = busy;
        emit busyChanged(busy);
    }
    if (!busy)
        emit idle();
}

bool TaskTracker::waitForIdle(int timeoutMs)
{
    QEventLoop loop;
    connect(this, &TaskTracker::idle, &loop, [&loop] { loop.exit(0); });
    QTimer deadline;
    if (timeoutMs >= 0) {
        deadline.setSingleShot(true);
        connect(&deadline, &QTimer::timeout, &loop, [&loop] { loop.exit(1); });
        deadline.start(timeoutMs);
    }
    // Asked through the queue as well, behind what is already waiting in it.
    QMetaObject::invokeMethod(
        this, [this, asked = generation()] { confirm(asked); }, Qt::QueuedConnection);
    return loop.exec() == 0;
}
