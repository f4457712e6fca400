#include "core/Formatters.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>

#include <cmath>
#include <cstdio>
#include <iterator>

namespace Formatters {

QString byteSize(qint64 bytes)
{
    if (bytes > -1000 && bytes < 1000) {
        // %n takes no negative count; no real size is negative anyway.
        const QString text =
            QCoreApplication::translate("Application", "%n bytes", nullptr, int(qAbs(bytes)));
        return bytes < 0 ? QLocale().negativeSign() + text : text;
    }
    static const char *const units[] = {QT_TRANSLATE_NOOP("Application", "kB"),
                                        QT_TRANSLATE_NOOP("Application", "MB"),
                                        QT_TRANSLATE_NOOP("Application", "GB")};
    constexpr int lastUnit = int(std::size(units)) - 1;
    double size = double(bytes) / 1000.0;
    int unit = 0;
    // Moves up while the value, rounded to one decimal, would read 1000 or more.
    while (unit < lastUnit && std::abs(size) >= 999.95) {
        size /= 1000.0;
        ++unit;
    }
    return QCoreApplication::translate("Application", "%1 %2", "size and its unit")
        .arg(QLocale().toString(size, 'f', 1),
             QCoreApplication::translate("Application", units[unit]));
}

QString shortDate(const QDateTime &dateTime)
{
    return QLocale().toString(dateTime.date(), QLocale::ShortFormat);
}

QString timeRemaining(qint64 seconds)
{
    if (seconds <= 0)
        return QString();
    if (seconds > 60) {
        const int minutes = int(seconds / 60);
        return minutes == 1 ? QCoreApplication::translate("Application", "%n minute remaining",
                                                          nullptr, minutes)
                            : QCoreApplication::translate("Application", "%n minutes remaining",
                                                          nullptr, minutes);
    }
    const int secs = int(seconds);
    return secs == 1
               ? QCoreApplication::translate("Application", "%n second remaining", nullptr, secs)
               : QCoreApplication::translate("Application", "%n seconds remaining", nullptr, secs);
}

QString durationText(qint64 milliseconds)
{
    if (milliseconds < 0)
        return QString();
    // Written for every item of a large TV listing: one snprintf, no arg() chain.
    char text[40];
    std::snprintf(text, sizeof text, "%lld:%02d:%02d.%03d",
                  static_cast<long long>(milliseconds / 3600000), int(milliseconds / 60000 % 60),
                  int(milliseconds / 1000 % 60), int(milliseconds % 1000));
    return QString::fromLatin1(text);
}

bool durationMilliseconds(double seconds, qint64 *milliseconds)
{
    constexpr double maxSeconds = 10.0 * 366 * 24 * 3600;
    // Written so that NaN fails the test too.
    if (!(seconds >= 0.0 && seconds <= maxSeconds))
        return false;
    *milliseconds = qint64(std::llround(seconds * 1000.0));
    return true;
}

} // namespace Formatters
