#include "tv/TimeSeekRange.h"

#include <QList>
#include <QRegularExpression>

namespace TimeSeekRange {

namespace {

constexpr double kMaxSeconds = 1e7;

// -1 when the text is not a time.
double seconds(const QString &text)
{
    static const QRegularExpression clock(
        QStringLiteral("^(?:([0-9]{1,7}):([0-5]?[0-9]):([0-5]?[0-9](?:\\.[0-9]{1,9})?)|"
                       "([0-9]{1,9}(?:\\.[0-9]{1,9})?))$"));
    const QRegularExpressionMatch match = clock.match(text);
    if (!match.hasMatch())
        return -1;
    const double value = match.capturedLength(4) > 0
                             ? match.captured(4).toDouble()
                             : match.captured(1).toInt() * 3600.0 +
                                   match.captured(2).toInt() * 60.0 + match.captured(3).toDouble();
    return value <= kMaxSeconds ? value : -1;
}

QByteArray text(double value)
{
    return value < 0 ? QByteArray("*") : QByteArray::number(value, 'f', 3);
}

} // namespace

bool parse(const QByteArray &header, double *start, double *end)
{
    const QString value = QString::fromLatin1(header).trimmed();
    if (!value.startsWith(QLatin1String("npt=")))
        return false;
    const QString range = value.mid(4);
    const qsizetype dash = range.indexOf(QLatin1Char('-'));
    if (dash <= 0)
        return false;
    *start = seconds(range.left(dash).trimmed());
    const QString last = range.mid(dash + 1).trimmed();
    *end = last.isEmpty() ? -1 : seconds(last);
    if (*start < 0 || (!last.isEmpty() && (*end < 0 || *end < *start)))
        return false;
    return true;
}

QByteArray answer(double start, double end, double duration)
{
    return "npt=" + text(start) + '-' + text(end) + '/' + text(duration);
}

} // namespace TimeSeekRange
