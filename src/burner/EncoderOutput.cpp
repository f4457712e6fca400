#include "burner/EncoderOutput.h"

#include <QRegularExpression>

#include <limits>

namespace EncoderOutput {

int durationSeconds(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("Duration: ([0-9]+):([0-9]+):([0-9]+)(?:\\.[0-9]*)?"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return -1;
    // Numbers too large for a length are no length at all.
    for (int i = 1; i <= 3; ++i) {
        if (match.capturedLength(i) > 9)
            return -1;
    }
    const qint64 seconds = match.captured(1).toLongLong() * 3600 +
                           match.captured(2).toLongLong() * 60 + match.captured(3).toLongLong();
    return seconds > std::numeric_limits<int>::max() ? -1 : int(seconds);
}

int bitrate(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("bitrate: ([0-9]+) kb/s"));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QSize frameSize(const QString &text)
{
    // Current encoders put codec details in parentheses ("h264 (High) (avc1 /
    // 0x31637661), yuv420p(progressive), 320x240 [SAR 1:1 DAR 4:3]"), so look
    // for the first WIDTHxHEIGHT field on the video stream line.
    static const QRegularExpression pattern(
        QStringLiteral("Video: [^\\n]*?[ ,]([1-9][0-9]*)x([1-9][0-9]*)(?=[ ,\\[]|$)"),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = pattern.match(text);
    bool widthOk = false;
    bool heightOk = false;
    const int width = match.captured(1).toInt(&widthOk);
    const int height = match.captured(2).toInt(&heightOk);
    if (!match.hasMatch() || !widthOk || !heightOk)
        return QSize(0, 0);
    return QSize(width, height);
}

double lastTime(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("time=\\s*(?:([0-9]+):([0-9]+):([0-9]+(?:\\.[0-9]*)?)|([0-9]*\\.?[0-9]+))"));
    double result = -1.0;
    QRegularExpressionMatchIterator it = pattern.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        if (match.capturedLength(4) > 0)
            result = match.captured(4).toDouble();
        else
            result = match.captured(1).toInt() * 3600.0 + match.captured(2).toInt() * 60.0 +
                     match.captured(3).toDouble();
    }
    return result;
}

} // namespace EncoderOutput
