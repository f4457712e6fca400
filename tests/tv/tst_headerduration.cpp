// Play lengths read from container headers agree with the encoder's probe,
// and files whose header does not tell (or is damaged) give none.
#include "TestSupport.h"
#include "tv/HeaderDuration.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The encoder's own reading of the file's length.
double probedSeconds(const QString &path)
{
    QByteArray out;
    TestSupport::run(QStringLiteral("ffprobe"),
                     {QStringLiteral("-v"), QStringLiteral("error"),
                      QStringLiteral("-show_entries"), QStringLiteral("format=duration"),
                      QStringLiteral("-of"), QStringLiteral("default=nw=1:nk=1"), path},
                     &out);
    bool ok = false;
    const double seconds = out.trimmed().toDouble(&ok);
    return ok ? seconds : -1;
}

} // namespace

class TestHeaderDuration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void agreesWithTheProbe_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("told");
        QTest::newRow("mp4, header at the end") << "hd-end.mp4" << 7.0 << QStringList() << true;
        QTest::newRow("mp4, header first")
            << "hd-first.mp4" << 7.0 << QStringList({"-movflags", "+faststart"}) << true;
        QTest::newRow("quicktime") << "hd-clip.mov" << 4.0 << QStringList() << true;
        QTest::newRow("flv") << "hd-clip.flv" << 5.0 << QStringList() << true;
        QTest::newRow("avi") << "hd-clip.avi" << 3.0
                             << QStringList({"-c:v", "mpeg4", "-c:a", "libmp3lame"}) << true;
        QTest::newRow("mpeg program stream") << "hd-clip.mpg" << 3.0 << QStringList() << false;
        QTest::newRow("fragmented mp4")
            << "hd-frag.mp4" << 4.0 << QStringList({"-movflags", "frag_keyframe+empty_moov"})
            << false;
    }

    void agreesWithTheProbe()
    {
        QFETCH(QString, name);
        QFETCH(double, seconds);
        QFETCH(QStringList, args);
        QFETCH(bool, told);
        const QString clip = TestSupport::sampleClip(name, seconds, args);
        QVERIFY(!clip.isEmpty());
        const double read = HeaderDuration::read(clip);
        if (!told) {
            QCOMPARE(read, -1.0);
            return;
        }
        const double probed = probedSeconds(clip);
        QVERIFY(probed > 0);
        QVERIFY2(qAbs(read - probed) < 0.1,
                 qPrintable(QStringLiteral("%1 against %2").arg(read).arg(probed)));
    }

    // Cut or garbled headers never give a length that is not there.
    void damagedFilesTellNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("mp4") << "hd-end.mp4" << QStringList();
        QTest::newRow("flv") << "hd-clip.flv" << QStringList();
        QTest::newRow("avi") << "hd-clip.avi"
                             << QStringList({"-c:v", "mpeg4", "-c:a", "libmp3lame"});
    }

    void damagedFilesTellNothing()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, args);
        const QString clip = TestSupport::sampleClip(name, name.endsWith(".mp4") ? 7 : 3, args);
        const QByteArray data = TestSupport::readFile(clip);
        QVERIFY(data.size() > 4096);
        QTemporaryDir dir;
        const QString cut = dir.filePath(name);
        // The header-at-the-end MP4 cut in half has lost its movie header.
        QFile half(cut);
        QVERIFY(half.open(QIODevice::WriteOnly));
        half.write(data.left(name.endsWith(".mp4") ? data.size() / 2 : 40));
        half.close();
        QCOMPARE(HeaderDuration::read(cut), -1.0);
        // Every box or chunk size garbled in turn: no crash, no absurd length.
        for (qsizetype at = 0; at < 512; at += 4) {
            QByteArray garbled = data;
            garbled[at] = char(0xff);
            QBuffer buffer(&garbled);
            buffer.open(QIODevice::ReadOnly);
            for (const double seconds : {HeaderDuration::fromIsoMedia(&buffer),
                                         HeaderDuration::fromFlv(garbled.left(64 * 1024)),
                                         HeaderDuration::fromAvi(garbled.left(64 * 1024))})
                QVERIFY(seconds == -1 || (seconds > 0 && seconds < 1e7));
        }
        QFile junk(dir.filePath(QStringLiteral("junk.mp4")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, '\x07'));
        junk.close();
        QCOMPARE(HeaderDuration::read(junk.fileName()), -1.0);
    }
};

QTEST_GUILESS_MAIN(TestHeaderDuration)
#include "tst_headerduration.moc"
