#include "media/SubtitleParser.h"

#include "media/SourceFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>

namespace {

// Longest tag or entity looked at; a '<' or '&' without an end in reach is text.
constexpr int kMaxTagLength = 64;
// Digits read for one field of a time (keeps the arithmetic far from overflow).
constexpr int kMaxTimeDigits = 9;

struct Style
{
    bool italic = false;
    bool bold = false;
};

bool isBlank(QStringView line)
{
    return line.trimmed().isEmpty();
}

qint64 readNumber(QStringView text, qsizetype *pos, int *digits)
{
    qint64 value = 0;
    *digits = 0;
    while (*pos < text.size() && text[*pos].isDigit() && text[*pos].unicode() < 128) {
        if (++*digits > kMaxTimeDigits)
            return -1;
        value = value * 10 + (text[*pos].unicode() - '0');
        ++*pos;
    }
    return *digits > 0 ? value : -1;
}

// The timing line "start --> end [settings]"; false when it is not one.
bool parseTiming(QStringView line, qint64 *start, qint64 *end)
{
    const qsizetype arrow = line.indexOf(QLatin1String("-->"));
    if (arrow < 0)
        return false;
    QStringView after = line.mid(arrow + 3).trimmed();
    const qsizetype space = after.indexOf(QLatin1Char(' '));
    const qsizetype tab = after.indexOf(QLatin1Char('\t'));
    qsizetype cut = space < 0 ? tab : (tab < 0 ? space : std::min(space, tab));
    if (cut >= 0)
        after = after.left(cut);
    *start = SubtitleParser::parseTime(line.left(arrow).trimmed());
    *end = SubtitleParser::parseTime(after);
    return *start >= 0 && *end >= 0;
}

// "&amp;", "&lt;", "&gt;", "&nbsp;", "&lrm;", "&rlm;", "&quot;", "&apos;",
// "&#123;" and "&#x7b;" at pos; the decoded character and the entity's
// length, or a length of 0 when there is none.
qsizetype readEntity(QStringView text, qsizetype pos, QString *decoded)
{
    const qsizetype semicolon = text.mid(pos, kMaxTagLength).indexOf(QLatin1Char(';'));
    if (semicolon < 2)
        return 0;
    const QStringView name = text.mid(pos + 1, semicolon - 1);
    static const struct
    {
        const char *name;
        char16_t character;
    } named[] = {{"amp", u'&'},      {"lt", u'<'},       {"gt", u'>'},   {"nbsp", u'\u00a0'},
                 {"lrm", u'\u200e'}, {"rlm", u'\u200f'}, {"quot", u'"'}, {"apos", u'\''}};
    for (const auto &entity : named) {
        if (name == QLatin1String(entity.name)) {
            *decoded = QChar(entity.character);
            return semicolon + 1;
        }
    }
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const bool hex =
            name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'));
        const uint code = hex ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
        if (!ok || code < 0x20 || code == 0x7f || code > 0x10ffff ||
            (code >= 0xd800 && code < 0xe000))
            return 0;
        const char32_t character = code;
        *decoded = QString::fromUcs4(&character, 1);
        return semicolon + 1;
    }
    return 0;
}

// An HTML-like tag "<i>", "</b>", "<c.yellow>", "<v Name>" at pos: applies
// italic and bold, drops the others. Returns the tag's length, 0 when the
// '<' starts no tag.
qsizetype readTag(QStringView text, qsizetype pos, Style *style)
{
    const qsizetype close = text.mid(pos, kMaxTagLength).indexOf(QLatin1Char('>'));
    if (close < 2)
        return 0;
    QStringView name = text.mid(pos + 1, close - 1);
    const bool closing = name.startsWith(QLatin1Char('/'));
    if (closing)
        name = name.mid(1);
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == QLatin1Char('.') || name[i].isSpace()) {
            name = name.left(i);
            break;
        }
    }
    if (name.compare(QLatin1String("i"), Qt::CaseInsensitive) == 0)
        style->italic = !closing;
    else if (name.compare(QLatin1String("b"), Qt::CaseInsensitive) == 0)
        style->bold = !closing;
    return close + 1;
}

