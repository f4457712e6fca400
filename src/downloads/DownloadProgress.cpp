#include "downloads/DownloadProgress.h"

#include "core/Formatters.h"

#include <QCoreApplication>

#include <cmath>
#include <limits>

DownloadProgress::Bar DownloadProgress::bar(qint64 bytesWritten, qint64 mediaSize)
{
    if (mediaSize <= 0)
        return {};
    int shift = 0;
    while ((mediaSize >> shift) > std::numeric_limits<int>::max())
        ++shift;
    const qint64 written = qBound<qint64>(0, bytesWritten, mediaSize);
    return {int(mediaSize >> shift), int(written >> shift)};
}

QString DownloadProgress::text(qint64 bytesWritten, qint64 mediaSize, double bytesPerSecond,
                               double secondsLeft)
{
    const QString total = mediaSize > 0 ? Formatters::byteSize(mediaSize) : QStringLiteral("?");
    // Speeds beyond any 64-bit count cannot occur; the bound keeps the cast defined.
    const double speed = std::isfinite(bytesPerSecond) ? bytesPerSecond : 0.0;
    const QString rate = Formatters::byteSize(speed > 0.0 ? qint64(qMin(speed, 1e18)) : 0);
    QString left;
    if (mediaSize > 0 && std::isfinite(secondsLeft) && secondsLeft > 0.0)
        left = Formatters::timeRemaining(qint64(qMin(secondsLeft, 1e15)));
    return QCoreApplication::translate("DownloadProgress", "%1 of %2 (%3/sec) - %4")
        .arg(Formatters::byteSize(qMax<qint64>(0, bytesWritten)), total, rate, left);
}
