// Switching videos on the player page: from one real clip to another while
// the first plays (paused, just opened, seeking), round after round, the
// state, place, length and picture follow the new video, and nothing of the
// old one (a frame, a place, a length) shows after the switch. A stop shows
// no picture and no place; a file that cannot be played tells the user and
// leaves no picture of the video before it.
#include "PlayerPageFixture.h"
#include "Screenshots.h"
#include "ScriptedPrompt.h"
#include "TestSupport.h"
#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/MediaVideoWidget.h"
#include "gui/player/MpvPlayer.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/Toolbar.h"

#include <QFile>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

struct Clip
{
    QString path;
    QColor colour;
    qint64 durationMs = 0;
};

// A clip of one colour with sound.
Clip makeClip(const QString &folder, const QString &name, const QColor &colour, int seconds)
{
    const QString path = folder + QLatin1Char('/') + name;
    const QString length = QString::number(seconds);
    const int rc = TestSupport::run(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
         QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("color=c=%1:size=320x240:rate=25:duration=%2")
             .arg(colour.name().replace(QLatin1Char('#'), QLatin1String("0x")), length),
         QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("sine=frequency=440:sample_rate=44100:duration=") + length,
         QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-shortest"), path});
    if (rc != 0 || !QFile::exists(path))
        return {};
    return {path, colour, qint64(seconds) * 1000};
}

bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) <= 30 && qAbs(a.green() - b.green()) <= 30 &&
           qAbs(a.blue() - b.blue()) <= 30;
}

// Lengths as the container tells them, give or take the sound's padding.
bool sameLength(qint64 length, const Clip &clip)
{
    return qAbs(length - clip.durationMs) < 300;
}

QColor centreOf(const QImage &picture)
{
    return picture.pixelColor(picture.width() / 2, picture.height() / 2);
}

// What the player and the page report from a switch on: every picture,
// place and length, to be checked against the new video.
class Record
{
public:
    explicit Record(PlayerPageFixture *page)
    {
        MpvPlayer *player = page->mediaPlayer();
        MediaVideoWidget *video = page->player->videoWidget();
        m_connections << QObject::connect(video, &MediaVideoWidget::pictureChanged, video,
                                          [this, video] { pictures.append(video->picture()); })
                      << QObject::connect(player, &MpvPlayer::positionChanged, player,
                                          [this](qint64 at) { positions.append(at); })
                      << QObject::connect(player, &MpvPlayer::durationChanged, player,
                                          [this](qint64 length) { durations.append(length); });
    }
    ~Record()
    {
        for (const QMetaObject::Connection &connection : std::as_const(m_connections))
            QObject::disconnect(connection);
    }

    QList<QImage> pictures;
    QList<qint64> positions;
    QList<qint64> durations;

private:
    QList<QMetaObject::Connection> m_connections;
};

} // namespace

