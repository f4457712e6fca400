// The player's pictures: frames in the layouts decoders hand out, made by
// ffmpeg from a known picture, come out in the right colours and places; and
// a real clip shows letterboxed at the picture's own shape, following the
// widget's size.
#include "ScriptedPrompt.h"
#include "TestSupport.h"
#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/MediaVideoWidget.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/Toolbar.h"
#include "gui/player/VideoFrameConverter.h"

#include <QFile>
#include <QMediaPlayer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <QtTest>

#include <memory>

using Planes = QList<QSize>; // bytes per line and lines of each plane, packed

namespace {

constexpr int kWidth = 32;
constexpr int kHeight = 16;

// Four quarters: top left, top right, bottom left, bottom right.
const QColor kQuarters[4] = {QColor(200, 40, 40), QColor(40, 200, 40), QColor(40, 40, 200),
                             QColor(230, 230, 230)};

QPoint quarterCentre(int quarter)
{
    return QPoint(quarter % 2 ? kWidth * 3 / 4 : kWidth / 4,
                  quarter / 2 ? kHeight * 3 / 4 : kHeight / 4);
}

// The picture as a PPM file for ffmpeg to read.
QByteArray quartersPpm()
{
    QByteArray ppm = QStringLiteral("P6\n%1 %2\n255\n").arg(kWidth).arg(kHeight).toLatin1();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const QColor c = kQuarters[(y >= kHeight / 2) * 2 + (x >= kWidth / 2)];
            ppm.append(char(c.red())).append(char(c.green())).append(char(c.blue()));
        }
    }
    return ppm;
}

// Writes the picture into `folder` for ffmpeg; its path, or "" when it
// could not be written.
QString writeQuartersPpm(const QString &folder)
{
    const QString ppm = folder + QStringLiteral("/in.ppm");
    QFile file(ppm);
    if (!file.open(QIODevice::WriteOnly) || file.write(quartersPpm()) < 0)
        return {};
    return ppm;
}

// The frame ffmpeg makes of the picture in `pixFmt` with the colour matrix
// and range given, copied plane by plane into a frame of `format`.
QVideoFrame ffmpegFrame(const QString &folder, const QString &pixFmt,
                        QVideoFrameFormat::PixelFormat format, const Planes &planes,
                        const QString &matrix, const QString &range, const QString &repack)
{
    const QString ppm = writeQuartersPpm(folder);
    const QString raw = folder + QStringLiteral("/out-%1.raw").arg(pixFmt);
    if (ppm.isEmpty())
        return {};
    const QString scale =
        QStringLiteral("scale=flags=neighbor:out_color_matrix=%1:out_range=%2").arg(matrix, range);
    if (TestSupport::run(QStringLiteral("ffmpeg"),
                         {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                          QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-i"), ppm,
                          QStringLiteral("-vf"), scale, QStringLiteral("-pix_fmt"), pixFmt,
                          QStringLiteral("-f"), QStringLiteral("rawvideo"), raw}) != 0)
        return {};
    const QByteArray bytes = TestSupport::readFile(raw);
    QVideoFrameFormat frameFormat(QSize(kWidth, kHeight), format);
    frameFormat.setColorSpace(matrix == QLatin1String("bt709")
                                  ? QVideoFrameFormat::ColorSpace_BT709
                                  : QVideoFrameFormat::ColorSpace_BT601);
    frameFormat.setColorRange(range == QLatin1String("pc") ? QVideoFrameFormat::ColorRange_Full
                                                           : QVideoFrameFormat::ColorRange_Video);
    QVideoFrame frame(frameFormat);
    if (!frame.map(QVideoFrame::WriteOnly))
        return {};
    if (repack == QLatin1String("ayuv")) {
        // Packed A, Y, U, V bytes from ffmpeg's four planes (Y, U, V, A).
        const qsizetype plane = qsizetype(kWidth) * kHeight;
        if (bytes.size() != 4 * plane)
            return {};
        for (int y = 0; y < kHeight; ++y) {
            uchar *line = frame.bits(0) + qsizetype(y) * frame.bytesPerLine(0);
            for (int x = 0; x < kWidth; ++x) {
                const qsizetype at = qsizetype(y) * kWidth + x;
                for (int c = 0; c < 4; ++c)
                    line[x * 4 + c] = uchar(bytes.at(((c + 3) % 4) * plane + at));
            }
        }
        frame.unmap();
        return frame;
    }
    if (frame.planeCount() != planes.size())
        return {};
    const bool swapChroma = repack == QLatin1String("yv12");
    qsizetype at = 0;
    for (int plane = 0; plane < planes.size(); ++plane) {
        // YV12 is I420 with its chroma planes the other way round.
        const int target = swapChroma && plane > 0 ? 3 - plane : plane;
        const QSize size = planes.at(plane);
        for (int line = 0; line < size.height(); ++line, at += size.width()) {
            if (at + size.width() > bytes.size())
                return {};
            memcpy(frame.bits(target) + qsizetype(line) * frame.bytesPerLine(target),
                   bytes.constData() + at, size.width());
        }
    }
    frame.unmap();
    return at == bytes.size() ? frame : QVideoFrame();
}