// The override blocks of SubRip files made from ASS: "{\i1}", "{\b0}",
// "{\an8}" (only italic and bold are kept).
qsizetype readOverride(QStringView text, qsizetype pos, Style *style)
{
    if (pos + 1 >= text.size() || text[pos + 1] != QLatin1Char('\\'))
        return 0;
    const qsizetype close = text.mid(pos, kMaxTagLength).indexOf(QLatin1Char('}'));
    if (close < 0)
        return 0;
    const QStringView code = text.mid(pos + 2, close - 2);
    if (code == QLatin1String("i1") || code == QLatin1String("i0"))
        style->italic = code.endsWith(QLatin1Char('1'));
    else if (code == QLatin1String("b1") || code == QLatin1String("b0"))
        style->bold = code.endsWith(QLatin1Char('1'));
    return close + 1;
}

void appendText(SubtitleLine *line, const QString &text, const Style &style)
{
    if (text.isEmpty())
        return;
    if (!line->isEmpty() && line->last().italic == style.italic && line->last().bold == style.bold)
        line->last().text += text;
    else
        line->append({text, style.italic, style.bold});
}

// Leading and trailing white space of the whole line goes, empty runs go.
void trimLine(SubtitleLine *line)
{
    while (!line->isEmpty()) {
        QString &text = line->first().text;
        qsizetype i = 0;
        while (i < text.size() && text[i].isSpace())
            ++i;
        text.remove(0, i);
        if (!text.isEmpty())
            break;
        line->removeFirst();
    }
    while (!line->isEmpty()) {
        QString &text = line->last().text;
        qsizetype i = text.size();
        while (i > 0 && text[i - 1].isSpace())
            --i;
        text.truncate(i);
        if (!text.isEmpty())
            break;
        line->removeLast();
    }
}

// One text line into styled runs; the style carries over to the next line.
SubtitleLine parseLine(QStringView text, Style *style)
{
    SubtitleLine line;
    QString pending;
    qsizetype length = 0;
    bool full = false;
    auto add = [&](const QString &piece) {
        if (full)
            return;
        if (length + piece.size() > SubtitleParser::kMaxLineLength) {
            full = true; // a character cut in half is not kept
            return;
        }
        pending += piece;
        length += piece.size();
    };
    for (qsizetype pos = 0; pos < text.size();) {
        const QChar c = text[pos];
        qsizetype used = 0;
        Style next = *style;
        if (c == QLatin1Char('<'))
            used = readTag(text, pos, &next);
        else if (c == QLatin1Char('{'))
            used = readOverride(text, pos, &next);
        if (used > 0) {
            appendText(&line, pending, *style);
            pending.clear();
            *style = next;
            pos += used;
            continue;
        }
        if (c == QLatin1Char('&')) {
            QString decoded;
            used = readEntity(text, pos, &decoded);
            if (used > 0) {
                add(decoded);
                pos += used;
                continue;
            }
        }
        if (c == QLatin1Char('\t')) {
            add(QStringLiteral(" "));
        } else if (c.isHighSurrogate() && pos + 1 < text.size() && text[pos + 1].isLowSurrogate()) {
            add(text.mid(pos, 2).toString());
            ++pos;
        } else if (!c.isSurrogate() && c.unicode() >= 0x20 && c.unicode() != 0x7f) {
            add(QString(c));
        }
        ++pos;
    }
    appendText(&line, pending, *style);
    trimLine(&line);
    return line;
}

bool isCounter(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return false;
    return std::all_of(trimmed.begin(), trimmed.end(),
                       [](QChar c) { return c.isDigit() && c.unicode() < 128; });
}

