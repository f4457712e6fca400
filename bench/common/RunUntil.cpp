#include "RunUntil.h"

#include <QEventLoop>
#include <QTimer>

bool runUntil(const std::function<bool()> &done, int timeoutMs, int lookMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer look;
    look.setInterval(lookMs);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    look.start();
    loop.exec();
    return done();
}
