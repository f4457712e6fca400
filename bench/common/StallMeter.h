#pragma once

#include <QElapsedTimer>
#include <QTimer>

// The longest gap between turns of the event loop while it runs: a 1 ms
// timer notes how late each of its turns came.
class StallMeter
{
public:
    StallMeter();

    void start();
    // The longest gap in ms since start().
    qint64 stop();

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};
