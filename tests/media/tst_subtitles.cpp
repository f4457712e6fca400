// The SubRip/WebVTT reader on well-formed and broken files in the encodings
// found in the wild, the writer reading back to the same cues, and the rule
// that finds a video's subtitle files beside it.
#include "TestSupport.h"
#include "media/SubtitleFile.h"
#include "media/SubtitleParser.h"
#include "media/SubtitleWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A cue in a compact form for the tables: "start-end:line|line", with
// "*x*" for italic and "#x#" for bold runs.
QString describe(const SubtitleCue &cue)
{
    QStringList lines;
    for (const SubtitleLine &line : cue.lines) {
        QString text;
        for (const SubtitleRun &run : line) {
            QString piece = run.text;
            if (run.italic)
                piece = QLatin1Char('*') + piece + QLatin1Char('*');
            if (run.bold)
                piece = QLatin1Char('#') + piece + QLatin1Char('#');
            text += piece;
        }
        lines.append(text);
    }
    return QStringLiteral("%1-%2:%3").arg(cue.start).arg(cue.end).arg(lines.join(QLatin1Char('|')));
}

QStringList describe(const SubtitleCues &cues)
{
    QStringList out;
    for (const SubtitleCue &cue : cues)
        out.append(describe(cue));
    return out;
}

QByteArray utf16le(const QString &text)
{
    QByteArray bytes("\xff\xfe", 2);
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return bytes;
}

