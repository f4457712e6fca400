// What the subpicture multiplexer is handed for a clip's subtitles: our own
// SubRip with no cue past the clip's end and only a few cues at once, and a
// run that cannot go on for ever.
#include "burner/DvdSubtitles.h"
#include "media/SubtitleParser.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

class TestDvdSubtitleBounds : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cuesFitTheClip()
    {
        QTemporaryDir dir;
        QByteArray text;
        // 300 cues on screen at once, then a thousand running long past the
        // 3-second clip.
        for (int i = 0; i < 300; ++i)
            text += "00:00:00,500 --> 00:00:02,500\nall at once " + QByteArray::number(i) + "\n\n";
        for (int i = 0; i < 1000; ++i)
            text += timeText(2000 + i * 1000) + " --> " + timeText(3000 + i * 1000) + "\nlater\n\n";
        const QString source = dir.filePath(QStringLiteral("Clip.en.srt"));
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();

        VideoClip clip(dir.filePath(QStringLiteral("Clip.mp4")), 3.0, 1000, 720, 480);
        clip.subtitles = {SubtitleFile{source, QStringLiteral("en")}};
        const DvdSubtitles plan({clip}, {dir.filePath(QStringLiteral("file_0.mpg"))},
                                QDir(dir.path()), true);
        const DvdSubtitles prepared = plan.prepared();
        QCOMPARE(prepared.tracks().size(), 1);
        SubtitleCues cues;
        QString error;
        QVERIFY(SubtitleParser::readFile(prepared.tracks().first().subRip, &cues, &error));
        QVERIFY(!cues.isEmpty());
        QCOMPARE(prepared.tracks().first().cues, int(cues.size()));
        int most = 0;
        for (const SubtitleCue &cue : cues) {
            QVERIFY(cue.start < 3000);
            QVERIFY(cue.end <= 3000);
            const int shown =
                int(std::count_if(cues.cbegin(), cues.cend(),
                                  [&](const SubtitleCue &o) { return o.isShownAt(cue.start); }));
            most = std::max(most, shown);
        }
        QCOMPARE(most, DvdSubtitles::kMaxShown);
    }

    // A run past its time is ended, and ends as a crash the task reports.
    void runIsEndedAfterItsTime()
    {
        QProcess process;
        DvdSubtitles::limitRun(&process, 200);
        QSignalSpy finished(&process, &QProcess::finished);
        process.start(QStringLiteral("sleep"), {QStringLiteral("600")});
        QVERIFY(process.waitForStarted(30000));
        QVERIFY(finished.wait(60000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    }

private:
    static QByteArray timeText(qint64 ms)
    {
        return QStringLiteral("%1:%2:%3,%4")
            .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
            .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
            .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
            .arg(ms % 1000, 3, 10, QLatin1Char('0'))
            .toLatin1();
    }
};

QTEST_GUILESS_MAIN(TestDvdSubtitleBounds)
#include "tst_dvdsubtitlebounds.moc"
