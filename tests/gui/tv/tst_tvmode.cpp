// The player page's TV mode over the program's engines and a scripted
// renderer, inside a private network namespace: the tile's "Play on TV" menu
// lists the TV, choosing it starts the media server (after one question) and
// pushes the video at its resume place; the page's buttons pause, seek and
// set the volume on the TV; "Back to this computer" stops the TV and the
// player here goes on at the place the TV reached, which is kept. Refusals,
// a TV that never starts and one that vanishes are told on the page.
#include "PlayerPageFixture.h"
#include "Screenshots.h"
#include "ScriptedPrompt.h"
#include "ScriptedRenderer.h"
#include "TestSupport.h"

#include "app/MprisService.h"

#include "core/AppIdentity.h"
#include "engines/Engines.h"
#include "gui/library/LibraryView.h"
#include "gui/library/LibraryWidget.h"
#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/ResumeBar.h"
#include "gui/player/Toolbar.h"
#include "gui/player/TvMenu.h"
#include "gui/player/TvMode.h"
#include "gui/player/TvModePanel.h"
#include "library/Library.h"
#include "library/LibraryItem.h"
#include "library/LibraryModel.h"
#include "library/LibraryStore.h"
#include "library/PlayPositions.h"
#include "tv/LumiqoTv.h"
#include "tv/renderer/RendererSession.h"

#include "gui/player/MpvAudioOutput.h"
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

using ScriptedRendererIds::rendererId;

const QString kTitle = QStringLiteral("Harbour Walk at Dusk");

// The pieces the main window wires together, for one test.
struct Scene
{
    explicit Scene(ScriptedPrompt *prompt) : engines(prompt)
    {
        engines.openDatabase();
        library = engines.library();
        page = std::make_unique<LibraryWidget>(library, engines.prompt(),
                                               [this] { return engines.tv(); });
        player = std::make_unique<PlayerPageFixture>(library);
        player->window.resize(1000, 620);
        mode = std::make_unique<TvMode>(player->player, player->transport.get(), library,
                                        engines.rendererFinder(), [this] { return engines.tv(); });
        tileMenu = mode->makeMenu(page.get());
        page->setPlayOnTvMenu(tileMenu);
        QObject::connect(tileMenu, &TvMenu::rendererChosen, mode.get(),
                         [this](const QString &id) { mode->playOnTv(page->menuVideoPath(), id); });
        page->show();
    }
    ~Scene()
    {
        // The mode keeps its place through the transport's page: it goes first.
        mode.reset();
        player.reset();
        page.reset();
    }
    TvModePanel *panel() const { return mode->panel(); }

    Engines engines;
    Library *library = nullptr;
    std::unique_ptr<LibraryWidget> page;
    std::unique_ptr<PlayerPageFixture> player;
    std::unique_ptr<TvMode> mode;
    TvMenu *tileMenu = nullptr;
};

} // namespace

class TestTvMode : public QObject
{
    Q_OBJECT

private:
    QString m_video;
    qlonglong m_id = -1;
    ScriptedPrompt m_prompt;

    // The video's place as the library keeps it, set before a test.
    void setPlace(Scene &scene, qint64 ms)
    {
        QTRY_VERIFY_WITH_TIMEOUT(scene.library->model()->idOfVideo(m_video) == m_id,
                                 TestSupport::SlowWaitMs);
        scene.library->positions()->savePlayPosition(m_id, ms);
        QTRY_COMPARE_WITH_TIMEOUT(scene.library->model()->playPosition(m_id), ms,
                                  TestSupport::SlowWaitMs);
    }

    // Opens the tile's menu and its "Play on TV" menu, and waits for the TV in it.
    void openTileMenu(Scene &scene, QAction **tvEntry)
    {
        LibraryView *view = scene.page->listView();
        const QModelIndex first = view->model()->index(0, 0);
        view->setCurrentIndex(first);
        view->showContextMenuForItem(view->itemWidget(first));
        QVERIFY(view->contextMenu()->isVisible());
        QCOMPARE(view->contextMenu()->actions().value(0), scene.tileMenu->menuAction());
        QCOMPARE(view->menuVideoPath(), m_video);
        scene.tileMenu->popup(view->mapToGlobal(QPoint(40, 40)));
        QTRY_VERIFY_WITH_TIMEOUT(scene.tileMenu->rendererAction(rendererId),
                                 TestSupport::SlowWaitMs);
        *tvEntry = scene.tileMenu->rendererAction(rendererId);
        QCOMPARE((*tvEntry)->text(), QStringLiteral("Scripted TV"));
        QVERIFY(scene.tileMenu->thisComputerAction()->isChecked());
        scene.tileMenu->hide();
        view->contextMenu()->hide();
    }

