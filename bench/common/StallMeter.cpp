#include "StallMeter.h"

#include <algorithm>

StallMeter::StallMeter()
{
    m_timer.setInterval(1);
    QObject::connect(&m_timer, &QTimer::timeout,
                     [this] { m_longest = std::max(m_longest, m_clock.restart()); });
}

void StallMeter::start()
{
    m_longest = 0;
    m_clock.start();
    m_timer.start();
}

qint64 StallMeter::stop()
{
    m_timer.stop();
    return std::max(m_longest, m_clock.elapsed());
}
