#include "BenchRun.h"

#include <algorithm>

#include <QTextStream>

#include <cstdio>
#include <cstdlib>

#include <time.h>

BenchRun::BenchRun(const QString &name, const QStringList &arguments)
    : m_name(name), m_quick(arguments.contains(QStringLiteral("--quick"))),
      m_started(std::chrono::steady_clock::now())
{
    step(QStringLiteral("starting"));
    m_watchdog = std::thread([this] { watch(); });
}

BenchRun::~BenchRun()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_watchdog.join();
}

void BenchRun::step(const QString &what, int fullSeconds)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto now = std::chrono::steady_clock::now();
        if (!m_step.isEmpty())
            m_stepTimes << QStringLiteral("%1 %2 s").arg(m_step).arg(secondsSince(m_stepStarted), 0,
                                                                     'f', 1);
        m_stepStarted = now;
        m_step = what;
        m_stepSeconds = m_quick ? QuickStepSeconds : fullSeconds;
        m_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(m_stepSeconds);
    }
    m_changed.notify_all();
}

void BenchRun::fail(const QString &what) const
{
    QTextStream(stderr) << m_name << ": " << what << '\n';
    std::fflush(nullptr);
    std::_Exit(1);
}

int BenchRun::done()
{
    step(QStringLiteral("ending"));
    if (m_quick) {
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - m_started);
        QTextStream(stdout) << m_name << ": quick run done in " << took.count() / 1000.0 << " s ("
                            << m_stepTimes.join(QStringLiteral(", ")) << ")\n";
    }
    return 0;
}

double BenchRun::secondsSince(std::chrono::steady_clock::time_point start)
{
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    return double(took.count()) / 1000.0;
}

void BenchRun::watch()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        if (m_changed.wait_until(lock, m_deadline) == std::cv_status::timeout &&
            std::chrono::steady_clock::now() >= m_deadline && !m_stop) {
            // Printed from this thread: the benchmark's own may be stuck.
            QTextStream(stderr) << m_name << ": \"" << m_step << "\" did not finish within "
                                << m_stepSeconds << " s; giving up\n";
            std::fflush(nullptr);
            std::_Exit(1);
        }
    }
}

double BenchRun::median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

double BenchRun::threadCpuMs()
{
    timespec spent{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &spent);
    return spent.tv_sec * 1e3 + spent.tv_nsec / 1e6;
}