    // Chooses the TV from the tile's menu, says yes to starting the media
    // server and waits until the TV plays.
    void pushFromTile(Scene &scene, ScriptedRenderer &renderer, bool waitForPlay = true)
    {
        QAction *tvEntry = nullptr;
        RUN_CHECKED(openTileMenu(scene, &tvEntry));
        QVERIFY(!scene.engines.tv()->isRunning());
        tvEntry->trigger();
        // Asked once, however often the entry is chosen while the question is open.
        tvEntry->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(scene.mode->serverQuestion(), 5000);
        QCOMPARE(scene.player->window.findChildren<QMessageBox *>().size(), 1);
        QVERIFY(renderer.actions.indexOf(QStringLiteral("SetAVTransportURI")) < 0);
        auto *start = scene.mode->serverQuestion()->findChild<QPushButton *>(
            QStringLiteral("startServerButton"));
        QVERIFY(start);
        start->click();
        QVERIFY(scene.engines.tv()->isRunning());
        QVERIFY(scene.panel()->isVisible());
        QCOMPARE(scene.panel()->titleLabel()->text(), kTitle);
        QCOMPARE(scene.panel()->tvLabel()->text(), QStringLiteral("Playing on Scripted TV"));
        QTRY_VERIFY_WITH_TIMEOUT(scene.mode->session(), TestSupport::SlowWaitMs);
        scene.mode->session()->setPollInterval(150);
        if (!waitForPlay)
            return;
        // Started: playing, and sent to its place.
        QTRY_VERIFY_WITH_TIMEOUT(scene.panel()->playButton()->isEnabled(), TestSupport::SlowWaitMs);
        QCOMPARE(scene.mode->session()->transportState(), QStringLiteral("PLAYING"));
    }

    static bool near(qint64 a, qint64 b, qint64 tolerance) { return qAbs(a - b) <= tolerance; }

private Q_SLOTS:
    void initTestCase()
    {
        AppIdentity::apply();
        const QString clip = TestSupport::sampleClip(QStringLiteral("tvmode-60s.mp4"), 60,
                                                     {QStringLiteral("-r"), QStringLiteral("5")});
        QVERIFY(!clip.isEmpty());
        Engines engines(&m_prompt);
        QVERIFY(engines.openDatabase());
        m_video = QDir(engines.location().folder()).absoluteFilePath(QStringLiteral("Harbour.mp4"));
        QVERIFY(QFile::copy(clip, m_video));
        // The tile's picture, from the clip itself.
        const QString thumb = QDir(engines.location().folder())
                                  .absoluteFilePath(QStringLiteral(".cache/harbour.jpg"));
        QDir().mkpath(QFileInfo(thumb).absolutePath());
        QCOMPARE(TestSupport::run(QStringLiteral("ffmpeg"),
                                  {QStringLiteral("-v"), QStringLiteral("error"),
                                   QStringLiteral("-ss"), QStringLiteral("7"), QStringLiteral("-i"),
                                   clip, QStringLiteral("-frames:v"), QStringLiteral("1"),
                                   QStringLiteral("-vf"), QStringLiteral("scale=640:-2"), thumb}),
                 0);
        LibraryItem item = LibraryItem::fromFile(m_video);
        item.mediaLengthInSecs(60);
        item.title(kTitle);
        item.thumbnailPath(thumb);
        LibraryStore *store = engines.store();
        const QList<qlonglong> ids = store->call([&] { return store->insertItems({item}); });
        QCOMPARE(ids.size(), 1);
        m_id = ids.first();
    }

