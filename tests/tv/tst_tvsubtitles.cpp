// What the TV server hands on of a video's subtitles: SubRip first and the
// user's language first among equals; the encoder's copy is our own SubRip
// of the parsed cues, cut at the video's end and never more than eight on
// screen at once; a file over the size bound is neither offered nor drawn.
#include "media/SubtitleParser.h"
#include "tv/TvSubtitles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

class TestTvSubtitles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        return file.fileName();
    }

private Q_SLOTS:
    void offerOrder_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("SubRip before WebVTT")
            << QStringList{"Clip.de.vtt", "Clip.en.srt"} << "fr" << QList<int>{1, 0};
        QTest::newRow("own language among SubRips")
            << QStringList{"Clip.de.srt", "Clip.en.srt", "Clip.fr.srt"} << "fr"
            << QList<int>{2, 0, 1};
        QTest::newRow("SubRip outranks the own language")
            << QStringList{"Clip.de.srt", "Clip.fr.vtt"} << "fr" << QList<int>{0, 1};
        QTest::newRow("own language among WebVTTs")
            << QStringList{"Clip.de.vtt", "Clip.en.srt", "Clip.fr.vtt"} << "fr"
            << QList<int>{1, 2, 0};
        QTest::newRow("no language known")
            << QStringList{"Clip.vtt", "Clip.srt"} << QString() << QList<int>{1, 0};
    }

    void offerOrder()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, language);
        QFETCH(QList<int>, order);
        QList<SubtitleFile> files;
        for (const QString &name : names) {
            SubtitleFile file;
            file.path = m_dir.filePath(name);
            SubtitleFile::matchLanguage(QStringLiteral("Clip"), name, &file.language);
            files.append(file);
        }
        QCOMPARE(TvSubtitles::offerOrder(files, language), order);
    }

    void drawableCues()
    {
        SubtitleCues cues;
        // Twelve cues over the same second, one across the end, one after it.
        for (int i = 0; i < 12; ++i)
            cues.append({1000, 2000, {{{QStringLiteral("line %1").arg(i)}}}});
        cues.append({2500, 9000, {{{QStringLiteral("across the end")}}}});
        cues.append({5000, 6000, {{{QStringLiteral("after the end")}}}});
        const SubtitleCues kept = TvSubtitles::drawableCues(cues, 4000);
        QCOMPARE(kept.size(), TvSubtitles::kMaxShownCues + 1);
        for (int i = 0; i < TvSubtitles::kMaxShownCues; ++i)
            QCOMPARE(kept.at(i).plainText(), QStringLiteral("line %1").arg(i));
        QCOMPARE(kept.last().plainText(), QStringLiteral("across the end"));
        QCOMPARE(kept.last().end, 4000);
        // A later cue gets a place once earlier ones are gone.
        cues.append({2000, 2500, {{{QStringLiteral("later")}}}});
        QCOMPARE(TvSubtitles::drawableCues(cues, -1).size(), TvSubtitles::kMaxShownCues + 3);
    }

    void burnInCopyIsOurOwn()
    {
        SubtitleFile file;
        file.path =
            write(QStringLiteral("Clip.en.srt"),
                  "1\r\n00:00:01,000 --> 00:00:02,000\r\n<font color=\"red\">Hello</font>\r\n\r\n"
                  "2\r\n00:00:08,000 --> 00:00:09,000\r\nPast the end\r\n");
        QVERIFY(!file.path.isEmpty());
        const std::unique_ptr<QTemporaryFile> copy = TvSubtitles::burnInCopy(file, 5000);
        QVERIFY(copy);
        QVERIFY(copy->fileName() != file.path);
        QFile written(copy->fileName());
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        QVERIFY2(bytes.contains("Hello") && !bytes.contains("font") &&
                     !bytes.contains("Past the end"),
                 bytes.constData());
        // A file of no cue at all gives the encoder nothing.
        SubtitleFile empty;
        empty.path = write(QStringLiteral("Empty.srt"), "nothing here\n");
        QVERIFY(!TvSubtitles::burnInCopy(empty, 5000));
    }

    void oversizedFilesGoNowhere()
    {
        SubtitleFile big;
        big.path = m_dir.filePath(QStringLiteral("Big.srt"));
        QFile file(big.path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("1\n00:00:00,000 --> 00:00:01,000\nHi\n\n");
        QVERIFY(file.resize(TvSubtitles::kMaxFileBytes + 1));
        file.close();
        QVERIFY(!TvSubtitles::isServable(big));
        QVERIFY(!TvSubtitles::burnInCopy(big, -1));
        SubtitleFile small;
        small.path = write(QStringLiteral("Small.srt"), "1\n00:00:00,000 --> 00:00:01,000\nHi\n");
        QCOMPARE(TvSubtitles::servable({big, small}), QList<SubtitleFile>{small});
        // Not a file at all.
        SubtitleFile folder;
        folder.path = m_dir.path();
        QVERIFY(!TvSubtitles::isServable(folder));
    }
};

QTEST_GUILESS_MAIN(TestTvSubtitles)
#include "tst_tvsubtitles.moc"
