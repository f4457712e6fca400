#include "downloads/TransferRateLimiter.h"

#include <QElapsedTimer>
#include <QMutexLocker>

#include <algorithm>
#include <cmath>

namespace {

qint64 monotonicMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

} // namespace

TransferRateLimiter::TransferRateLimiter(Clock clock)
    : m_clock(clock ? std::move(clock) : Clock(&monotonicMs))
{
    m_lastMs = m_clock();
}

TransferRateLimiter &TransferRateLimiter::shared()
{
    static TransferRateLimiter limiter;
    return limiter;
}

void TransferRateLimiter::setLimit(qint64 bytesPerSecond)
{
    const QMutexLocker lock(&m_lock);
    const qint64 limit = std::max<qint64>(0, bytesPerSecond);
    if (limit == m_limit)
        return;
    refill();
    m_limit = limit;
    m_unlockedLimit = limit;
    m_tokens = std::min(m_tokens, double(limit) / BurstDivisor);
}

qint64 TransferRateLimiter::limit() const
{
    const QMutexLocker lock(&m_lock);
    return m_limit;
}

void TransferRateLimiter::refill()
{
    const qint64 now = m_clock();
    const qint64 elapsed = std::max<qint64>(0, now - m_lastMs);
    m_lastMs = now;
    if (m_limit <= 0)
        return;
    m_tokens = std::min(double(m_limit) / BurstDivisor,
                        m_tokens + double(m_limit) * double(elapsed) / 1000.0);
}

qint64 TransferRateLimiter::take(qint64 wanted)
{
    // Without a limit the bucket is left as it is: setLimit() refills it
    // from the time it was last touched, and without a limit a refill adds
    // nothing.
    if (m_unlockedLimit.load(std::memory_order_relaxed) <= 0)
        return std::max<qint64>(0, wanted);
    const QMutexLocker lock(&m_lock);
    refill();
    if (m_limit <= 0 || wanted <= 0)
        return std::max<qint64>(0, wanted);
    const qint64 slice = std::max<qint64>(1, m_limit / SliceDivisor);
    const qint64 granted = std::min({wanted, slice, qint64(std::floor(m_tokens))});
    if (granted <= 0)
        return 0;
    m_tokens -= double(granted);
    return granted;
}

int TransferRateLimiter::msUntilAvailable() const
{
    if (m_unlockedLimit.load(std::memory_order_relaxed) <= 0)
        return 0;
    const QMutexLocker lock(&m_lock);
    if (m_limit <= 0)
        return 0;
    const double missing = std::max(0.0, 1.0 - m_tokens);
    // At least a slice's worth of time: asking more often gains nothing.
    const double ms = std::max(missing * 1000.0 / double(m_limit), 1000.0 / SliceDivisor / 2);
    return int(std::ceil(std::min(ms, 1000.0)));
}
