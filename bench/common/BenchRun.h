#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// What every benchmark shares: the quick mode ("--quick": tiny sizes, a few
// seconds, run by CTest with the label "bench") and a watchdog. The benchmark
// names each step it begins; a step that runs past its time limit ends the
// process with exit code 1 and a message naming the benchmark and the step,
// so a benchmark that hangs fails instead of waiting for ever.
class BenchRun
{
public:
    // `name` starts every message; the arguments are searched for "--quick".
    BenchRun(const QString &name, const QStringList &arguments);
    ~BenchRun();
    BenchRun(const BenchRun &) = delete;
    BenchRun &operator=(const BenchRun &) = delete;

    bool quick() const { return m_quick; }
    // `full` normally, `small` in the quick mode.
    template <typename T> T size(T full, T small) const { return m_quick ? small : full; }

    // Begins a step that must end within `fullSeconds` (within the quick
    // limit in the quick mode); ends the previous one.
    void step(const QString &what, int fullSeconds = 30 * 60);
    // Says what went wrong on stderr and ends the process with exit code 1.
    [[noreturn]] void fail(const QString &what) const;
    // The run made it to the end: prints how long the quick mode took, and
    // each of its steps.
    int done();

    // Time limit of every step in the quick mode.
    static constexpr int QuickStepSeconds = 60;

    // The middle value of a run's figures (the upper one of an even count;
    // 0 for none).
    static double median(QList<double> values);
    // The CPU time the calling thread has used, in milliseconds.
    static double threadCpuMs();

private:
    void watch();
    static double secondsSince(std::chrono::steady_clock::time_point start);

    QString m_name;
    bool m_quick = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    QString m_step;
    int m_stepSeconds = 0;
    std::chrono::steady_clock::time_point m_deadline;
    std::chrono::steady_clock::time_point m_started;
    std::chrono::steady_clock::time_point m_stepStarted;
    QStringList m_stepTimes; // "step N s" of each step ended
    bool m_stop = false;
    std::thread m_watchdog;
};
