#pragma once

#include <QMutex>
#include <QtGlobal>

#include <atomic>
#include <functional>

// The download speed limit, shared by every running transfer on every
// transfer thread: a token bucket refilled at the limit's rate. A transfer
// takes what it may write now (at most a slice of a second's worth, so that
// the transfers share the rate in turns) and asks again after
// msUntilAvailable(). A new limit takes effect at the next take.
class TransferRateLimiter
{
public:
    using Clock = std::function<qint64()>; // milliseconds, monotonic

    explicit TransferRateLimiter(Clock clock = {});

    // The process's limiter, used by the transfers.
    static TransferRateLimiter &shared();

    // Bytes a second; 0 (or less) for no limit.
    void setLimit(qint64 bytesPerSecond);
    qint64 limit() const;

    // Up to `wanted` bytes the caller may write now (all of them without a limit).
    qint64 take(qint64 wanted);
    // How long until take() grants something again (0 without a limit).
    int msUntilAvailable() const;

    // A slice of a second's worth that one take() grants at most.
    static constexpr int SliceDivisor = 20;
    // The bucket holds at most this fraction of a second's worth.
    static constexpr int BurstDivisor = 4;

private:
    void refill();

    Clock m_clock;
    mutable QMutex m_lock;
    qint64 m_limit = 0;
    // m_limit as the transfers read it without the lock: with no limit set
    // (the usual case) five transfers' takes never meet on the lock.
    std::atomic<qint64> m_unlockedLimit{0};
    double m_tokens = 0.0;
    qint64 m_lastMs = 0;
};
