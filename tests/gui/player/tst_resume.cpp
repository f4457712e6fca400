// Library videos go on where they stopped: the player saves the place, comes
// back to it with the resume bar, starts over on request and counts a video
// played to its end as watched. Real clips, a real library file.
#include "PlayerPageFixture.h"
#include "Screenshots.h"
#include "ScriptedPrompt.h"
#include "TestDatabase.h"
#include "TestSupport.h"
#include "core/TaskTracker.h"
#include "gui/library/CorvLibraryItemWidget.h"
#include "gui/library/LibraryView.h"
#include "gui/library/LibraryWidget.h"
#include "gui/library/PlayProgressMark.h"
#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/ResumeBar.h"
#include "gui/player/Toolbar.h"
#include "library/Library.h"
#include "library/LibraryModel.h"
#include "library/LibraryStore.h"
#include "library/PlayPositions.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

class TestResume : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PlayerPageFixture> makePage()
    {
        return std::make_unique<PlayerPageFixture>(m_library.get());
    }

    static bool near(qint64 a, qint64 b, qint64 tolerance = 1000)
    {
        return qAbs(a - b) <= tolerance;
    }

    // The clip's kept place, set for a case whatever the cases before left:
    // their last saves are written first, then this one, in the store and
    // in the model.
    bool keptAt(qint64 positionMs)
    {
        if (!m_library->tasks()->waitForIdle(TestSupport::SlowWaitMs))
            return false;
        m_library->positions()->savePlayPosition(m_id, positionMs);
        LibraryStore *store = m_library->store();
        return store->call([&] { return store->playPosition(m_id); }) == positionMs &&
               QTest::qWaitFor([&] { return m_library->model()->playPosition(m_id) == positionMs; },
                               TestSupport::SlowWaitMs);
    }

    QTemporaryDir m_home;
    LibraryLocation m_location;
    std::unique_ptr<Library> m_library;
    QString m_video;
    qlonglong m_id = -1;
    ScriptedPrompt m_prompt;

