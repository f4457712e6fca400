// The player as an MPRIS 2 media player, driven by another process
// (dbus-send) over a private session bus.
#include "PlayerPageFixture.h"
#include "TestDatabase.h"
#include "TestSupport.h"
#include "app/MprisService.h"
#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/Toolbar.h"
#include "gui/player/VolumeSlider.h"
#include "library/ImportController.h"
#include "library/Library.h"
#include "library/LibraryEdits.h"
#include "library/LibraryItem.h"
#include "library/LibraryModel.h"
#include "library/PlayPositions.h"

#include "gui/player/MpvAudioOutput.h"
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

// Asks for a seek until the player is within half a second of `targetMs`.
// A paused pipeline that is still settling now and then drops a seek; it
// is asked again only while the player has not moved at all, so a
// relative seek is never applied twice.
bool seeks(MpvPlayer *player, const std::function<void()> &seek, qint64 targetMs)
{
    const auto reached = [&] { return qAbs(player->position() - targetMs) < 500; };
    for (int attempt = 0; attempt < 6; ++attempt) {
        const qint64 from = player->position();
        seek();
        if (QTest::qWaitFor(reached, 5000))
            return true;
        if (player->position() != from)
            return QTest::qWaitFor(reached, TestSupport::SlowWaitMs);
    }
    return false;
}

} // namespace

