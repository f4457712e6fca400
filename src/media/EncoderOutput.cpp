#include "media/EncoderOutput.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace EncoderOutput {

namespace {

// Largest values taken from a report; anything beyond is not a real file.
constexpr double kMaxDuration = 1e7;
constexpr int kMaxDimension = 65536;
constexpr int kMaxRate = 10000000;

// -1 when a field is too long to be a real time.
double clockSeconds(const QString &hours, const QString &minutes, const QString &seconds)
{
    if (hours.size() > 7 || minutes.size() > 9 || seconds.size() > 20)
        return -1;
    return hours.toInt() * 3600.0 + minutes.toInt() * 60.0 + seconds.toDouble();
}

// A rate such as "25", "29.97" or "90k"; 0 when it is not a sane number.
double frameRateOf(const QString &text)
{
    bool ok = false;
    double value =
        text.endsWith(QLatin1Char('k')) ? text.chopped(1).toDouble(&ok) * 1000 : text.toDouble(&ok);
    return ok && std::isfinite(value) && value > 0 && value < 1e6 ? value : 0;
}

// Splits a stream description at commas outside parentheses and brackets.
QStringList fields(const QString &description)
{
    QStringList result;
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < description.size(); ++i) {
        const QChar c = description.at(i);
        if (c == QLatin1Char('(') || c == QLatin1Char('['))
            ++depth;
        else if ((c == QLatin1Char(')') || c == QLatin1Char(']')) && depth > 0)
            --depth;
        else if (c == QLatin1Char(',') && depth == 0) {
            result.append(description.mid(start, i - start).trimmed());
            start = i + 1;
        }
    }
    result.append(description.mid(start).trimmed());
    return result;
}

// "h264 (High) (avc1 / 0x31637661)": codec "h264", profile "High".
void splitCodec(const QString &field, QString *codec, QString *profile)
{
    *codec = field.section(QLatin1Char(' '), 0, 0);
    static const QRegularExpression parenthesised(QStringLiteral("\\(([^()]*)\\)"));
    QRegularExpressionMatchIterator it = parenthesised.globalMatch(field);
    while (it.hasNext()) {
        const QString inner = it.next().captured(1);
        if (!inner.contains(QLatin1String(" / ")) && !inner.contains(QLatin1String("0x"))) {
            *profile = inner;
            return;
        }
    }
}

int numberBefore(const QString &field, QLatin1String unit)
{
    if (!field.endsWith(unit))
        return -1;
    bool ok = false;
    const int value = field.chopped(unit.size()).trimmed().toInt(&ok);
    return ok && value >= 0 && value <= kMaxRate ? value : -1;
}

int channelCount(const QString &field)
{
    static const QRegularExpression counted(QStringLiteral("^([0-9]+) channels?"));
    const QRegularExpressionMatch match = counted.match(field);
    if (match.hasMatch())
        return qBound(0, match.captured(1).toInt(), 64);
    // Layout names: "mono", "stereo", "5.1(side)", "7.1", "quad", ...
    static const QRegularExpression dotted(QStringLiteral("^([0-9]+)\\.([0-9]+)"));
    const QRegularExpressionMatch layout = dotted.match(field);
    if (layout.hasMatch()) {
        const int front = qBound(0, layout.captured(1).toInt(), 64);
        return qMin(front + qBound(0, layout.captured(2).toInt(), 64), 64);
    }
    const QString name = field.section(QLatin1Char('('), 0, 0);
    if (name == QLatin1String("mono"))
        return 1;
    if (name == QLatin1String("stereo") || name == QLatin1String("downmix"))
        return 2;
    if (name == QLatin1String("quad"))
        return 4;
    if (name == QLatin1String("hexagonal"))
        return 6;
    if (name == QLatin1String("octagonal"))
        return 8;
    return 0;
}