class CueCollector
{
public:
    void startCue(qint64 start, qint64 end)
    {
        finishCue();
        m_open = true;
        m_cue = SubtitleCue{start, end, {}};
        m_style = {};
        m_lastRaw.clear();
    }
    void addText(QStringView raw)
    {
        if (!m_open)
            return;
        // A counter right before a timing line belongs to the next cue; it is
        // dropped if one follows (see dropCounter).
        m_lastRaw = raw.toString();
        if (m_cue.lines.size() >= SubtitleParser::kMaxLines) {
            m_lastRawKept = false;
            return;
        }
        SubtitleLine line = parseLine(raw, &m_style);
        m_lastRawKept = !line.isEmpty();
        if (m_lastRawKept)
            m_cue.lines.append(line);
    }
    // The cue ran into the next timing line without a blank line: its last
    // line, when a bare number, was the next cue's counter.
    void dropCounter()
    {
        if (m_open && m_lastRawKept && isCounter(m_lastRaw))
            m_cue.lines.removeLast();
    }
    void endCue() { finishCue(); }
    // More cues than a subtitle file may hold were found: reading stops.
    bool isFull() const { return m_full; }
    SubtitleCues take()
    {
        finishCue();
        std::stable_sort(
            m_cues.begin(), m_cues.end(),
            [](const SubtitleCue &a, const SubtitleCue &b) { return a.start < b.start; });
        return std::move(m_cues);
    }

private:
    void finishCue()
    {
        if (m_open && m_cue.end > m_cue.start && !m_cue.lines.isEmpty()) {
            if (m_cues.size() < SubtitleParser::kMaxCues)
                m_cues.append(m_cue);
            else
                m_full = true;
        }
        m_open = false;
        m_lastRaw.clear();
        m_lastRawKept = false;
    }

    SubtitleCues m_cues;
    SubtitleCue m_cue;
    Style m_style;
    QString m_lastRaw;
    bool m_lastRawKept = false;
    bool m_open = false;
    bool m_full = false;
};

} // namespace

