#include "core/Formatters.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text, int n = -1)
{
    return QCoreApplication::translate("Application", text, nullptr, n);
}

} // namespace

namespace Formatters {

QString byteSize(qint64 bytes)
{
    double size = double(bytes);
    QString unit;
    if (bytes < 1024) {
        unit = tr("bytes");
    } else if (bytes < 1024 * 1024) {
        size /= 1024;
        unit = tr("kB");
    } else if (bytes < 1024 * 1024 * 1024) {
        size /= 1024 * 1024;
        unit = tr("MB");
    } else {
        size /= 1024 * 1024 * 1024;
        unit = tr("GB");
    }
    return QStringLiteral("%1 %2").arg(size, 0, 'f', 1).arg(unit);
}

QString timeRemaining(qint64 seconds)
{
    if (seconds <= 0)
        return QString();
    if (seconds > 60) {
        const int minutes = int(seconds / 60);
        return minutes == 1 ? tr("%n minute remaining", minutes)
                            : tr("%n minutes remaining", minutes);
    }
    const int secs = int(seconds);
    return secs == 1 ? tr("%n second remaining", secs) : tr("%n seconds remaining", secs);
}

} // namespace Formatters
