// The text subtitle tracks a video carries become subtitle files beside it;
// picture tracks, later tracks of a language and the user's own files are
// left alone. Videos are made by the encoder in the test.
#include "TestSupport.h"
#include "media/EmbeddedSubtitles.h"
#include "media/SubtitleFile.h"
#include "media/SubtitleParser.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A subtitle track to put into a video: its text and language tag.
struct TrackPlan
{
    QString text;
    QString language;
};

QString writeSubRip(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("1\n00:00:00,200 --> 00:00:01,500\n" + text.toUtf8() + "\n");
    return path;
}

// A two-second video in `container` ("mp4", "mkv") with the tracks, written
// with `codec` ("mov_text", "srt"); `pictureTrack` adds a DVD subpicture
// track first (rendered by the subpicture multiplexer).
QString makeVideo(const QDir &folder, const QString &name, const QList<TrackPlan> &tracks,
                  const QString &codec, bool pictureTrack)
{
    QStringList args = {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y")};
    QString source = TestSupport::sampleClip(QStringLiteral("embedded-2s.mp4"), 2);
    if (pictureTrack) {
        const QString mpg =
            TestSupport::sampleClip(QStringLiteral("embedded-ntsc-dvd-2s.dvd"), 2,
                                    {QStringLiteral("-target"), QStringLiteral("ntsc-dvd")});
        const QString srt =
            writeSubRip(folder.filePath(QStringLiteral("picture.srt")), QStringLiteral("Drawn"));
        const QString xml = folder.filePath(QStringLiteral("picture.xml"));
        QFile description(xml);
        if (!description.open(QIODevice::WriteOnly))
            return {};
        description.write(QStringLiteral("<subpictures format=\"NTSC\"><stream><textsub "
                                         "filename=\"%1\" font=\"DejaVu Sans\" "
                                         "movie-width=\"720\" movie-height=\"480\"/></stream>"
                                         "</subpictures>")
                              .arg(srt)
                              .toUtf8());
        description.close();
        source = folder.filePath(QStringLiteral("picture.mpg"));
        QProcess spumux;
        spumux.setStandardInputFile(mpg);
        spumux.setStandardOutputFile(source);
        spumux.start(QStringLiteral("spumux"), {QStringLiteral("-s0"), xml});
        if (!spumux.waitForFinished(60000) || spumux.exitCode() != 0)
            return {};
    }
    args << QStringLiteral("-i") << source;
    for (const TrackPlan &track : tracks) {
        const QString srt = writeSubRip(
            folder.filePath(QStringLiteral("track%1.srt").arg(args.size())), track.text);
        args << QStringLiteral("-i") << srt;
    }
    args << QStringLiteral("-map") << QStringLiteral("0:v");
    if (pictureTrack)
        args << QStringLiteral("-map") << QStringLiteral("0:s");
    for (int i = 0; i < tracks.size(); ++i)
        args << QStringLiteral("-map") << QStringLiteral("%1:0").arg(i + 1);
    args << QStringLiteral("-c:v") << QStringLiteral("copy");
    const int first = pictureTrack ? 1 : 0;
    if (pictureTrack)
        args << QStringLiteral("-c:s:0") << QStringLiteral("copy");
    for (int i = 0; i < tracks.size(); ++i) {
        args << QStringLiteral("-c:s:%1").arg(first + i) << codec;
        if (!tracks.at(i).language.isEmpty())
            args << QStringLiteral("-metadata:s:s:%1").arg(first + i)
                 << QStringLiteral("language=") + tracks.at(i).language;
    }
    const QString video = folder.filePath(name);
    args << video;
    return TestSupport::run(QStringLiteral("ffmpeg"), args) == 0 ? video : QString();
}

// "name=first cue text" for each subtitle file beside the video.
QStringList filesBeside(const QString &video)
{
    QStringList found;
    for (const SubtitleFile &file : SubtitleFile::besideVideo(video)) {
        SubtitleCues cues;
        QString error;
        SubtitleParser::readFile(file.path, &cues, &error);
        found << QFileInfo(file.path).fileName() + QLatin1Char('=') +
                     (cues.isEmpty() ? QString() : cues.first().plainText());
    }
    return found;
}

} // namespace

Q_DECLARE_METATYPE(TrackPlan)