QString SubtitleParser::decode(const QByteArray &bytes)
{
    if (bytes.startsWith("\xef\xbb\xbf"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) {
        QStringDecoder decoder(QStringDecoder::Utf16, QStringDecoder::Flag::ConvertInitialBom);
        QString text = decoder(bytes);
        if (text.startsWith(QChar(0xfeff)))
            text.remove(0, 1);
        return text;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

qint64 SubtitleParser::parseTime(QStringView text)
{
    qint64 fields[3] = {0, 0, 0};
    int count = 0;
    qsizetype pos = 0;
    int digits = 0;
    for (;;) {
        const qint64 value = readNumber(text, &pos, &digits);
        if (value < 0 || count == 3)
            return -1;
        fields[count++] = value;
        if (pos >= text.size() || text[pos] != QLatin1Char(':'))
            break;
        ++pos;
    }
    if (count < 2 || pos >= text.size() ||
        (text[pos] != QLatin1Char(',') && text[pos] != QLatin1Char('.')))
        return -1;
    ++pos;
    const qint64 fraction = readNumber(text, &pos, &digits);
    if (fraction < 0 || digits > 3 || pos != text.size())
        return -1;
    const qint64 millis = digits == 1 ? fraction * 100 : digits == 2 ? fraction * 10 : fraction;
    const qint64 hours = count == 3 ? fields[0] : 0;
    const qint64 minutes = fields[count - 2];
    const qint64 seconds = fields[count - 1];
    if (minutes > 59 || seconds > 59)
        return -1;
    return ((hours * 60 + minutes) * 60 + seconds) * 1000 + millis;
}

namespace {

// How much text is decoded at a time, and the longest raw line looked at
// (longer ones are cut: a cue line keeps far fewer characters anyway).
constexpr qsizetype kChunkBytes = 64 * 1024;
constexpr qsizetype kMaxRawLine = 16 * 1024;

enum class Encoding
{
    Utf8,
    Utf16,
    Latin1
};

// The text's encoding, and where the text starts after a byte-order mark.
Encoding encodingOf(const QByteArray &bytes, qsizetype *start)
{
    *start = 0;
    if (bytes.startsWith("\xef\xbb\xbf")) {
        *start = 3;
        return Encoding::Utf8;
    }
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff"))
        return Encoding::Utf16;
    // Valid UTF-8 all through? Checked a piece at a time, keeping nothing.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    for (qsizetype pos = 0; pos < bytes.size(); pos += kChunkBytes) {
        const QString piece =
            utf8(QByteArrayView(bytes).sliced(pos, std::min(kChunkBytes, bytes.size() - pos)));
        if (utf8.hasError())
            return Encoding::Latin1;
    }
    return Encoding::Utf8;
}

// Feeds the text line by line to the collector, decoding a piece at a time,
// so that memory follows the cues kept, not the size of the input.
class LineReader
{
public:
    explicit LineReader(CueCollector *collector) : m_collector(collector) {}

    void feed(QStringView text)
    {
        for (const QChar c : text) {
            if (m_afterCr) {
                m_afterCr = false;
                if (c == QLatin1Char('\n'))
                    continue; // "\r\n" is one line end
            }
            if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
                m_afterCr = c == QLatin1Char('\r');
                line();
                if (m_collector->isFull())
                    return;
            } else if (m_line.size() < kMaxRawLine) {
                m_line += c;
            }
        }
    }
    void finish() { line(); }

private:
    void line()
    {
        qint64 start = 0;
        qint64 end = 0;
        if (isBlank(m_line)) {
            m_collector->endCue();
        } else if (parseTiming(m_line, &start, &end)) {
            m_collector->dropCounter();
            m_collector->startCue(start, end);
        } else {
            m_collector->addText(m_line);
        }
        m_line.clear();
    }

    CueCollector *m_collector;
    QString m_line;
    bool m_afterCr = false;
};

} // namespace

SubtitleCues SubtitleParser::parse(const QByteArray &bytes)
{
    return parse(bytes, nullptr);
}

SubtitleCues SubtitleParser::parse(const QByteArray &bytes, bool *complete)
{
    const QByteArrayView input = QByteArrayView(bytes).first(std::min(bytes.size(), kMaxFileBytes));
    qsizetype start = 0;
    const Encoding encoding = encodingOf(bytes.left(kMaxFileBytes), &start);
    CueCollector collector;
    LineReader reader(&collector);
    QStringDecoder decoder(encoding == Encoding::Utf16 ? QStringDecoder::Utf16
                                                       : QStringDecoder::Utf8,
                           encoding == Encoding::Utf16 ? QStringDecoder::Flag::ConvertInitialBom
                                                       : QStringDecoder::Flag::Default);
    bool first = true;
    for (qsizetype pos = start; pos < input.size() && !collector.isFull(); pos += kChunkBytes) {
        const QByteArrayView piece = input.sliced(pos, std::min(kChunkBytes, input.size() - pos));
        QString text = encoding == Encoding::Latin1 ? QString::fromLatin1(piece) : decoder(piece);
        if (first && encoding == Encoding::Utf16 && text.startsWith(QChar(0xfeff)))
            text.remove(0, 1);
        first = false;
        reader.feed(text);
    }
    if (!collector.isFull())
        reader.finish();
    if (complete)
        *complete = !collector.isFull();
    return collector.take();
}

QString SubtitleParser::problemText(Problem problem)
{
    switch (problem) {
    case Problem::None:
        return {};
    case Problem::Missing:
        return QStringLiteral("the file does not exist");
    case Problem::NotRegularFile:
        return QStringLiteral("not a regular file");
    case Problem::Unreadable:
        return QStringLiteral("the file cannot be read");
    case Problem::TooLarge:
        return QStringLiteral("the file is larger than %1 bytes").arg(kMaxFileBytes);
    case Problem::TooManyCues:
        return QStringLiteral("the file holds more than %1 cues").arg(kMaxCues);
    }
    return {};
}

SubtitleParser::Problem SubtitleParser::read(const QString &path, SubtitleCues *cues,
                                             QString *error)
{
    cues->clear();
    const QFileInfo info(path);
    const auto fail = [error](Problem problem, const QString &detail = QString()) {
        if (error)
            *error = detail.isEmpty() ? problemText(problem) : detail;
        return problem;
    };
    if (!info.exists())
        return fail(Problem::Missing);
    // A link is read for the regular file it leads to; a pipe or device never.
    const QString target = info.isSymLink() ? info.canonicalFilePath() : info.absoluteFilePath();
    if (target.isEmpty() || !QFileInfo(target).isFile())
        return fail(Problem::NotRegularFile);
    QFile file;
    QString openError;
    if (!SourceFile::openRegular(&file, target, &openError))
        return fail(QFileInfo(target).isFile() ? Problem::Unreadable : Problem::NotRegularFile,
                    openError);
    if (file.size() > kMaxFileBytes)
        return fail(Problem::TooLarge);
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes)
        return fail(Problem::TooLarge);
    bool complete = true;
    *cues = parse(bytes, &complete);
    if (!complete) {
        cues->clear();
        return fail(Problem::TooManyCues);
    }
    return Problem::None;
}

bool SubtitleParser::readFile(const QString &path, SubtitleCues *cues, QString *error)
{
    QString message;
    const Problem problem = read(path, cues, &message);
    if (problem != Problem::None && error)
        *error = message;
    return problem == Problem::None;
}
