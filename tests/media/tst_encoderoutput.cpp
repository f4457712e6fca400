// The encoder report parser on reports the installed encoder prints for clips
// made at test time, on the same reports rewritten to the older output form,
// and on progress lines; the thumbnail grab on long and short clips.
#include "TestSupport.h"
#include "media/EncoderOutput.h"
#include "media/EncoderRunner.h"
#include "media/Thumbnail.h"

#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

#include <sys/resource.h>

namespace {

QString reportOf(const QString &path)
{
    QByteArray err;
    TestSupport::run(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-hide_banner"), QStringLiteral("-i"), path}, nullptr, &err);
    return QString::fromLocal8Bit(err);
}

// The form of older encoders: "Stream #0.1(und):" and "time=12.34".
QString olderForm(QString text)
{
    static const QRegularExpression stream(
        QStringLiteral("Stream #(\\d+):(\\d+)(?:\\[0x[0-9a-f]+\\])?"));
    text.replace(stream, QStringLiteral("Stream #\\1.\\2"));
    static const QRegularExpression time(QStringLiteral("time=(\\d+):(\\d+):(\\d+\\.\\d+)"));
    QRegularExpressionMatch match;
    while ((match = time.match(text)).hasMatch()) {
        const double seconds = match.captured(1).toInt() * 3600 + match.captured(2).toInt() * 60 +
                               match.captured(3).toDouble();
        text.replace(match.capturedStart(), match.capturedLength(),
                     QStringLiteral("time=") + QString::number(seconds, 'f', 2));
    }
    return text;
}

struct Expected
{
    QString container;
    QString video;
    QSize size;
    QString audio;
    int rate;
    int channels;
};

} // namespace

Q_DECLARE_METATYPE(Expected)

class TestEncoderOutput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (EncoderRunner::encoder().isEmpty())
            QFAIL("ffmpeg is needed");
    }

    void reportOfClip_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<Expected>("expected");
        QTest::newRow("h264/aac mp4")
            << "probe-h264.mp4"
            << QStringList{"-c:v", "libx264", "-profile:v", "main", "-pix_fmt", "yuv420p",
                           "-c:a", "aac",     "-ac",        "2",    "-ar",      "48000"}
            << 3.0 << Expected{"mov,mp4,m4a,3gp,3g2,mj2", "h264", {320, 240}, "aac", 48000, 2};
        QTest::newRow("flv1/mp3 flv")
            << "probe-flv1.flv" << QStringList{"-c:v", "flv", "-c:a", "libmp3lame", "-ar", "22050"}
            << 2.0 << Expected{"flv", "flv1", {320, 240}, "mp3", 22050, 1};
        QTest::newRow("mpeg2/ac3 ts 5.1")
            << "probe-sd.mpegts" << QStringList{"-c:v", "mpeg2video", "-s", "720x576", "-c:a",
                                                "ac3",  "-ac",        "6",  "-ar",     "48000"}
            << 2.0 << Expected{"mpegts", "mpeg2video", {720, 576}, "ac3", 48000, 6};
        QTest::newRow("mpeg4/mp3 avi")
            << "probe-mpeg4.avi" << QStringList{"-c:v", "mpeg4", "-c:a", "libmp3lame"} << 2.0
            << Expected{"avi", "mpeg4", {320, 240}, "mp3", 44100, 1};
        QTest::newRow("mpeg1/mp2 program stream")
            << "probe-ps.mpg" << QStringList{"-c:v", "mpeg1video", "-c:a", "mp2"} << 2.0
            << Expected{"mpeg", "mpeg1video", {320, 240}, "mp2", 44100, 1};
        QTest::newRow("mp3 with a cover picture")
            << "probe-cover.mp3"
            << QStringList{"-map", "1:a",   "-map", "0:v",        "-frames:v",      "1",
                           "-c:v", "mjpeg", "-c:a", "libmp3lame", "-disposition:v", "attached_pic"}
            << 2.0 << Expected{"mp3", "", {}, "mp3", 44100, 1};
    }

    // Every field the engines use, from the installed encoder's own report,
    // in its current form and in the older one.
    void reportOfClip()
    {
        QFETCH(QString, clip);
        QFETCH(QStringList, args);
        QFETCH(double, seconds);
        QFETCH(Expected, expected);
        const QString path = TestSupport::sampleClip(clip, seconds, args);
        QVERIFY2(!path.isEmpty(), "ffmpeg could not make the clip");
        const QString report = reportOf(path);
        for (const QString &text : {report, olderForm(report)}) {
            const MediaInfo info = EncoderOutput::parse(text);
            QVERIFY2(qAbs(info.duration - seconds) < 0.2, qPrintable(text));
            QCOMPARE(info.durationSeconds(), int(info.duration));
            QCOMPARE(info.container, expected.container);
            QCOMPARE(info.videoCodec, expected.video);
            QCOMPARE(info.frameSize, expected.size);
            QCOMPARE(info.audioCodec, expected.audio);
            QCOMPARE(info.sampleRate, expected.rate);
            QCOMPARE(info.channels, expected.channels);
            QVERIFY(info.bitrate > 0);
            if (info.hasVideo())
                QVERIFY(qAbs(info.frameRate - 25) < 0.01);
        }
    }

    void writtenReports_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("bitrate");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("channels");
        QTest::newRow("older flv")
            << "Input #0, flv, from 'x.flv':\n  Duration: 01:00:00.5, start: 0.0, bitrate: N/A\n"
               "    Stream #0.0: Video: flv, yuv420p, 480x360, 25 tbr\n"
               "    Stream #0.1: Audio: mp3, 22050 Hz, 2 channels, s16, 64 kb/s\n"
            << 3600.5 << 0 << QSize(480, 360) << 2;
        QTest::newRow("side layout")
            << "  Duration: 00:00:02.00, bitrate: 64 kb/s\n"
               "  Stream #0:0(eng): Audio: ac3, 48000 Hz, 5.1(side), fltp, 384 kb/s\n"
            << 2.0 << 64 << QSize() << 6;
        QTest::newRow("output streams ignored")
            << "  Duration: N/A, bitrate: N/A\n  Stream #0:0: Audio: pcm_s16le, 8000 Hz, mono\n"
               "Output #0, mjpeg, to 'pipe:':\n  Stream #0:0: Video: mjpeg, yuvj420p, 320x240\n"
            << -1.0 << 0 << QSize() << 1;
        QTest::newRow("not a video")
            << "x.avi: Invalid data found when processing input" << -1.0 << 0 << QSize() << 0;
        QTest::newRow("absurd numbers")
            << "  Duration: 99999999:00:00.00, bitrate: 99999999999 kb/s\n"
               "  Stream #0:0: Video: h264, yuv420p, 99999999x2 [SAR 1:1 DAR 4:3]\n"
            << -1.0 << 0 << QSize() << 0;
    }

    void writtenReports()
    {
        QFETCH(QString, text);
        QFETCH(double, seconds);
        QFETCH(int, bitrate);
        QFETCH(QSize, size);
        QFETCH(int, channels);
        const MediaInfo info = EncoderOutput::parse(text);
        QCOMPARE(info.duration, seconds);
        QCOMPARE(info.bitrate, bitrate);
        QCOMPARE(info.frameSize, size);
        QCOMPARE(info.channels, channels);
    }

    void durationText_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("seconds") << 42.1 << "00:42";
        QTest::newRow("minutes") << 754.56 << "12:34";
        QTest::newRow("hours") << 3723.0 << "01:02:03";
        QTest::newRow("absent") << -1.0 << "";
        // Values no file has are no length, never a wrapped int.
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << "";
        QTest::newRow("1e300") << 1e300 << "";
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "";
    }

    void durationText()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        MediaInfo info;
        info.duration = seconds;
        QCOMPARE(info.durationText(), text);
    }

    // The last progress time of a real conversion, in both output forms.
    void progressOfConversion()
    {
        const QString path = TestSupport::sampleClip(QStringLiteral("probe-progress.mp4"), 4);
        QByteArray err;
        TestSupport::run(QStringLiteral("ffmpeg"),
                         {QStringLiteral("-hide_banner"), QStringLiteral("-i"), path,
                          QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")},
                         nullptr, &err);
        const QString report = QString::fromLocal8Bit(err);
        QVERIFY(report.contains(QLatin1String("time=")));
        for (const QString &text : {report, olderForm(report)}) {
            QVERIFY2(qAbs(EncoderOutput::lastTime(text) - 4.0) < 0.2, qPrintable(text));
            QCOMPARE(EncoderOutput::duration(text), 4.0);
        }
        QCOMPARE(
            EncoderOutput::lastTime(QStringLiteral("time=00:00:01.00 x\rtime=00:00:02.50 y\r")),
            2.5);
        QCOMPARE(EncoderOutput::lastTime(QStringLiteral("Press [q] to stop")), -1.0);
    }

    void thumbnail_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<bool>("toFile");
        QTest::addColumn<bool>("retried");
        QTest::addColumn<double>("known"); // length known beforehand, -1: none
        QTest::newRow("long clip, to a file") << 11.0 << true << false << -1.0;
        QTest::newRow("long clip, to memory") << 11.0 << false << false << -1.0;
        QTest::newRow("short clip, middle frame") << 3.0 << false << true << -1.0;
        QTest::newRow("short clip of known length, one run") << 3.0 << false << false << 3.0;
        QTest::newRow("long clip of known length") << 11.0 << false << false << 11.0;
    }

    void thumbnail()
    {
        QFETCH(double, seconds);
        QFETCH(bool, toFile);
        QFETCH(bool, retried);
        QFETCH(double, known);
        const QString clip =
            TestSupport::sampleClip(QStringLiteral("thumb-%1.mp4").arg(seconds), seconds);
        QTemporaryDir dir;
        const QString target = toFile ? dir.filePath(QStringLiteral("t.jpg")) : QString();
        const Thumbnail::Grab grab =
            Thumbnail::grab(EncoderRunner::encoder(), clip, target, 30000, nullptr, known);
        QVERIFY(grab.first.succeeded());
        QCOMPARE(grab.retried, retried);
        QCOMPARE(grab.info.durationSeconds(), int(seconds));
        const QImage picture = QImage::fromData(grab.jpeg, "JPEG");
        QCOMPARE(picture.size(), QSize(320, 240));
        if (toFile)
            QCOMPARE(TestSupport::readFile(target), grab.jpeg);
    }

    void failedRuns()
    {
        const EncoderRun missing = EncoderRunner::run(QStringLiteral("/nonexistent/encoder"), {});
        QVERIFY(!missing.started && !missing.error.isEmpty() && !missing.succeeded());
        const EncoderRun slow =
            EncoderRunner::run(QStringLiteral("sleep"), {QStringLiteral("5")}, 100);
        QVERIFY(slow.started && slow.timedOut && !slow.succeeded());
        std::atomic<bool> cancel{true};
        const EncoderRun cancelled =
            EncoderRunner::run(QStringLiteral("sleep"), {QStringLiteral("5")}, 30000, &cancel);
        QVERIFY(cancelled.cancelled && !cancelled.succeeded());
        QTemporaryDir dir;
        const QString text = dir.filePath(QStringLiteral("x.mp4"));
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a video");
        file.close();
        const Thumbnail::Grab grab = Thumbnail::grab(EncoderRunner::encoder(), text, QString());
        QVERIFY(!grab.first.succeeded() && !grab.retried && !grab.hasPicture());
        QVERIFY(!grab.info.isValid());
    }

    void priority_data()
    {
        QTest::addColumn<int>("priority"); // EncoderRunner::Priority
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("lowered"); // below our own priority
        // The background run waits until it has been lowered, then tells its
        // nice value; the normal one tells it at once.
        const QByteArray niceOf = "cut -d ' ' -f 19 /proc/$$/stat";
        const QByteArray own = QByteArray::number(getpriority(PRIO_PROCESS, 0));
        const QByteArray waitThenTell =
            "while [ \"$(" + niceOf + ")\" = " + own + " ]; do :; done; " + niceOf;
        QTest::newRow("normal") << int(EncoderRunner::Priority::Normal) << niceOf << 0;
        QTest::newRow("lower") << int(EncoderRunner::Priority::Lower) << waitThenTell << 5;
        QTest::newRow("background")
            << int(EncoderRunner::Priority::Background) << waitThenTell << 10;
    }

    // Imports' runs give way a little to the program's own threads, and
    // background runs (probes nobody waits for) more; normal runs keep the
    // program's priority.
    void priority()
    {
        QFETCH(int, priority);
        QFETCH(QByteArray, script);
        QFETCH(int, lowered);
        const int own = getpriority(PRIO_PROCESS, 0);
        if (own + lowered > 19)
            QSKIP("this test runs at too low a priority to go lower");
        const EncoderRun run = EncoderRunner::run(
            QStringLiteral("sh"), {QStringLiteral("-c"), QString::fromLatin1(script)}, 60000,
            nullptr, EncoderRunner::Priority(priority));
        QVERIFY2(run.succeeded(), run.report.constData());
        QCOMPARE(run.output.trimmed().toInt(), own + lowered);
    }
};

QTEST_GUILESS_MAIN(TestEncoderOutput)
#include "tst_encoderoutput.moc"