class TestEmbeddedSubtitles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileLanguage_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("language");
        QTest::newRow("ISO 639-2") << "eng"
                                   << "en";
        QTest::newRow("bibliographic code") << "ger"
                                            << "de";
        QTest::newRow("terminology code") << "deu"
                                          << "de";
        QTest::newRow("two letters") << "fr"
                                     << "fr";
        QTest::newRow("upper case") << "SPA"
                                    << "es";
        QTest::newRow("undetermined") << "und"
                                      << "";
        QTest::newRow("no tag") << ""
                                << "";
        QTest::newRow("no two-letter code") << "haw"
                                            << "haw";
        QTest::newRow("unknown") << "xqz"
                                 << "";
        QTest::newRow("not a code") << "../x"
                                    << "";
    }

    void fileLanguage()
    {
        QFETCH(QString, tag);
        QFETCH(QString, language);
        QCOMPARE(EmbeddedSubtitles::fileLanguage(tag), language);
    }

    void extract_data()
    {
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("codec");
        QTest::addColumn<QList<TrackPlan>>("tracks");
        QTest::addColumn<bool>("pictureTrack");
        QTest::addColumn<QStringList>("before"); // the user's files beside the video
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("mov_text in mp4")
            << "mp4"
            << "mov_text" << QList<TrackPlan>{{"Hello there", "eng"}} << false << QStringList{}
            << QStringList{"Clip.en.srt=Hello there"};
        QTest::newRow("subrip in mkv, three languages")
            << "mkv"
            << "srt" << QList<TrackPlan>{{"Hello", "eng"}, {"Hallo", "ger"}, {"Untagged", ""}}
            << false << QStringList{}
            << QStringList{"Clip.de.srt=Hallo", "Clip.en.srt=Hello", "Clip.srt=Untagged"};
        QTest::newRow("a language twice: the first track")
            << "mkv"
            << "srt" << QList<TrackPlan>{{"First", "eng"}, {"Second", "eng"}} << false
            << QStringList{} << QStringList{"Clip.en.srt=First"};
        QTest::newRow("picture track skipped")
            << "mkv"
            << "srt" << QList<TrackPlan>{{"Bonjour", "fre"}} << true << QStringList{}
            << QStringList{"Clip.fr.srt=Bonjour"};
        QTest::newRow("the user's file is kept")
            << "mkv"
            << "srt" << QList<TrackPlan>{{"From the track", "eng"}, {"Hallo", "deu"}} << false
            << QStringList{"Clip.en.srt=Mine"}
            << QStringList{"Clip.de.srt=Hallo", "Clip.en.srt=Mine"};
        QTest::newRow("no subtitles")
            << "mp4"
            << "mov_text" << QList<TrackPlan>{} << false << QStringList{} << QStringList{};
    }

    void extract()
    {
        QFETCH(QString, container);
        QFETCH(QString, codec);
        QFETCH(QList<TrackPlan>, tracks);
        QFETCH(bool, pictureTrack);
        QFETCH(QStringList, before);
        QFETCH(QStringList, expected);
        QTemporaryDir work;
        QTemporaryDir library;
        const QString made = makeVideo(QDir(work.path()), QStringLiteral("Clip.") + container,
                                       tracks, codec, pictureTrack);
        QVERIFY(!made.isEmpty());
        const QString video = library.filePath(QFileInfo(made).fileName());
        QVERIFY(QFile::copy(made, video));
        for (const QString &file : before)
            QVERIFY(!writeSubRip(library.filePath(file.section(QLatin1Char('='), 0, 0)),
                                 file.section(QLatin1Char('='), 1))
                         .isEmpty());

        const QList<EmbeddedSubtitles::Track> probed = EmbeddedSubtitles::probe(video);
        QCOMPARE(probed.size(), tracks.size() + (pictureTrack ? 1 : 0));
        if (pictureTrack) {
            QCOMPARE(probed.first().codec, QStringLiteral("dvd_subtitle"));
            QVERIFY(!EmbeddedSubtitles::isTextCodec(probed.first().codec));
        }

        const QStringList written = EmbeddedSubtitles::extractBeside(video);
        QCOMPARE(filesBeside(video), expected);
        QCOMPARE(written.size(), expected.size() - before.size());
        // Nothing half-written is left behind.
        QCOMPARE(QDir(library.path()).entryList({QStringLiteral("*.part")}), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestEmbeddedSubtitles)
#include "tst_embeddedsubtitles.moc"