// A one-second clip of the picture, ten times its size, encoded by x264 in
// `pixFmt` and tagged with the BT.601 matrix and video range.
QString ffmpegClip(const QString &folder, const QString &pixFmt)
{
    const QString ppm = writeQuartersPpm(folder);
    const QString clip = folder + QStringLiteral("/clip-%1.mp4").arg(pixFmt);
    if (ppm.isEmpty())
        return {};
    const QString scale = QStringLiteral("scale=%1:%2:flags=neighbor:out_color_matrix=bt601:"
                                         "out_range=tv")
                              .arg(kWidth * 10)
                              .arg(kHeight * 10);
    const int status = TestSupport::run(QStringLiteral("ffmpeg"), {QStringLiteral("-hide_banner"),
                                                                   QStringLiteral("-loglevel"),
                                                                   QStringLiteral("error"),
                                                                   QStringLiteral("-y"),
                                                                   QStringLiteral("-loop"),
                                                                   QStringLiteral("1"),
                                                                   QStringLiteral("-i"),
                                                                   ppm,
                                                                   QStringLiteral("-t"),
                                                                   QStringLiteral("1"),
                                                                   QStringLiteral("-r"),
                                                                   QStringLiteral("25"),
                                                                   QStringLiteral("-vf"),
                                                                   scale,
                                                                   QStringLiteral("-pix_fmt"),
                                                                   pixFmt,
                                                                   QStringLiteral("-colorspace"),
                                                                   QStringLiteral("smpte170m"),
                                                                   QStringLiteral("-color_range"),
                                                                   QStringLiteral("tv"),
                                                                   QStringLiteral("-c:v"),
                                                                   QStringLiteral("libx264"),
                                                                   QStringLiteral("-crf"),
                                                                   QStringLiteral("4"),
                                                                   clip});
    return status == 0 ? clip : QString();
}

bool near(const QColor &a, const QColor &b, int tolerance = 6)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