private Q_SLOTS:
    void initTestCase()
    {
        const QString clip = TestSupport::sampleClip(QStringLiteral("resume-60s.mp4"), 60,
                                                     {QStringLiteral("-r"), QStringLiteral("5")});
        QVERIFY(!clip.isEmpty());
        m_location = TestDatabase::setUpHome(m_home.path());
        QVERIFY(!m_location.isEmpty());
        m_video = QDir(m_location.folder()).absoluteFilePath(QStringLiteral("Long walk.mp4"));
        QVERIFY(QFile::copy(clip, m_video));
        m_library = std::make_unique<Library>(m_location);
        QTRY_VERIFY_WITH_TIMEOUT(m_library->model()->isLoaded(), TestSupport::SlowWaitMs);
        LibraryItem item = LibraryItem::fromFile(m_video);
        item.mediaLengthInSecs(60);
        // A title no file name could carry; the clip has no title tag.
        item.title(QStringLiteral("Long walk: dawn / dusk"));
        LibraryStore *store = m_library->store();
        QCOMPARE(store->call([&] { return store->insertItems({item}); }).size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT((m_id = m_library->model()->idOfVideo(m_video)) >= 0,
                                 TestSupport::SlowWaitMs);
    }

    void cleanupTestCase() { m_library.reset(); }

    // The places are checked against where the player was, not against the
    // clock: a busy machine may let the clip play on for a while between two
    // steps of the test.
    void resumesWhereItStopped()
    {
        QVERIFY(keptAt(0));
        qint64 closedAt = 0;
        {
            auto page = makePage();
            QVERIFY(page->openPlaying(m_video));
            // A video that was never played starts at the top, without the bar.
            QVERIFY(!page->transport->resumeBar()->isVisible());
            page->transport->seekTo(20000);
            QTRY_VERIFY_WITH_TIMEOUT(page->transport->mediaPlayer()->position() >= 19500, 10000);
            // The window closes while the video plays.
            closedAt = page->transport->mediaPlayer()->position();
        }
        QVERIFY(closedAt < 59000);
        QTRY_VERIFY_WITH_TIMEOUT(near(m_library->model()->playPosition(m_id), closedAt), 10000);
        LibraryStore *store = m_library->store();
        const qint64 stored = store->call([&] { return store->playPosition(m_id); });
        QVERIFY(near(stored, closedAt));

        auto page = makePage();
        QSignalSpy seeked(page->transport.get(), &PlayerTransport::seeked);
        QVERIFY(page->openPlaying(m_video));
        ResumeBar *bar = page->transport->resumeBar();
        QTRY_VERIFY_WITH_TIMEOUT(bar->isVisible(), 10000);
        QCOMPARE(bar->text(), QStringLiteral("Resumed at 0:%1 —").arg(stored / 1000));
        QCOMPARE(seeked.size(), 1);
        QVERIFY(near(seeked.first().first().toLongLong(), stored));
        QTRY_VERIFY_WITH_TIMEOUT(page->transport->mediaPlayer()->position() >= stored - 1000,
                                 10000);
        // The bar is a window of its own over the picture.
        Screenshots::keepScreen(QStringLiteral("resume-bar"));
        // It goes away by itself.
        QTRY_VERIFY_WITH_TIMEOUT(!bar->isVisible(), ResumeBar::ShownMs + 5000);

        // Paused elsewhere: that is the new place.
        MpvPlayer *player = page->transport->mediaPlayer();
        page->transport->seekTo(31000);
        QTRY_VERIFY_WITH_TIMEOUT(player->position() >= 30500, 10000);
        page->transport->pause();
        QTRY_COMPARE_WITH_TIMEOUT(player->playbackState(), QMediaPlayer::PausedState, 10000);
        const qint64 pausedAt = player->position();
        QVERIFY(pausedAt >= 30500 && pausedAt < 59000);
        QTRY_VERIFY_WITH_TIMEOUT(near(m_library->model()->playPosition(m_id), pausedAt), 10000);
    }

    // An untagged library video is announced by its title in the library,
    // not by its file name.
    void untaggedVideoGoesByItsLibraryTitle()
    {
        auto page = makePage();
        QSignalSpy nowPlaying(page->transport.get(), &PlayerTransport::nowPlaying);
        QVERIFY(page->openPlaying(m_video));
        QTRY_COMPARE_WITH_TIMEOUT(nowPlaying.size(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(nowPlaying.first().first().toString(), QStringLiteral("Long walk: dawn / dusk"));
        QCOMPARE(page->player->windowTitle(), QStringLiteral("Long walk: dawn / dusk"));
        page->transport->stop();
    }

    void startOverGoesToTheBeginning()
    {
        QVERIFY(keptAt(35000));
        auto page = makePage();
        QVERIFY(page->openPlaying(m_video));
        ResumeBar *bar = page->transport->resumeBar();
        QTRY_VERIFY_WITH_TIMEOUT(bar->isVisible(), 10000);
        QTest::mouseClick(bar->startOverButton(), Qt::LeftButton);
        QVERIFY(!bar->isVisible());
        // Back from the kept place (past half a minute) to the top.
        QTRY_VERIFY_WITH_TIMEOUT(page->transport->mediaPlayer()->position() < 10000, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(m_library->model()->playPosition(m_id), 0, 10000);
    }

    void savedWhilePlaying()
    {
        // Nothing but the clock: the place is kept every few seconds.
        QVERIFY(keptAt(0));
        auto page = makePage();
        QVERIFY(page->openPlaying(m_video));
        page->transport->seekTo(5000);
        QTRY_VERIFY_WITH_TIMEOUT(m_library->model()->playPosition(m_id) >= 5000,
                                 PlayerTransport::SaveIntervalMs + 10000);
        page->transport->stop();
        QVERIFY(!page->transport->resumeBar()->isVisible());
    }

    void watchedToTheEnd()
    {
        QVERIFY(keptAt(0));
        const int watchedBefore = m_library->model()->watchedCount(m_id);
        auto page = makePage();
        QVERIFY(page->openPlaying(m_video));
        page->transport->seekTo(57000);
        QTRY_COMPARE_WITH_TIMEOUT(page->transport->mediaPlayer()->mediaStatus(),
                                  QMediaPlayer::EndOfMedia, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(m_library->model()->watchedCount(m_id), watchedBefore + 1, 10000);
        QCOMPARE(m_library->model()->playPosition(m_id), 0);
        // Closing after the end neither counts it again nor stores the end.
        page.reset();
        QVERIFY(m_library->tasks()->waitForIdle(TestSupport::SlowWaitMs));
        QCOMPARE(m_library->model()->watchedCount(m_id), watchedBefore + 1);
        QCOMPARE(m_library->model()->playPosition(m_id), 0);

        // Next time it starts at the top.
        page = makePage();
        QVERIFY(page->openPlaying(m_video));
        QVERIFY(page->transport->mediaPlayer()->position() < 10000);
        QVERIFY(!page->transport->resumeBar()->isVisible());
    }

    // The library page shows the place: a line on a started tile, a tick on
    // a watched one, and the Progress column. Two rows of its own, so that
    // nothing the cases before left behind counts.
    void tilesShowTheirProgress()
    {
        const auto add = [this](const QString &file, const QString &title) {
            LibraryItem item = LibraryItem::fromFile(m_video);
            item.videoPath(QDir(m_location.folder()).absoluteFilePath(file));
            item.title(title);
            item.mediaLengthInSecs(100);
            LibraryStore *store = m_library->store();
            return store->call([&] { return store->insertItems({item}); }).size() == 1;
        };
        QVERIFY(add(QStringLiteral("b.mp4"), QStringLiteral("Half way there")));
        QVERIFY(add(QStringLiteral("c.mp4"), QStringLiteral("Seen it")));
        const QString library = m_location.folder();
        qlonglong startedId = -1;
        qlonglong watchedId = -1;
        QTRY_VERIFY_WITH_TIMEOUT(
            (startedId = m_library->model()->idOfVideo(library + QStringLiteral("/b.mp4"))) >= 0 &&
                (watchedId = m_library->model()->idOfVideo(library + QStringLiteral("/c.mp4"))) >=
                    0,
            TestSupport::SlowWaitMs);
        m_library->positions()->savePlayPosition(startedId, 40000);
        m_library->positions()->setWatched(watchedId, true);
        QTRY_COMPARE_WITH_TIMEOUT(m_library->model()->playPosition(startedId), 40000,
                                  TestSupport::SlowWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(m_library->model()->watchedCount(watchedId), 1,
                                  TestSupport::SlowWaitMs);

        LibraryWidget page(m_library.get(), &m_prompt);
        page.resize(900, 400);
        page.show();
        LibraryView *view = page.listView();
        const int rows = m_library->model()->rowCount();
        QTRY_COMPARE_WITH_TIMEOUT(view->model()->rowCount(), rows, TestSupport::SlowWaitMs);
        int checked = 0;
        for (int row = 0; row < rows; ++row) {
            const QModelIndex index = view->model()->index(row, 0);
            const qlonglong id = index.data(LibraryModel::IdRole).toLongLong();
            if (id != startedId && id != watchedId)
                continue;
            CorvLibraryItemWidget *tile = view->itemWidget(index);
            QVERIFY(tile);
            tile->snapshot(index, QSize(800, 110));
            auto *mark = tile->findChild<PlayProgressMark *>();
            QVERIFY(mark);
            const QString progress =
                m_library->model()
                    ->index(m_library->model()->rowOfId(id), LibraryModel::ProgressColumn)
                    .data()
                    .toString();
            if (id == startedId) {
                QCOMPARE(mark->progress(), 0.4);
                QVERIFY(!mark->isWatched());
                QCOMPARE(progress, QStringLiteral("40%"));
            } else {
                QVERIFY(mark->isWatched());
                QCOMPARE(mark->progress(), 0.0);
                QCOMPARE(progress, QStringLiteral("Watched"));
            }
            ++checked;
        }
        QCOMPARE(checked, 2);
        // Sorted by progress: the started one before the watched one.
        m_library->model()->onSort(LibraryModel::SortProgress, Qt::AscendingOrder);
        QVERIFY(m_library->model()->rowOfId(startedId) < m_library->model()->rowOfId(watchedId));
        if (Screenshots::wanted()) {
            // The tiles are laid out again after the sort's reset.
            QTRY_VERIFY_WITH_TIMEOUT(view->itemWidget(view->model()->index(0, 0)) &&
                                         view->itemWidget(view->model()->index(rows - 1, 0)),
                                     TestSupport::SlowWaitMs);
            view->viewport()->repaint();
            Screenshots::keep(&page, QStringLiteral("resume-tiles"));
        }
    }

    void watchedZone_data()
    {
        QTest::addColumn<qint64>("duration");
        QTest::addColumn<qint64>("zone");
        QTest::newRow("two hours: the last 6 minutes") << qint64(7200000) << qint64(360000);
        QTest::newRow("ten minutes: the last 30 s") << qint64(600000) << qint64(30000);
        QTest::newRow("one minute: the last quarter") << qint64(60000) << qint64(15000);
        QTest::newRow("nothing known") << qint64(0) << qint64(0);
    }

    void watchedZone()
    {
        QFETCH(qint64, duration);
        QFETCH(qint64, zone);
        QCOMPARE(LibraryStore::watchedZoneMs(duration), zone);
    }
};

QTEST_MAIN(TestResume)
#include "tst_resume.moc"
