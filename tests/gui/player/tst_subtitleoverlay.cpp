// A subtitle file whose cues all show at once, each of many long lines: the
// overlay draws a few cues' worth of lines cut at the picture, and the
// window keeps turning its event loop while the cues change.
#include "gui/player/SubtitleOverlay.h"
#include "media/SubtitleBounds.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

namespace {

QList<SubtitleLine> manyLines(int cues, char letter)
{
    QList<SubtitleLine> lines;
    for (int cue = 0; cue < cues; ++cue) {
        for (int line = 0; line < 16; ++line)
            lines.append(
                {{QString(500, QLatin1Char(letter)) + QString::number(cue), false, false}});
    }
    return lines;
}

} // namespace

class TestSubtitleOverlay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fourHundredCuesAtOnce()
    {
        QWidget video;
        video.resize(640, 360);
        video.show();
        QVERIFY(QTest::qWaitForWindowExposed(&video));
        SubtitleOverlay overlay(&video);
        const QList<SubtitleLine> first = manyLines(400, 'a');
        const QList<SubtitleLine> second = manyLines(400, 'b');

        // The position moves on as in playback: the shown cues change on
        // every update, while a zero timer counts the turns of the loop.
        int updates = 0;
        int turns = 0;
        QTimer position;
        position.setInterval(10);
        connect(&position, &QTimer::timeout, this, [&] {
            overlay.setLines(updates % 2 ? first : second);
            ++updates;
        });
        QTimer turn;
        turn.setInterval(0);
        connect(&turn, &QTimer::timeout, this, [&] { ++turns; });
        position.start();
        turn.start();
        QTRY_VERIFY_WITH_TIMEOUT(updates >= 40 && turns >= 200, 120000);
        position.stop();
        turn.stop();

        QVERIFY(overlay.isVisible());
        const qsizetype lines = overlay.text().count(QLatin1Char('\n')) + 1;
        QVERIFY(lines <= SubtitleBounds::kMaxShown * SubtitleBounds::kMaxLinesPerCue);
        QVERIFY(overlay.height() <= video.height());

        // Cues handed as cues: at most eight, each of at most four lines.
        SubtitleCues cues;
        for (int i = 0; i < 400; ++i)
            cues.append({0, 1000, manyLines(1, char('a' + i % 26))});
        overlay.setCues(cues);
        QCOMPARE(overlay.text().count(QLatin1Char('\n')) + 1,
                 SubtitleBounds::kMaxShown * SubtitleBounds::kMaxLinesPerCue);
    }
};

QTEST_MAIN(TestSubtitleOverlay)
#include "tst_subtitleoverlay.moc"