class TestPlayerSwitch : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    Clip m_red;
    Clip m_blue;

    // Waits until `clip` plays on the page: its length, a place past the
    // start, and its picture.
    static bool playsNow(PlayerPageFixture *page, const Clip &clip)
    {
        MpvPlayer *player = page->mediaPlayer();
        MediaVideoWidget *video = page->player->videoWidget();
        return QTest::qWaitFor(
            [&] {
                return player->playbackState() == QMediaPlayer::PlayingState &&
                       sameLength(player->duration(), clip) && player->position() >= 400 &&
                       !video->picture().isNull() && near(centreOf(video->picture()), clip.colour);
            },
            TestSupport::SlowWaitMs);
    }

    // Nothing of another video came since the record began: pictures all of
    // `clip`'s colour, places from the start on, lengths none or `clip`'s.
    static void checkOnlyOf(const Record &record, const Clip &clip)
    {
        for (const QImage &picture : record.pictures) {
            if (picture.isNull())
                continue;
            const QColor seen = centreOf(picture);
            QVERIFY2(near(seen, clip.colour),
                     qPrintable(QStringLiteral("a picture of %1 after switching to %2")
                                    .arg(seen.name(), clip.colour.name())));
        }
        QVERIFY(!record.positions.isEmpty());
        QVERIFY2(record.positions.first() < 1000,
                 qPrintable(QString::number(record.positions.first())));
        for (int i = 1; i < record.positions.size(); ++i) {
            QVERIFY2(record.positions.at(i) >= record.positions.at(i - 1),
                     qPrintable(QStringLiteral("place %1 after %2")
                                    .arg(record.positions.at(i))
                                    .arg(record.positions.at(i - 1))));
        }
        for (const qint64 length : record.durations)
            QVERIFY2(length == 0 || sameLength(length, clip), qPrintable(QString::number(length)));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        m_red = makeClip(m_folder.path(), QStringLiteral("Red.mp4"), QColor(200, 40, 40), 6);
        m_blue = makeClip(m_folder.path(), QStringLiteral("Blue.mp4"), QColor(40, 40, 200), 9);
        QVERIFY(!m_red.path.isEmpty());
        QVERIFY(!m_blue.path.isEmpty());
    }

    void switchFollowsTheNewVideo_data()
    {
        QTest::addColumn<QString>("before"); // what the old video does when the switch comes
        QTest::newRow("playing") << QStringLiteral("playing");
        QTest::newRow("paused") << QStringLiteral("paused");
        QTest::newRow("just opened") << QStringLiteral("opened");
        QTest::newRow("seeking") << QStringLiteral("seeking");
    }

    void switchFollowsTheNewVideo()
    {
        QFETCH(QString, before);
        PlayerPageFixture page;
        MpvPlayer *player = page.mediaPlayer();
        page.transport->openFile(m_red.path);
        QVERIFY(playsNow(&page, m_red));
        Screenshots::keep(&page.window, QStringLiteral("player-") + before);
        const Clip *clips[] = {&m_blue, &m_red};
        for (int round = 0; round < 4; ++round) {
            const Clip &next = *clips[round % 2];
            const Clip &previous = *clips[(round + 1) % 2];
            if (before == QLatin1String("opened")) {
                // The old video only just asked for: it never gets to play.
                page.transport->openFile(previous.path);
            } else {
                QTRY_VERIFY_WITH_TIMEOUT(player->position() >= 1000, TestSupport::SlowWaitMs);
                if (before == QLatin1String("paused")) {
                    page.transport->pause();
                    QVERIFY(page.waitState(QMediaPlayer::PausedState));
                } else if (before == QLatin1String("seeking")) {
                    page.transport->seekTo(previous.durationMs - 1500);
                }
            }
            const Record record(&page);
            page.transport->openFile(next.path);
            QCOMPARE(page.transport->currentFile(), next.path);
            QVERIFY2(playsNow(&page, next), qPrintable(QStringLiteral("round %1").arg(round)));
            checkOnlyOf(record, next);
            if (QTest::currentTestFailed())
                return;
        }
        QVERIFY(page.prompt.messages.isEmpty());
        page.transport->stop();
    }

    // A stop shows no picture and the start as the place; playing again
    // shows the video from there, and a new video after a stop nothing of
    // the one before.
    void stopLeavesNothingBehind()
    {
        PlayerPageFixture page;
        MpvPlayer *player = page.mediaPlayer();
        MediaVideoWidget *video = page.player->videoWidget();
        page.transport->openFile(m_red.path);
        QVERIFY(playsNow(&page, m_red));
        QTRY_VERIFY_WITH_TIMEOUT(player->position() >= 1500, TestSupport::SlowWaitMs);
        page.transport->stop();
        QCOMPARE(player->playbackState(), QMediaPlayer::StoppedState);
        QVERIFY(video->picture().isNull());
        QCOMPARE(player->position(), 0);
        {
            const Record again(&page);
            page.transport->play();
            QVERIFY(playsNow(&page, m_red));
            checkOnlyOf(again, m_red);
        }
        page.transport->stop();
        const Record record(&page);
        page.transport->openFile(m_blue.path);
        QVERIFY(playsNow(&page, m_blue));
        checkOnlyOf(record, m_blue);
        page.transport->stop();
    }

    // A file that cannot be played, opened while another plays: the user is
    // told, no picture of the other stays, Play is off; the next good file
    // plays.
    void unplayableFileIsTold()
    {
        const QString broken = m_folder.filePath(QStringLiteral("Broken.mp4"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(20000, 'z'));
        file.close();
        PlayerPageFixture page;
        MpvPlayer *player = page.mediaPlayer();
        MediaVideoWidget *video = page.player->videoWidget();
        page.transport->openFile(m_red.path);
        QVERIFY(playsNow(&page, m_red));

        const Record record(&page);
        page.transport->openFile(broken);
        QTRY_COMPARE_WITH_TIMEOUT(page.prompt.messages.size(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(page.prompt.messages.first().kind, QStringLiteral("warning"));
        QVERIFY(!page.prompt.messages.first().text.isEmpty());
        QCOMPARE(player->mediaStatus(), QMediaPlayer::InvalidMedia);
        QCOMPARE(player->playbackState(), QMediaPlayer::StoppedState);
        QVERIFY(!page.player->toolbar()->playButton()->isEnabled());
        QVERIFY(video->picture().isNull());
        for (const QImage &picture : record.pictures)
            QVERIFY(picture.isNull());
        QCOMPARE(player->duration(), 0);
        QCOMPARE(player->position(), 0);

        page.transport->openFile(m_blue.path);
        QVERIFY(playsNow(&page, m_blue));
        QTRY_VERIFY_WITH_TIMEOUT(page.player->toolbar()->playButton()->isEnabled(),
                                 TestSupport::SlowWaitMs);
        QCOMPARE(page.prompt.messages.size(), 1);
        page.transport->stop();
    }
};

QTEST_MAIN(TestPlayerSwitch)
#include "tst_playerswitch.moc"
