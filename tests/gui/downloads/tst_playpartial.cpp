// A download in progress plays from its card: the demo site sends a clip
// slowly, and the player opens the part already on disk.
#include "DemoSiteProcess.h"
#include "ScriptedPrompt.h"
#include "TestDatabase.h"
#include "TestSupport.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadRecords.h"
#include "gui/downloads/DownloadListModel.h"
#include "gui/downloads/DownloadView.h"
#include "gui/downloads/DownloadWidget.h"
#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/Toolbar.h"
#include "library/Library.h"
#include "library/LibraryStore.h"
#include "web/Account.h"
#include "web/NetworkManager.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

class TestPlayPartial : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void playsTheWrittenPartOfARunningDownload()
    {
        DemoSiteProcess site;
        QVERIFY(site.isRunning());
        // Fragmented, so the first part of the file is playable on its own.
        QVERIFY(QDir().mkpath(site.dataDir() + QStringLiteral("/media")));
        const QString served = site.dataDir() + QStringLiteral("/media/partial.mp4");
        QCOMPARE(
            TestSupport::run(
                QStringLiteral("ffmpeg"),
                {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                 QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                 QStringLiteral("lavfi"), QStringLiteral("-i"),
                 QStringLiteral("testsrc=size=320x240:rate=25:duration=30"), QStringLiteral("-c:v"),
                 QStringLiteral("mpeg4"), QStringLiteral("-q:v"), QStringLiteral("4"),
                 QStringLiteral("-movflags"), QStringLiteral("frag_keyframe+empty_moov"), served}),
            0);
        QVERIFY(QFileInfo(served).size() > 600000);
        site.control(QStringLiteral("/control/fault?name=slow&value=150000"));

        ScriptedPrompt prompt;
        QTemporaryDir home;
        const LibraryLocation location = TestDatabase::setUpHome(home.path());
        QVERIFY(!location.isEmpty());
        Account account;
        account.login(QStringLiteral("demo"), QStringLiteral("demo"));

        NetworkManager network(&account, &prompt);
        LibraryStore store(location.databaseFile());
        DownloadRecords records(&store, location);
        DownloadManager manager(&network, &records, &prompt);
        DownloadWidget downloads(&manager, &prompt);
        downloads.show();
        CorvPlayerWidget player;
        player.toolbar()->setFixedHeight(50);
        player.toolbar()->show();
        player.show();
        PlayerTransport transport(&player, &prompt);
        connect(&downloads, &DownloadWidget::playRequested, &transport, &PlayerTransport::openFile);

        manager.initializeDirectDownload(site.url(QStringLiteral("/media/partial.mp4")), false);
        DownloadView *view = downloads.view();
        QTRY_COMPARE_WITH_TIMEOUT(view->model()->rowCount(), 1, 10000);
        const QModelIndex row = view->model()->index(0, 0);
        Download *download = view->download(row);
        QVERIFY(download);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(download->mediaPath()).size() > 300000, 15000);
        QCOMPARE(download->state(), Download::Downloading);

        // The play button drawn over the card's picture.
        const QRect play = view->buttonRect(row, DownloadCard::Play);
        QVERIFY(view->viewport()->rect().contains(play));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, play.center());
        QCOMPARE(transport.currentFile(), download->mediaPath());
        MpvPlayer *media = transport.mediaPlayer();
        QTRY_VERIFY_WITH_TIMEOUT(media->hasVideo(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(media->position() > 0, 10000);
        QCOMPARE(media->playbackState(), QMediaPlayer::PlayingState);
        QVERIFY(prompt.messages.isEmpty());
        QVERIFY(player.toolbar()->hasPauseLook());
        QCOMPARE(download->state(), Download::Downloading); // playing does not stop the transfer

        transport.stop();
        download->cancel();
    }
};

QTEST_MAIN(TestPlayPartial)
#include "tst_playpartial.moc"