    void pushControlAndComeBack()
    {
        ScriptedRenderer renderer;
        QVERIFY(renderer.start());
        Scene scene(&m_prompt);
        RUN_CHECKED(setPlace(scene, 12000));
        RUN_CHECKED(pushFromTile(scene, renderer));

        // Our media server's file, then Play, then the resume place, told as the player does.
        QVERIFY2(renderer.uri.startsWith(QStringLiteral("http://127.0.0.1:")),
                 qPrintable(renderer.uri));
        QVERIFY(renderer.metadata.contains(QStringLiteral("<dc:title>Harbour Walk at Dusk")));
        QVERIFY(renderer.actions.indexOf(QStringLiteral("SetAVTransportURI")) <
                renderer.actions.indexOf(QStringLiteral("Play")));
        QCOMPARE(renderer.seekTarget, QStringLiteral("0:00:12"));
        QTRY_VERIFY_WITH_TIMEOUT(scene.mode->resumeBar()->isVisible(), TestSupport::SlowWaitMs);
        QCOMPARE(scene.mode->resumeBar()->text(), QStringLiteral("Resumed at 0:12 —"));
        QVERIFY(scene.tileMenu->rendererAction(rendererId)->isChecked());
        TvModePanel *panel = scene.panel();
        QTRY_COMPARE_WITH_TIMEOUT(panel->currentTimeLabel()->text(), QStringLiteral("0:12"),
                                  TestSupport::SlowWaitMs);
        QCOMPARE(panel->totalTimeLabel()->text(), QStringLiteral("1:00"));
        QTRY_COMPARE_WITH_TIMEOUT(panel->volumeSlider()->value(), 50, TestSupport::SlowWaitMs);

        // Pause and play again.
        QVERIFY(panel->playButton()->isEnabled());
        QCOMPARE(panel->playButton()->accessibleName(), QStringLiteral("Pause"));
        QTest::mouseClick(panel->playButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(renderer.state, QStringLiteral("PAUSED_PLAYBACK"),
                                  TestSupport::SlowWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(panel->playButton()->accessibleName(), QStringLiteral("Play"),
                                  TestSupport::SlowWaitMs);
        QCOMPARE(panel->statusLabel()->text(), QStringLiteral("Paused"));
        QTest::mouseClick(panel->playButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(renderer.state, QStringLiteral("PLAYING"),
                                  TestSupport::SlowWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(panel->statusLabel()->text(), QStringLiteral("Playing"),
                                  TestSupport::SlowWaitMs);

        // The seek bar dragged to 0:30, and the TV's volume.
        QSlider *seek = panel->seekSlider();
        seek->setSliderDown(true);
        seek->setSliderPosition(30000);
        seek->setSliderDown(false);
        QTRY_COMPARE_WITH_TIMEOUT(renderer.seekTarget, QStringLiteral("0:00:30"),
                                  TestSupport::SlowWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(panel->currentTimeLabel()->text(), QStringLiteral("0:30"),
                                  TestSupport::SlowWaitMs);
        QTest::keyClick(panel->volumeSlider(), Qt::Key_Left);
        QTRY_COMPARE_WITH_TIMEOUT(renderer.volume, QStringLiteral("45"), TestSupport::SlowWaitMs);
        QVERIFY(!panel->showsError());

        scene.mode->resumeBar()->dismiss();
        Screenshots::keep(&scene.player->window, QStringLiteral("tvmode"));

        // Back here: the TV stops, the player goes on at 0:30, and 0:30 is kept.
        QTest::mouseClick(panel->backButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(renderer.state, QStringLiteral("STOPPED"),
                                  TestSupport::SlowWaitMs);
        QVERIFY(!panel->isVisible());
        QVERIFY(!scene.mode->isActive());
        QVERIFY(scene.tileMenu->thisComputerAction()->isChecked());
        QCOMPARE(scene.player->transport->currentFile(), m_video);
        MpvPlayer *media = scene.player->mediaPlayer();
        QTRY_VERIFY_WITH_TIMEOUT(media->playbackState() == QMediaPlayer::PlayingState &&
                                     media->position() >= 29000,
                                 TestSupport::SlowWaitMs);
        QVERIFY(near(media->position(), 30000, 15000));
        QTRY_VERIFY_WITH_TIMEOUT(near(scene.library->model()->playPosition(m_id), 30000, 10000),
                                 TestSupport::SlowWaitMs);
        LibraryStore *store = scene.engines.store();
        QVERIFY(store->call([&] { return store->playPosition(m_id); }) >= 29000);

        // From the player's bar: the video playing here goes to the TV at its
        // place, without a question now that the server runs.
        QToolButton *barButton = scene.player->player->toolbar()->findChild<QToolButton *>(
            QStringLiteral("playOnTvButton"));
        QVERIFY(barButton);
        QVERIFY(
            scene.player->player->toolbar()->grab().save(QStringLiteral("/tmp/tvmode-bar.png")));
        QCOMPARE(barButton->menu(), scene.mode->barMenu());
        QAction *barEntry = scene.mode->barMenu()->rendererAction(rendererId);
        QVERIFY(barEntry);
        const int pushes = int(renderer.actions.count(QStringLiteral("SetAVTransportURI")));
        barEntry->trigger();
        QVERIFY(!scene.mode->serverQuestion());
        QTRY_COMPARE_WITH_TIMEOUT(int(renderer.actions.count(QStringLiteral("SetAVTransportURI"))),
                                  pushes + 1, TestSupport::SlowWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(renderer.state, QStringLiteral("PLAYING"),
                                  TestSupport::SlowWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(renderer.seekTarget.startsWith(QStringLiteral("0:00:")) &&
                                     renderer.seekTarget >= QStringLiteral("0:00:29"),
                                 TestSupport::SlowWaitMs);
        QVERIFY(media->playbackState() != QMediaPlayer::PlayingState);
        QVERIFY(panel->isVisible());

        // The TV says goodbye: it leaves both menus, and the page says so.
        renderer.sayGoodbye();
        QTRY_VERIFY_WITH_TIMEOUT(!scene.tileMenu->rendererAction(rendererId) &&
                                     !scene.mode->barMenu()->rendererAction(rendererId),
                                 TestSupport::SlowWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(panel->showsError(), TestSupport::SlowWaitMs);
        QCOMPARE(panel->statusLabel()->text(),
                 QStringLiteral("The TV \"Scripted TV\" is no longer on the network."));
    }

    // While the TV plays the video, Up, Down and M on the page and the
    // desktop's media keys (MPRIS) work the TV, not the player here; after
    // "Back to this computer" they are the player's again.
    void keysAndMediaKeysWorkTheTv()
    {
        ScriptedRenderer renderer;
        QVERIFY(renderer.start());
        Scene scene(&m_prompt);
        MprisService mpris(scene.player->transport.get());
        mpris.setLibrary(scene.library);
        mpris.setTvMode(scene.mode.get());
        RUN_CHECKED(setPlace(scene, 0));
        RUN_CHECKED(pushFromTile(scene, renderer));
        TvModePanel *panel = scene.panel();
        QTRY_COMPARE_WITH_TIMEOUT(scene.mode->tvVolume(), 50, TestSupport::SlowWaitMs);
        MpvAudioOutput *audio = scene.player->transport->audioOutput();
        const float localVolume = audio->volume();

        QWidget *focus = panel->backButton();
        QTest::keyClick(focus, Qt::Key_Up);
        QTRY_COMPARE_WITH_TIMEOUT(renderer.volume, QStringLiteral("55"), TestSupport::SlowWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(scene.mode->tvVolume(), 55, TestSupport::SlowWaitMs);
        QTest::keyClick(focus, Qt::Key_Down);
        QTRY_COMPARE_WITH_TIMEOUT(scene.mode->tvVolume(), 50, TestSupport::SlowWaitMs);
        QTest::keyClick(focus, Qt::Key_Down);
        QTRY_COMPARE_WITH_TIMEOUT(renderer.volume, QStringLiteral("45"), TestSupport::SlowWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(panel->volumeSlider()->value(), 45, TestSupport::SlowWaitMs);
        QVERIFY(!panel->showsMuted());
        QTest::keyClick(focus, Qt::Key_M);
        QTRY_COMPARE_WITH_TIMEOUT(renderer.mute, QStringLiteral("1"), TestSupport::SlowWaitMs);
        QVERIFY(panel->showsMuted());
        QCOMPARE(audio->volume(), localVolume);
        QVERIFY(!audio->isMuted());
        // The TV's own remote turns the sound on: the panel says so, and
        // its button turns it off again.
        renderer.changeMute(QStringLiteral("0"));
        QTRY_VERIFY_WITH_TIMEOUT(!panel->showsMuted(), TestSupport::SlowWaitMs);
        QCOMPARE(panel->muteButton()->accessibleName(), QStringLiteral("Sound of the TV on"));
        panel->muteButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(renderer.mute, QStringLiteral("1"), TestSupport::SlowWaitMs);
        QVERIFY(panel->showsMuted());
        Screenshots::keep(&scene.player->window, QStringLiteral("tvmode-muted"));

        QCOMPARE(mpris.playbackStatus(), QStringLiteral("Playing"));
        mpris.playPause();
        QTRY_COMPARE_WITH_TIMEOUT(renderer.state, QStringLiteral("PAUSED_PLAYBACK"),
                                  TestSupport::SlowWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(mpris.playbackStatus(), QStringLiteral("Paused"),
                                  TestSupport::SlowWaitMs);
        QVERIFY(scene.player->mediaPlayer()->playbackState() != QMediaPlayer::PlayingState);
        mpris.play();
        QTRY_COMPARE_WITH_TIMEOUT(renderer.state, QStringLiteral("PLAYING"),
                                  TestSupport::SlowWaitMs);
        mpris.setPosition(
            QDBusObjectPath(
                mpris.metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>()),
            20000000);
        QTRY_COMPARE_WITH_TIMEOUT(renderer.seekTarget, QStringLiteral("0:00:20"),
                                  TestSupport::SlowWaitMs);
        // A seek by an offset counts from the place the TV answered it is at.
        QTRY_VERIFY_WITH_TIMEOUT(mpris.positionUs() >= 20000000, TestSupport::SlowWaitMs);
        mpris.seek(15000000);
        QTRY_COMPARE_WITH_TIMEOUT(renderer.seekTarget, QStringLiteral("0:00:35"),
                                  TestSupport::SlowWaitMs);
        mpris.setVolume(0.2);
        QTRY_COMPARE_WITH_TIMEOUT(renderer.volume, QStringLiteral("20"), TestSupport::SlowWaitMs);
        QCOMPARE(mpris.metadata().value(QStringLiteral("xesam:title")).toString(), kTitle);
        mpris.stop();
        QTRY_COMPARE_WITH_TIMEOUT(renderer.state, QStringLiteral("STOPPED"),
                                  TestSupport::SlowWaitMs);

        // Back here: the keys are this player's again.
        QTest::mouseClick(panel->backButton(), Qt::LeftButton);
        QVERIFY(!scene.mode->isActive());
        audio->setVolume(0.5f);
        QTest::keyClick(scene.player->player->toolbar()->playButton(), Qt::Key_Up);
        QTRY_COMPARE_WITH_TIMEOUT(qRound(audio->volume() * 100), 55, TestSupport::SlowWaitMs);
        QCOMPARE(renderer.volume, QStringLiteral("20"));
    }

    void failuresInWords_data()
    {
        QTest::addColumn<int>("uriFault");
        QTest::addColumn<bool>("plays");
        QTest::addColumn<bool>("vanishes");
        QTest::addColumn<QString>("message");
        QTest::newRow("format refused (714)")
            << 714 << true << false
            << QStringLiteral(
                   "The TV \"Scripted TV\" refused the video's format (UPnP error 714).");
        QTest::newRow("resource refused (716)")
            << 716 << true << false
            << QStringLiteral(
                   "The TV \"Scripted TV\" refused the video's format (UPnP error 716).");
        QTest::newRow("never starts")
            << 0 << false << false
            << QStringLiteral("The TV \"Scripted TV\" did not start playing within 2 seconds.");
        QTest::newRow("vanishes while playing")
            << 0 << true << true
            << QStringLiteral("The TV \"Scripted TV\" is no longer on the network.");
    }

    void failuresInWords()
    {
        QFETCH(int, uriFault);
        QFETCH(bool, plays);
        QFETCH(bool, vanishes);
        QFETCH(QString, message);
        ScriptedRenderer renderer;
        renderer.uriFault = uriFault;
        renderer.plays = plays;
        QVERIFY(renderer.start());
        Scene scene(&m_prompt);
        RUN_CHECKED(setPlace(scene, 5000));
        RUN_CHECKED(pushFromTile(scene, renderer, false));
        scene.mode->session()->setStartLimit(2000);
        if (vanishes) {
            QTRY_COMPARE_WITH_TIMEOUT(scene.mode->session()->transportState(),
                                      QStringLiteral("PLAYING"), TestSupport::SlowWaitMs);
            renderer.vanish();
        }
        TvModePanel *panel = scene.panel();
        QTRY_VERIFY_WITH_TIMEOUT(panel->showsError(), TestSupport::SlowWaitMs);
        QCOMPARE(panel->statusLabel()->text(), message);
        QVERIFY(!panel->playButton()->isEnabled());
        QVERIFY(panel->backButton()->isEnabled());

        // Back here, the player goes on at the video's place.
        QTest::mouseClick(panel->backButton(), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        MpvPlayer *media = scene.player->mediaPlayer();
        QTRY_VERIFY_WITH_TIMEOUT(media->playbackState() == QMediaPlayer::PlayingState &&
                                     media->position() >= 4500,
                                 TestSupport::SlowWaitMs);
    }
};

QTEST_MAIN(TestTvMode)
#include "tst_tvmode.moc"
