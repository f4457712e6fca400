// Play lengths that reach the media tree from a probe or the probe cache:
// values no file can have are not believed, and none is announced cut short.
#include "core/Formatters.h"
#include "tv/MediaNode.h"

#include <QTest>

#include <limits>

class TestPlayLength : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nodeLength_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("a minute") << 61.5 << "0:01:01.500";
        QTest::newRow("just below a day") << 86399.5 << "23:59:59.500";
        // Hours go on counting past a day, never cut to 1:01:01.
        QTest::newRow("past a day") << 90061.0 << "25:01:01.000";
        QTest::newRow("a year") << 31536000.25 << "8760:00:00.250";
        QTest::newRow("unknown") << -1.0 << "";
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << "";
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "";
        QTest::newRow("1e300") << 1e300 << "";
    }

    void nodeLength()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        MediaNode node(QStringLiteral("/x/clip.mp4"), 0, nullptr);
        node.setDuration(seconds);
        QCOMPARE(Formatters::durationText(node.durationMs), text);
        // NaN and the like are not kept as the probe's length either.
        QCOMPARE(node.media.duration >= 0, seconds >= 0 && seconds < 1e9);
    }
};

QTEST_GUILESS_MAIN(TestPlayLength)
#include "tst_playlength.moc"
