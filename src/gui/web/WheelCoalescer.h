#pragma once

#include <QtGlobal>

// Combines fast wheel bursts into one step at most every 60 ms. Times are
// milliseconds on the caller's clock, so the rule can be driven without waiting.
class WheelCoalescer
{
public:
    static constexpr qint64 MinimumGap = 1;
    static constexpr qint64 Interval = 60;

    explicit WheelCoalescer(qint64 now = 0) : m_started(now) {}

    // One wheel event with `delta` at `now`: the combined delta to scroll by
    // now, or 0 when the event is swallowed.
    int feed(qint64 now, int delta);

private:
    qint64 m_started;
    int m_accumulated = 0;
};
