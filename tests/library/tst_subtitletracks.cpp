// Importing a video that carries text subtitle tracks: they become subtitle
// files beside the library's copy, listed like the files that come with a
// video, and go with it when it is removed.
#include "LibraryTestFixture.h"
#include "TestSupport.h"
#include "library/ImportController.h"
#include "library/LibraryModel.h"
#include "library/LibraryRemoval.h"
#include "media/SubtitleFile.h"

#include <QFileInfo>
#include <QtTest>

class TestSubtitleTracks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tracksBecomeFilesBesideTheCopy()
    {
        QTemporaryDir source;
        const QString srt = source.filePath(QStringLiteral("track.srt"));
        QFile file(srt);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("1\n00:00:00,200 --> 00:00:01,500\nBonjour\n");
        file.close();
        const QString clip = TestSupport::sampleClip(QStringLiteral("tracks-2s.mp4"), 2);
        QVERIFY(!clip.isEmpty());
        const QString video = source.filePath(QStringLiteral("Clip.mp4"));
        QCOMPARE(TestSupport::run(
                     QStringLiteral("ffmpeg"),
                     {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), clip,
                      QStringLiteral("-i"), srt, QStringLiteral("-map"), QStringLiteral("0"),
                      QStringLiteral("-map"), QStringLiteral("1"), QStringLiteral("-c"),
                      QStringLiteral("copy"), QStringLiteral("-c:s"), QStringLiteral("mov_text"),
                      QStringLiteral("-metadata:s:s:0"), QStringLiteral("language=fre"), video}),
                 0);
        QFile::remove(srt);

        LibraryTestFixture fixture;
        Library &library = *fixture.library;
        QVERIFY(library.imports()->importFile(video));
        QVERIFY(fixture.waitIdle());
        QCOMPARE(library.model()->rowCount(), 1);
        const QString copy = library.model()->item(0).videoPath();
        const SubtitleFiles beside = SubtitleFile::besideVideo(copy);
        QCOMPARE(beside.size(), 1);
        QCOMPARE(QFileInfo(beside.first().path).fileName(), QStringLiteral("Clip.fr.srt"));
        QCOMPARE(beside.first().languageName(), QStringLiteral("Français"));
        QVERIFY(TestSupport::readFile(beside.first().path).contains("Bonjour"));
        // The source folder is left as it was.
        QVERIFY(SubtitleFile::besideVideo(video).isEmpty());

        library.removal()->removeItem(0);
        QVERIFY(fixture.waitIdle());
        QVERIFY(!QFileInfo::exists(beside.first().path));
    }
};

QTEST_GUILESS_MAIN(TestSubtitleTracks)
#include "tst_subtitletracks.moc"
