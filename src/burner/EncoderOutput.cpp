#include "burner/EncoderOutput.h"

#include <QRegularExpression>

namespace EncoderOutput {

int durationSeconds(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("Duration: ([0-9]+):([0-9]+):([0-9]+)(?:\\.[0-9]*)?"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return -1;
    return match.captured(1).toInt() * 3600 + match.captured(2).toInt() * 60 +
           match.captured(3).toInt();
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
    if (!match.hasMatch())
        return QSize(0, 0);
    return QSize(match.captured(1).toInt(), match.captured(2).toInt());
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
