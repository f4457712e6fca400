#include "gui/web/WheelCoalescer.h"

int WheelCoalescer::feed(qint64 now, int delta)
{
    const qint64 elapsed = now - m_started;
    if (elapsed < MinimumGap)
        return 0;
    m_accumulated += delta;
    if (elapsed < Interval || m_accumulated == 0)
        return 0;
    const int combined = m_accumulated;
    m_accumulated = 0;
    m_started = now;
    return combined;
}