class TestMpris : public QObject
{
    Q_OBJECT

private:
    // Runs dbus-send while this process keeps answering the bus.
    static QString busCall(const QStringList &args)
    {
        QProcess process;
        process.start(
            QStringLiteral("dbus-send"),
            QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply"),
                        QStringLiteral("--dest=") + QString::fromLatin1(MprisService::ServiceName),
                        QString::fromLatin1(MprisService::ObjectPath)} +
                args);
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 15000))
            return QStringLiteral("(timed out)");
        return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    }
    static QString property(const QString &name)
    {
        return busCall({QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                        QStringLiteral("string:org.mpris.MediaPlayer2.Player"),
                        QStringLiteral("string:") + name});
    }
    static QString playerCall(const QString &method, const QStringList &args = {})
    {
        return busCall(QStringList{QStringLiteral("org.mpris.MediaPlayer2.Player.") + method} +
                       args);
    }
    static qlonglong positionUs()
    {
        static const QRegularExpression number(QStringLiteral("int64 (\\d+)"));
        return number.match(property(QStringLiteral("Position"))).captured(1).toLongLong();
    }

    QTemporaryDir m_home;
    LibraryLocation m_location;
    std::unique_ptr<Library> m_library;
    std::unique_ptr<PlayerPageFixture> m_page;
    PlayerTransport *m_transport = nullptr; // the page's
    std::unique_ptr<MprisService> m_mpris;
    QString m_video;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"));
        m_location = TestDatabase::setUpHome(m_home.path());
        QVERIFY(!m_location.isEmpty());
        m_library = std::make_unique<Library>(m_location);
        const QString clip = TestSupport::sampleClip(QStringLiteral("mpris-40s.mp4"), 40,
                                                     {QStringLiteral("-r"), QStringLiteral("5")});
        QVERIFY(!clip.isEmpty());
        QVERIFY(m_library->imports()->importFile(clip));
        QTRY_COMPARE_WITH_TIMEOUT(m_library->model()->rowCount(), 1, 60000);
        QVERIFY(m_library->edits()->updateItem(0, QStringLiteral("Sunset Ride"), QString(),
                                               QString(), QString()));
        m_video = m_library->model()->item(0).videoPath();

        m_page = std::make_unique<PlayerPageFixture>();
        m_transport = m_page->transport.get();
        m_mpris = std::make_unique<MprisService>(m_transport);
        m_mpris->setLibrary(m_library.get());
        QVERIFY(m_mpris->registerOnSessionBus());
    }

    void cleanupTestCase()
    {
        m_mpris.reset();
        m_page.reset();
        m_library.reset();
    }

    void identityAndNothingPlaying()
    {
        const QString identity = busCall({QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                                          QStringLiteral("string:org.mpris.MediaPlayer2"),
                                          QStringLiteral("string:Identity")});
        QVERIFY2(identity.contains(QLatin1String("\"CorvanaZELTA\"")), qPrintable(identity));
        // The desktop finds our launcher (name and icon) by this entry.
        static const QRegularExpression quoted(QStringLiteral("string \"([^\"]+)\""));
        const QString entry =
            quoted
                .match(busCall({QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                                QStringLiteral("string:org.mpris.MediaPlayer2"),
                                QStringLiteral("string:DesktopEntry")}))
                .captured(1);
        QVERIFY2(QFile::exists(TestSupport::sourceDir() + QStringLiteral("/packaging/") + entry +
                               QStringLiteral(".desktop")),
                 qPrintable(entry));
        QVERIFY(property(QStringLiteral("PlaybackStatus")).contains(QLatin1String("\"Stopped\"")));
        QVERIFY(property(QStringLiteral("Metadata")).contains(QLatin1String("NoTrack")));
    }

    void statusAndMetadataFollowThePlayer()
    {
        m_transport->openFile(m_video);
        QTRY_VERIFY_WITH_TIMEOUT(m_transport->mediaPlayer()->duration() > 0, 10000);
        QVERIFY(property(QStringLiteral("PlaybackStatus")).contains(QLatin1String("\"Playing\"")));
        const QString metadata = property(QStringLiteral("Metadata"));
        QVERIFY2(metadata.contains(QLatin1String("string \"Sunset Ride\"")), qPrintable(metadata));
        const qint64 lengthUs = m_transport->mediaPlayer()->duration() * 1000;
        QVERIFY(lengthUs > 39000000);
        QVERIFY2(metadata.contains(QStringLiteral("int64 %1").arg(lengthUs)), qPrintable(metadata));
        QVERIFY2(metadata.contains(QLatin1String("mpris:artUrl")), qPrintable(metadata));
        QVERIFY(metadata.contains(QLatin1String("/org/corvana/zelta/track/")));
    }

    void playPauseAndSeekFromOutside()
    {
        MpvPlayer *player = m_transport->mediaPlayer();
        QVERIFY(playerCall(QStringLiteral("PlayPause")).isEmpty() ||
                player->playbackState() == QMediaPlayer::PausedState);
        QTRY_COMPARE_WITH_TIMEOUT(player->playbackState(), QMediaPlayer::PausedState, 5000);
        QVERIFY(property(QStringLiteral("PlaybackStatus")).contains(QLatin1String("\"Paused\"")));
        QVERIFY(!m_page->player->toolbar()->hasPauseLook());

        QVERIFY(seeks(
            player, [&] { m_transport->seekTo(5000); }, 5000));
        QVERIFY(seeks(
            player, [&] { playerCall(QStringLiteral("Seek"), {QStringLiteral("int64:10000000")}); },
            15000));
        QVERIFY(qAbs(positionUs() - 15000000) < 500000);
        QVERIFY(seeks(
            player,
            [&] { playerCall(QStringLiteral("Seek"), {QStringLiteral("int64:-30000000")}); }, 0));

        playerCall(QStringLiteral("PlayPause"));
        QTRY_COMPARE_WITH_TIMEOUT(player->playbackState(), QMediaPlayer::PlayingState, 5000);
        QVERIFY(m_page->player->toolbar()->hasPauseLook());
        playerCall(QStringLiteral("Stop"));
        QTRY_COMPARE_WITH_TIMEOUT(player->playbackState(), QMediaPlayer::StoppedState, 5000);
    }

    void volumeFromOutside()
    {
        busCall({QStringLiteral("org.freedesktop.DBus.Properties.Set"),
                 QStringLiteral("string:org.mpris.MediaPlayer2.Player"),
                 QStringLiteral("string:Volume"), QStringLiteral("variant:double:0.25")});
        QTRY_COMPARE_WITH_TIMEOUT(m_page->player->toolbar()->volumeSlider()->value(), 25,
                                  TestSupport::SlowWaitMs);
        QVERIFY(property(QStringLiteral("Volume")).contains(QLatin1String("double 0.25")));
    }

    void openUriPlaysOnlyLocalFiles()
    {
        QSignalSpy open(m_mpris.get(), &MprisService::openRequested);
        playerCall(QStringLiteral("OpenUri"), {QStringLiteral("string:http://127.0.0.1/x.mp4")});
        playerCall(QStringLiteral("OpenUri"),
                   {QStringLiteral("string:") + QUrl::fromLocalFile(m_video).toString()});
        QTRY_COMPARE_WITH_TIMEOUT(open.size(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(open.first().first().toString(), m_video);
    }

    // Last: from here on the player keeps places in the library.
    void resumedPlaceIsThePositionReported()
    {
        const qlonglong id = m_library->model()->idOfVideo(m_video);
        QVERIFY(id >= 0);
        m_library->positions()->savePlayPosition(id, 22000);
        QTRY_COMPARE_WITH_TIMEOUT(m_library->model()->playPosition(id), 22000,
                                  TestSupport::SlowWaitMs);
        m_transport->setLibrary(m_library.get());
        QSignalSpy seeked(m_mpris.get(), &MprisService::seeked);
        MpvPlayer *player = m_transport->mediaPlayer();
        m_transport->openFile(m_video);
        QTRY_COMPARE_WITH_TIMEOUT(seeked.size(), 1, 15000);
        QVERIFY(qAbs(seeked.first().first().toLongLong() - 22000000) < 1000);
        m_transport->pause();
        QTRY_COMPARE_WITH_TIMEOUT(player->playbackState(), QMediaPlayer::PausedState, 5000);
        // Paused where it went on from (or later, on a busy machine).
        QTRY_VERIFY_WITH_TIMEOUT(player->position() >= 21000, 10000);
        QVERIFY(qAbs(positionUs() - player->position() * 1000) < 300000);

        // SetPosition moves the player, and the paused place is kept.
        static const QRegularExpression track(QStringLiteral("(/org/corvana/zelta/track/\\w+)"));
        const QString trackId = track.match(property(QStringLiteral("Metadata"))).captured(1);
        QVERIFY(!trackId.isEmpty());
        playerCall(QStringLiteral("SetPosition"),
                   {QStringLiteral("objpath:") + trackId, QStringLiteral("int64:8000000")});
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(player->position() - 8000) < 500, 10000);
        QVERIFY(qAbs(positionUs() - 8000000) < 500000);
        m_transport->stop();
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(m_library->model()->playPosition(id) - 8000) < 1000, 10000);
    }
};

QTEST_MAIN(TestMpris)
#include "tst_mpris.moc"
