// The player's pictures: clips of a known picture in the layouts and colour
// tags encoders write, made by ffmpeg, come out in the right colours and
// places; and a real clip shows letterboxed at the picture's own shape,
// following the widget's size.
#include "Screenshots.h"
#include "ScriptedPrompt.h"
#include "TestSupport.h"
#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/MediaVideoWidget.h"
#include "gui/player/MpvRenderer.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/Toolbar.h"

#include "gui/player/MpvPlayer.h"
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

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

// A one-second clip of the picture, ten times its size, encoded by x264 in
// `pixFmt` with the colour matrix `matrix` ("bt601" or "bt709") and range
// `range` ("tv" or "pc"), tagged so.
QString ffmpegClip(const QString &folder, const QString &pixFmt, const QString &matrix,
                   const QString &range)
{
    const QString ppm = writeQuartersPpm(folder);
    const QString clip = folder + QStringLiteral("/clip-%1-%2-%3.mp4").arg(pixFmt, matrix, range);
    if (ppm.isEmpty())
        return {};
    const QString scale =
        QStringLiteral("scale=%1:%2:flags=neighbor:out_color_matrix=%3:out_range=%4")
            .arg(kWidth * 10)
            .arg(kHeight * 10)
            .arg(matrix, range);
    const bool bt709 = matrix == QLatin1String("bt709");
    QStringList args = {QStringLiteral("-hide_banner"),
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
                        bt709 ? QStringLiteral("bt709") : QStringLiteral("smpte170m"),
                        QStringLiteral("-color_range"),
                        range,
                        QStringLiteral("-c:v"),
                        QStringLiteral("libx264"),
                        QStringLiteral("-crf"),
                        QStringLiteral("4")};
    args << clip;
    return TestSupport::run(QStringLiteral("ffmpeg"), args) == 0 ? clip : QString();
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
    // Clips in 4:2:2 and in ten bits per sample, in either colour matrix and
    // range, decoded by the player's real pipeline, show their colours in the
    // right places.
    void clipsShowTheirColours_data()
    {
        QTest::addColumn<QString>("pixFmt");
        QTest::addColumn<QString>("matrix");
        QTest::addColumn<QString>("range");
        const auto row = [](const char *name, const char *pixFmt, const char *matrix,
                            const char *range) {
            QTest::newRow(name) << QString::fromLatin1(pixFmt) << QString::fromLatin1(matrix)
                                << QString::fromLatin1(range);
        };
        row("4:2:0, 8 bits", "yuv420p", "bt601", "tv");
        row("4:2:2, 8 bits", "yuv422p", "bt601", "tv");
        row("4:2:0, 10 bits", "yuv420p10le", "bt601", "tv");
        row("4:2:2, 10 bits", "yuv422p10le", "bt601", "tv");
        row("BT.709", "yuv420p", "bt709", "tv");
        row("full range", "yuvj420p", "bt601", "pc");
    }

    void clipsShowTheirColours()
    {
        QFETCH(QString, pixFmt);
        QFETCH(QString, matrix);
        QFETCH(QString, range);
        const QString clip = ffmpegClip(m_folder.path(), pixFmt, matrix, range);
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
        QCOMPARE(picture.width() / picture.height(), kWidth / kHeight);
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
        QCOMPARE(MpvRenderer::fittedSize(picture, area), expected);
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
            const QSize expected =
                MpvRenderer::fittedSize(QSize(4, 3), video->size() * video->devicePixelRatioF());
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

        Screenshots::keep(&window, QStringLiteral("player-picture"));

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