QString describe(const QColor &c)
{
    return QStringLiteral("(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

} // namespace

class TestVideoPicture : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

private Q_SLOTS:
    void framesBecomePictures_data()
    {
        using F = QVideoFrameFormat;
        QTest::addColumn<QString>("pixFmt");
        QTest::addColumn<F::PixelFormat>("format");
        QTest::addColumn<Planes>("planes");
        QTest::addColumn<QString>("matrix");
        QTest::addColumn<QString>("range");
        QTest::addColumn<QString>("repack"); // what the test does to ffmpeg's planes
        const int w = kWidth, h = kHeight;
        const Planes i420 = {{w, h}, {w / 2, h / 2}, {w / 2, h / 2}};
        const Planes nv12 = {{w, h}, {w, h / 2}};
        const Planes packed = {{w * 2, h}};
        const Planes rgb = {{w * 4, h}};
        const auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };
        row("I420, BT.601") << "yuv420p" << F::Format_YUV420P << i420 << "bt601"
                            << "tv"
                            << "";
        row("I420, BT.709") << "yuv420p" << F::Format_YUV420P << i420 << "bt709"
                            << "tv"
                            << "";
        row("I420, full range") << "yuv420p" << F::Format_YUV420P << i420 << "bt601"
                                << "pc"
                                << "";
        row("YV12") << "yuv420p" << F::Format_YV12 << i420 << "bt601"
                    << "tv"
                    << "yv12";
        row("AYUV") << "yuva444p" << F::Format_AYUV << rgb << "bt709"
                    << "tv"
                    << "ayuv";
        row("NV12") << "nv12" << F::Format_NV12 << nv12 << "bt601"
                    << "tv"
                    << "";
        row("NV21") << "nv21" << F::Format_NV21 << nv12 << "bt709"
                    << "tv"
                    << "";
        row("YUYV") << "yuyv422" << F::Format_YUYV << packed << "bt601"
                    << "tv"
                    << "";
        row("UYVY") << "uyvy422" << F::Format_UYVY << packed << "bt601"
                    << "tv"
                    << "";
        row("P010") << "p010le" << F::Format_P010 << Planes{{w * 2, h}, {w * 2, h / 2}} << "bt709"
                    << "tv"
                    << "";
        row("P016") << "p016le" << F::Format_P016 << Planes{{w * 2, h}, {w * 2, h / 2}} << "bt601"
                    << "tv"
                    << "";
        row("ARGB") << "argb" << F::Format_ARGB8888 << rgb << "bt601"
                    << "pc"
                    << "";
        row("BGRA") << "bgra" << F::Format_BGRA8888 << rgb << "bt601"
                    << "pc"
                    << "";
        row("ABGR") << "abgr" << F::Format_ABGR8888 << rgb << "bt601"
                    << "pc"
                    << "";
        row("RGBX") << "rgb0" << F::Format_RGBX8888 << rgb << "bt601"
                    << "pc"
                    << "";
        row("BGRX") << "bgr0" << F::Format_BGRX8888 << rgb << "bt601"
                    << "pc"
                    << "";
    }

    void framesBecomePictures()
    {
        QFETCH(QString, pixFmt);
        QFETCH(QVideoFrameFormat::PixelFormat, format);
        QFETCH(Planes, planes);
        QFETCH(QString, matrix);
        QFETCH(QString, range);
        QFETCH(QString, repack);
        const QVideoFrame frame =
            ffmpegFrame(m_folder.path(), pixFmt, format, planes, matrix, range, repack);
        QVERIFY2(frame.isValid(), "ffmpeg made no frame of the picture");
        const QImage image = VideoFrameConverter::toImage(frame);
        QCOMPARE(image.size(), QSize(kWidth, kHeight));
        for (int quarter = 0; quarter < 4; ++quarter) {
            const QColor seen = image.pixelColor(quarterCentre(quarter));
            QVERIFY2(near(seen, kQuarters[quarter]),
                     qPrintable(QStringLiteral("quarter %1: %2, not %3")
                                    .arg(quarter)
                                    .arg(describe(seen), describe(kQuarters[quarter]))));
        }
    }

    // A frame's turn, mirroring and viewport come through; its picture is
    // fitted to an area keeping its shape.
    void orientationAndFit()
    {
        QVideoFrame frame = ffmpegFrame(
            m_folder.path(), QStringLiteral("yuv420p"), QVideoFrameFormat::Format_YUV420P,
            {{kWidth, kHeight}, {kWidth / 2, kHeight / 2}, {kWidth / 2, kHeight / 2}},
            QStringLiteral("bt601"), QStringLiteral("tv"), QString());
        QVERIFY(frame.isValid());
        frame.setRotationAngle(QVideoFrame::Rotation90);
        QImage image = VideoFrameConverter::toImage(frame);
        QCOMPARE(image.size(), QSize(kHeight, kWidth));
        // Turned clockwise: the bottom left quarter is now at the top left.
        QVERIFY(near(image.pixelColor(kHeight / 4, kWidth / 4), kQuarters[2]));

        frame.setRotationAngle(QVideoFrame::Rotation0);
        frame.setMirrored(true);
        image = VideoFrameConverter::toImage(frame);
        QVERIFY(near(image.pixelColor(quarterCentre(0)), kQuarters[1]));

        frame.setMirrored(false);
        const QImage fitted = VideoFrameConverter::fittedImage(frame, QSize(200, 200));
        QCOMPARE(fitted.size(), QSize(200, 100));
        QVERIFY(near(fitted.pixelColor(150, 75), kQuarters[3]));
        QVERIFY(VideoFrameConverter::toImage(QVideoFrame()).isNull());
    }

    // Clips in 4:2:2 and in ten bits per sample, decoded by the player's
    // real pipeline, show their colours in the right places.
    void deepClipsShowTheirColours_data()
    {
        QTest::addColumn<QString>("pixFmt");
        QTest::newRow("4:2:0, 8 bits") << "yuv420p";
        QTest::newRow("4:2:2, 8 bits") << "yuv422p";
        QTest::newRow("4:2:0, 10 bits") << "yuv420p10le";
        QTest::newRow("4:2:2, 10 bits") << "yuv422p10le";
    }

    void deepClipsShowTheirColours()
    {
        QFETCH(QString, pixFmt);
        const QString clip = ffmpegClip(m_folder.path(), pixFmt);
        QVERIFY2(!clip.isEmpty(), "ffmpeg made no clip of the picture");
        CorvPlayerWidget player;
        player.resize(640, 400);
        ScriptedPrompt prompt;
        PlayerTransport transport(&player, &prompt);
        player.show();
        MediaVideoWidget *video = player.videoWidget();
        transport.openFile(clip);
        QTRY_VERIFY_WITH_TIMEOUT(!video->picture().isNull(), 15000);
        transport.pause();
        const QImage picture = video->picture();
        QVERIFY(prompt.messages.isEmpty());
        for (int quarter = 0; quarter < 4; ++quarter) {
            const QPoint at = quarterCentre(quarter);
            const QColor seen = picture.pixelColor(at.x() * picture.width() / kWidth,
                                                   at.y() * picture.height() / kHeight);
            QVERIFY2(near(seen, kQuarters[quarter], 16),
                     qPrintable(QStringLiteral("quarter %1: %2, not %3")
                                    .arg(quarter)
                                    .arg(describe(seen), describe(kQuarters[quarter]))));
        }
        transport.stop();
    }

    void fittedSize_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("4:3 in a wide area")
            << QSize(320, 240) << QSize(800, 450) << QSize(600, 450);
        QTest::newRow("wide in a 4:3 area")
            << QSize(1920, 800) << QSize(800, 600) << QSize(800, 333);
        QTest::newRow("same shape") << QSize(1280, 720) << QSize(640, 360) << QSize(640, 360);
        QTest::newRow("no area") << QSize(320, 240) << QSize(0, 0) << QSize();
        QTest::newRow("no picture") << QSize() << QSize(800, 450) << QSize();
        QTest::newRow("a sliver stays a pixel")
            << QSize(4000, 10) << QSize(100, 100) << QSize(100, 1);
    }

    void fittedSize()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, area);
        QFETCH(QSize, expected);
        QCOMPARE(VideoFrameConverter::fittedSize(picture, area), expected);
    }

    // A real clip on the player page: the picture keeps the clip's 4:3 shape
    // between black bars, is made for the widget's size and follows it into
    // full screen and back.
    void clipShowsLetterboxed()
    {
        const QString clip = TestSupport::sampleClip(QStringLiteral("player-5s.mp4"), 5);
        QVERIFY(!clip.isEmpty());
        QWidget window;
        window.resize(800, 500);
        auto *layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *player = new CorvPlayerWidget(&window);
        layout->addWidget(player);
        player->toolbar()->setFixedHeight(50);
        player->toolbar()->show();
        ScriptedPrompt prompt;
        PlayerTransport transport(player, &prompt);
        window.show();
        MediaVideoWidget *video = player->videoWidget();

        transport.openFile(clip);
        const auto fitsWidget = [video] {
            const QSize expected = VideoFrameConverter::fittedSize(
                QSize(4, 3), video->size() * video->devicePixelRatioF());
            return qAbs(video->picture().width() - expected.width()) <= 1 &&
                   qAbs(video->picture().height() - expected.height()) <= 1;
        };
        QTRY_VERIFY2_WITH_TIMEOUT(!video->picture().isNull() && fitsWidget(),
                                  qPrintable(QStringLiteral("picture %1x%2 in %3x%4")
                                                 .arg(video->picture().width())
                                                 .arg(video->picture().height())
                                                 .arg(video->width())
                                                 .arg(video->height())),
                                  15000);
        transport.pause();
        QTRY_COMPARE_WITH_TIMEOUT(transport.mediaPlayer()->playbackState(),
                                  QMediaPlayer::PausedState, TestSupport::SlowWaitMs);
        const QRect shown = video->pictureRect();
        QVERIFY(shown.width() < video->width()); // bars left and right
        QCOMPARE(shown.center().x(), video->rect().center().x());
        const QImage grabbed = video->grab().toImage();
        QCOMPARE(grabbed.pixelColor(2, video->height() / 2), QColor(Qt::black));
        QCOMPARE(grabbed.pixelColor(video->width() - 3, video->height() / 2), QColor(Qt::black));
        QVERIFY(grabbed.pixelColor(shown.center()) != QColor(Qt::black));

        const QString pictures = qEnvironmentVariable("ZELTA_SCREENSHOTS");
        if (!pictures.isEmpty())
            window.grab().save(pictures + QStringLiteral("/player-picture.png"));

        // Paused, the picture is made again for a new size.
        const QSize before = video->picture().size();
        player->toggleFullScreen();
        QTRY_VERIFY_WITH_TIMEOUT(video->picture().width() > before.width() && fitsWidget(),
                                 TestSupport::SlowWaitMs);
        player->exitFullScreen();
        QTRY_VERIFY_WITH_TIMEOUT(video->picture().size() == before, TestSupport::SlowWaitMs);
        transport.stop();
    }
};

QTEST_MAIN(TestVideoPicture)
#include "tst_videopicture.moc"