void readVideo(const QString &description, MediaInfo *info)
{
    // Cover pictures of audio files come as a video stream.
    if (description.contains(QLatin1String("(attached pic)")))
        return;
    const QStringList parts = fields(description);
    splitCodec(parts.value(0), &info->videoCodec, &info->videoProfile);
    info->videoDescription = description;
    static const QRegularExpression size(QStringLiteral("^([1-9][0-9]*)x([1-9][0-9]*)(?:\\s|$)"));
    for (const QString &part : parts.mid(1)) {
        const QRegularExpressionMatch match = size.match(part);
        if (match.hasMatch() && info->frameSize.isEmpty()) {
            bool widthOk = false;
            bool heightOk = false;
            const int width = match.captured(1).toInt(&widthOk);
            const int height = match.captured(2).toInt(&heightOk);
            if (widthOk && heightOk && width <= kMaxDimension && height <= kMaxDimension)
                info->frameSize = QSize(width, height);
        } else if (const int rate = numberBefore(part, QLatin1String(" kb/s")); rate >= 0) {
            info->videoBitrate = rate;
        } else if (part.endsWith(QLatin1String(" fps"))) {
            info->frameRate = frameRateOf(part.chopped(4));
        } else if (part.endsWith(QLatin1String(" tbr")) && info->frameRate <= 0) {
            info->frameRate = frameRateOf(part.chopped(4));
        }
    }
}

void readAudio(const QString &description, MediaInfo *info)
{
    const QStringList parts = fields(description);
    splitCodec(parts.value(0), &info->audioCodec, &info->audioProfile);
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString &part = parts.at(i);
        if (const int hz = numberBefore(part, QLatin1String(" Hz")); hz >= 0) {
            info->sampleRate = hz;
            info->channels = channelCount(parts.value(i + 1));
        } else if (const int rate = numberBefore(part, QLatin1String(" kb/s")); rate >= 0) {
            info->audioBitrate = rate;
        }
    }
}

} // namespace

double duration(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("Duration: ([0-9]+):([0-9]{1,2}):([0-9]{1,2}(?:\\.[0-9]*)?)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return -1;
    const double seconds = clockSeconds(match.captured(1), match.captured(2), match.captured(3));
    return std::isfinite(seconds) && seconds <= kMaxDuration ? seconds : -1;
}

MediaInfo parse(const QString &text)
{
    MediaInfo info;
    const qsizetype output = text.indexOf(QLatin1String("Output #"));
    const QString input = output < 0 ? text : text.left(output);
    info.duration = duration(input);

    static const QRegularExpression container(QStringLiteral("Input #0, (.*?), from '"));
    info.container = container.match(input).captured(1);
    static const QRegularExpression bitrate(
        QStringLiteral("Duration: [^\\n]*bitrate: ([0-9]+) kb/s"));
    const QRegularExpressionMatch bitrateMatch = bitrate.match(input);
    if (bitrateMatch.hasMatch())
        info.bitrate = qMin(bitrateMatch.captured(1).toInt(), kMaxRate);

    // "Stream #0:1[0x2](und): Audio: ..." or "Stream #0.1(und): Audio: ..."
    static const QRegularExpression stream(
        QStringLiteral("^\\s*Stream #[0-9]+[:.][0-9]+[^:]*: (Video|Audio): (.*)$"),
        QRegularExpression::MultilineOption);
    QRegularExpressionMatchIterator it = stream.globalMatch(input);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const QString description = match.captured(2).trimmed();
        if (match.captured(1) == QLatin1String("Video") && !info.hasVideo())
            readVideo(description, &info);
        else if (match.captured(1) == QLatin1String("Audio") && !info.hasAudio())
            readAudio(description, &info);
    }
    return info;
}

double lastTime(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("time=\\s*(?:([0-9]+):([0-9]+):([0-9]+(?:\\.[0-9]*)?)|([0-9]*\\.?[0-9]+))"));
    double result = -1.0;
    QRegularExpressionMatchIterator it = pattern.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const double value =
            match.capturedLength(4) > 0
                ? (match.capturedLength(4) <= 20 ? match.captured(4).toDouble() : -1)
                : clockSeconds(match.captured(1), match.captured(2), match.captured(3));
        if (std::isfinite(value) && value >= 0 && value <= kMaxDuration)
            result = value;
    }
    return result;
}

} // namespace EncoderOutput
