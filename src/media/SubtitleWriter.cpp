#include "media/SubtitleWriter.h"

namespace {

QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '{':
            out += QLatin1String("&#123;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString styledLine(const SubtitleLine &line)
{
    QString out;
    for (const SubtitleRun &run : line) {
        if (run.bold)
            out += QLatin1String("<b>");
        if (run.italic)
            out += QLatin1String("<i>");
        out += escaped(run.text);
        if (run.italic)
            out += QLatin1String("</i>");
        if (run.bold)
            out += QLatin1String("</b>");
    }
    return out;
}

QString plainLine(const SubtitleLine &line)
{
    QString out;
    for (const SubtitleRun &run : line)
        out += run.text;
    return out;
}

} // namespace

QString SubtitleWriter::formatTime(qint64 ms)
{
    ms = qMax<qint64>(ms, 0);
    return QStringLiteral("%1:%2:%3,%4")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

QByteArray SubtitleWriter::toSubRip(const SubtitleCues &cues, Text text)
{
    QString out;
    int counter = 0;
    for (const SubtitleCue &cue : cues) {
        out += QString::number(++counter) + QLatin1Char('\n');
        out += formatTime(cue.start) + QLatin1String(" --> ") + formatTime(cue.end) +
               QLatin1Char('\n');
        for (const SubtitleLine &line : cue.lines)
            out += (text == Text::Styled ? styledLine(line) : plainLine(line)) + QLatin1Char('\n');
        out += QLatin1Char('\n');
    }
    return out.toUtf8();
}
