#pragma once

#include <QString>
#include <QtGlobal>

class QDateTime;

// The texts every page uses for sizes, dates and remaining times ("1,5 MB",
// "07.12.26", "2 minutes remaining"), in the user's locale (the default
// QLocale) and translated in the "Application" context.
namespace Formatters {

// Decimal units throughout: 1 kB = 1000 bytes, 1 MB = 1000 kB, 1 GB = 1000 MB
// (as disc and drive makers count), one decimal in the locale's notation;
// below 1000 the whole number of bytes.
QString byteSize(qint64 bytes);
// The date part in the locale's short format ("12/7/26", "07.12.26").
QString shortDate(const QDateTime &dateTime);
// Empty for zero or negative seconds.
QString timeRemaining(qint64 seconds);

// A play length in milliseconds as "h:mm:ss.zzz" ("25:01:01.000": the hours
// go on past a day). Empty for a negative length.
QString durationText(qint64 milliseconds);
// A length in seconds as a tool or a cache reports it, in milliseconds.
// False for NaN, infinities, negative values and lengths beyond any video
// (more than ten years), which no caller should believe.
bool durationMilliseconds(double seconds, qint64 *milliseconds);

} // namespace Formatters
