#include "downloads/ContentRange.h"

#include <QRegularExpression>
#include <QString>

ContentRange ContentRange::parse(const QByteArray &header)
{
    static const QRegularExpression pattern(
        QStringLiteral("^bytes\\s+(?:(\\d+)-(\\d+)|\\*)/(\\d+|\\*)$"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(header.trimmed()));
    if (!match.hasMatch())
        return {};
    ContentRange range;
    bool ok = true;
    if (match.capturedLength(1) > 0) {
        bool endOk = false;
        range.start = match.captured(1).toLongLong(&ok);
        range.end = match.captured(2).toLongLong(&endOk);
        ok = ok && endOk && range.start <= range.end;
    }
    if (ok && match.captured(3) != QLatin1String("*")) {
        range.total = match.captured(3).toLongLong(&ok);
        ok = ok && (range.end < 0 || range.end < range.total);
    }
    return ok ? range : ContentRange();
}
