#include "core/Formatters.h"

#include <QCoreApplication>

namespace Formatters {

QString byteSize(qint64 bytes)
{
    double size = double(bytes);
    QString unit;
    if (bytes < 1024) {
        unit = QCoreApplication::translate("Application", "bytes");
    } else if (bytes < 1024 * 1024) {
        size /= 1024;
        unit = QCoreApplication::translate("Application", "kB");
    } else if (bytes < 1024 * 1024 * 1024) {
        size /= 1024 * 1024;
        unit = QCoreApplication::translate("Application", "MB");
    } else {
        size /= 1024 * 1024 * 1024;
        unit = QCoreApplication::translate("Application", "GB");
    }
    return QStringLiteral("%1 %2").arg(size, 0, 'f', 1).arg(unit);
}

QString timeRemaining(qint64 seconds)
{
    if (seconds <= 0)
        return QString();
    if (seconds > 60) {
        const int minutes = int(seconds / 60);
        return minutes == 1
                   ? QCoreApplication::translate("Application", "%n minute remaining", nullptr,
                                                 minutes)
                   : QCoreApplication::translate("Application", "%n minutes remaining", nullptr,
                                                 minutes);
    }
    const int secs = int(seconds);
    return secs == 1
               ? QCoreApplication::translate("Application", "%n second remaining", nullptr, secs)
               : QCoreApplication::translate("Application", "%n seconds remaining", nullptr, secs);
}

} // namespace Formatters