void writeFile(const QString &path,
               const QByteArray &bytes = "1\n00:00:01,000 --> 00:00:02,000\nx\n")
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestSubtitles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("cues");

        QTest::newRow("subrip, CRLF, byte-order mark")
            << QByteArray("\xef\xbb\xbf"
                          "1\r\n00:00:01,000 --> 00:00:04,500\r\nHello\r\nthere\r\n\r\n"
                          "2\r\n00:00:05,000 --> 00:00:07,250\r\n<i>Second</i> <b>cue</b>\r\n")
            << QStringList{"1000-4500:Hello|there", "5000-7250:*Second* #cue#"};
        QTest::newRow("webvtt with header, ids, notes, settings, short times")
            << QByteArray("WEBVTT - a title\nKind: captions\n\nNOTE a comment\nover lines\n\n"
                          "intro\n00:01.5 --> 00:03.000 align:start line:0\n"
                          "<v Bob>Hi &amp; bye</v> <c.yellow>&lt;3</c>\n\n"
                          "01:00:00.000 --> 01:00:01.000\n<i.loud>one</i>\n")
            << QStringList{"1500-3000:Hi & bye <3", "3600000-3601000:*one*"};
        QTest::newRow("latin-1 file") << QByteArray("1\n00:00:01,000 --> 00:00:02,000\nGr\xfc\xdf"
                                                    "e, Se\xf1or\n")
                                      << QStringList{QStringLiteral("1000-2000:Grüße, Señor")};
        QTest::newRow("utf-16 with byte-order mark")
            << utf16le(QStringLiteral("1\n00:00:01,000 --> 00:00:02,000\nÄrger ✓\n"))
            << QStringList{QStringLiteral("1000-2000:Ärger ✓")};
        QTest::newRow("lone CR line ends, tabs, control characters")
            << QByteArray("1\r00:00:01,000 --> 00:00:02,000\r\ta\x01 b\t\r")
            << QStringList{"1000-2000:a b"};
        QTest::newRow("broken timing skipped, next cue kept")
            << QByteArray("1\n00:00:01,000 --> 00:0x:02,000\nlost\n\n"
                          "2\n00:00:03,000 --> 00:00:04,000\nkept\n")
            << QStringList{"3000-4000:kept"};
        QTest::newRow("no blank line between cues: the counter is not text")
            << QByteArray("1\n00:00:01,000 --> 00:00:02,000\nfirst\n2\n"
                          "00:00:02,000 --> 00:00:03,000\nsecond\n")
            << QStringList{"1000-2000:first", "2000-3000:second"};
        QTest::newRow("empty, reversed and text-less cues dropped, order by start")
            << QByteArray("00:00:09,000 --> 00:00:10,000\nlate\n\n"
                          "00:00:05,000 --> 00:00:04,000\nreversed\n\n"
                          "00:00:06,000 --> 00:00:07,000\n<i></i>\n\n"
                          "00:00:01,000 --> 00:00:02,000\nearly\n")
            << QStringList{"1000-2000:early", "9000-10000:late"};
        QTest::newRow("style across lines, unclosed tags, ASS overrides")
            << QByteArray(
                   "00:00:01,000 --> 00:00:02,000\n<i>one\ntwo</i> a < b\n{\\an8}{\\b1}bold{\\b0} "
                   "<font color=\"red\">red</font> <x\n")
            << QStringList{"1000-2000:*one*|*two* a < b|#bold# red <x"};
        QTest::newRow("garbage and text before any timing")
            << QByteArray("hello\nworld\n-->\n") + QByteArray(1, '\0') +
                   QByteArray("\xff\n\n00:00:01,000 --> 00:00:02,000\nok\n")
            << QStringList{"1000-2000:ok"};
        QTest::newRow("times: fraction digits, out of range fields")
            << QByteArray("00:00:01,5 --> 00:00:01,75\na\n\n00:61:00,000 --> 01:00:00,000\nb\n\n"
                          "0:0:1.000 --> 0:0:2.000\nc\n")
            << QStringList{"1000-2000:c", "1500-1750:a"};
    }

    void parse()
    {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, cues);
        const SubtitleCues parsed = SubtitleParser::parse(input);
        QCOMPARE(describe(parsed), cues);
        // What the writer makes of the cues reads back the same.
        QCOMPARE(SubtitleParser::parse(SubtitleWriter::toSubRip(parsed)), parsed);
    }

    void boundsHold()
    {
        QByteArray many;
        for (int i = 0; i < 40; ++i)
            many += "line " + QByteArray::number(i) + '\n';
        const QByteArray longLine(5000, 'x');
        const SubtitleCues cues =
            SubtitleParser::parse("00:00:01,000 --> 00:00:02,000\n" + many + "\n" +
                                  "00:00:03,000 --> 00:00:04,000\n" + longLine + "\n");
        QCOMPARE(cues.size(), 2);
        QCOMPARE(cues[0].lines.size(), SubtitleParser::kMaxLines);
        QCOMPARE(cues[1].plainText().size(), SubtitleParser::kMaxLineLength);

        QTemporaryDir dir;
        const QString big = dir.filePath(QStringLiteral("big.srt"));
        QFile file(big);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(SubtitleParser::kMaxFileBytes + 1));
        file.close();
        SubtitleCues read;
        QString error;
        QVERIFY(!SubtitleParser::readFile(big, &read, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(
            !SubtitleParser::readFile(dir.filePath(QStringLiteral("missing.srt")), &read, &error));
    }

    void plainWriterDropsStyles()
    {
        const SubtitleCues cues =
            SubtitleParser::parse("00:00:01,000 --> 00:00:02,000\n<i>a &amp; b</i>\n");
        QCOMPARE(SubtitleWriter::toSubRip(cues, SubtitleWriter::Text::Plain),
                 QByteArray("1\n00:00:01,000 --> 00:00:02,000\na & b\n\n"));
    }

    void matchLanguage_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("matches");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("twoLetter");

        QTest::newRow("no language") << "Clip"
                                     << "Clip.srt" << true << ""
                                     << ""
                                     << "";
        QTest::newRow("english") << "Clip"
                                 << "Clip.en.srt" << true << "en"
                                 << "English"
                                 << "en";
        QTest::newRow("german vtt, upper-case suffix") << "Clip"
                                                       << "Clip.de.VTT" << true << "de"
                                                       << "Deutsch"
                                                       << "de";
        QTest::newRow("three letters") << "Clip"
                                       << "Clip.deu.srt" << true << "deu"
                                       << "Deutsch"
                                       << "de";
        QTest::newRow("with region") << "Clip"
                                     << "Clip.pt-BR.srt" << true << "pt-BR"
                                     << "Português"
                                     << "pt";
        QTest::newRow("spanish, not Spain's") << "Clip"
                                              << "Clip.es.srt" << true << "es"
                                              << "Español"
                                              << "es";
        QTest::newRow("dotted base name") << "My.Clip"
                                          << "My.Clip.fr.srt" << true << "fr"
                                          << "Français"
                                          << "fr";
        QTest::newRow("other video's subtitle") << "Clip"
                                                << "Clip2.srt" << false << ""
                                                << ""
                                                << "";
        QTest::newRow("not a language") << "Clip"
                                        << "Clip.part2.srt" << false << ""
                                        << ""
                                        << "";
        QTest::newRow("not a subtitle") << "Clip"
                                        << "Clip.en.txt" << false << ""
                                        << ""
                                        << "";
        QTest::newRow("base name case differs") << "Clip"
                                                << "clip.en.srt" << false << ""
                                                << ""
                                                << "";
    }

    void matchLanguage()
    {
        QFETCH(QString, base);
        QFETCH(QString, file);
        QFETCH(bool, matches);
        QString language;
        QCOMPARE(SubtitleFile::matchLanguage(base, file, &language), matches);
        if (!matches)
            return;
        QFETCH(QString, name);
        QFETCH(QString, twoLetter);
        QTEST(language, "language");
        const SubtitleFile subtitle{file, language};
        QCOMPARE(subtitle.languageName(), name);
        QCOMPARE(subtitle.twoLetterLanguage(), twoLetter);
    }

    void besideVideo()
    {
        QTemporaryDir dir;
        for (const char *name :
             {"Clip.mp4", "Clip.en.srt", "Clip.de.vtt", "Clip.srt", "Clip2.en.srt", "Clip.xx1.srt",
              "Other.en.srt", "Clip[1].mp4", "Clip[1].en.srt"})
            RUN_CHECKED(writeFile(dir.filePath(QString::fromLatin1(name))));
        QDir(dir.path()).mkdir(QStringLiteral("Clip.fr.srt")); // a folder, not a file

        const SubtitleFiles found =
            SubtitleFile::besideVideo(dir.filePath(QStringLiteral("Clip.mp4")));
        QStringList names;
        for (const SubtitleFile &file : found)
            names << QFileInfo(file.path).fileName() + QLatin1Char('=') + file.language;
        QCOMPARE(names, (QStringList{"Clip.de.vtt=de", "Clip.en.srt=en", "Clip.srt="}));
        QCOMPARE(found[0].mimeType(), QStringLiteral("text/vtt"));
        QCOMPARE(found[1].mimeType(), QStringLiteral("text/srt"));
        QCOMPARE(found[1].nameFor(QStringLiteral("Clip-1")), QStringLiteral("Clip-1.en.srt"));
        QCOMPARE(found[2].nameFor(QStringLiteral("Clip-1")), QStringLiteral("Clip-1.srt"));

        const SubtitleFiles bracketed =
            SubtitleFile::besideVideo(dir.filePath(QStringLiteral("Clip[1].mp4")));
        QCOMPARE(bracketed.size(), 1);
        QCOMPARE(bracketed[0].language, QStringLiteral("en"));
    }
};

QTEST_GUILESS_MAIN(TestSubtitles)
#include "tst_subtitles.moc"
