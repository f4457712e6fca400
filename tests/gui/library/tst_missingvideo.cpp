// A library video whose file went away behind the program's back: the tile
// says so, and playing it from a tile, the detail table or the player asks
// whether to find the file or to remove the video. Real clips, a real
// library file, the real player.
#include "LibraryTestFixture.h"
#include "Screenshots.h"
#include "ScriptedPrompt.h"
#include "TestSupport.h"
#include "gui/library/CorvLibraryItemWidget.h"
#include "gui/library/LibraryTableView.h"
#include "gui/library/LibraryView.h"
#include "gui/library/LibraryWidget.h"
#include "gui/library/MissingVideoQuestion.h"
#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/PlayerTransport.h"
#include "library/LibraryModel.h"

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <memory>

class TestMissingVideo : public QObject
{
    Q_OBJECT

private:
    // The library page and the player, wired as the main window wires them.
    struct Setup
    {
        LibraryTestFixture fixture;
        std::unique_ptr<LibraryWidget> page;
        std::unique_ptr<CorvPlayerWidget> playerPage;
        std::unique_ptr<PlayerTransport> transport;
        QString video;     // "Harbour lights", moved away by the test
        QString moved;     // where it went
        QString thumbnail; // its thumbnail, in the library
        QString other;     // a second video that stays
        qlonglong id = -1;

        bool make(const QString &clip, UserPrompt *prompt)
        {
            const QDir folder(fixture.folder());
            video = folder.absoluteFilePath(QStringLiteral("Harbour lights.mp4"));
            other = folder.absoluteFilePath(QStringLiteral("Beach.mp4"));
            thumbnail = folder.absoluteFilePath(QStringLiteral("Harbour lights-thumb.jpg"));
            moved = fixture.base() + QStringLiteral("/elsewhere/Harbour lights (1).mp4");
            if (!QFile::copy(clip, video) || !QFile::copy(clip, other) ||
                !QFile::copy(QStringLiteral(":/images/thumbnail.jpg"), thumbnail) ||
                !QDir().mkpath(QFileInfo(moved).absolutePath()))
                return false;
            LibraryItem harbour = LibraryItem::fromFile(video);
            harbour.title(QStringLiteral("Harbour lights"));
            harbour.creationDate(2000);
            harbour.thumbnailPath(thumbnail);
            LibraryItem beach = LibraryItem::fromFile(other);
            beach.title(QStringLiteral("Beach"));
            beach.creationDate(1000);
            if (!fixture.addRows({harbour, beach}))
                return false;
            id = fixture.library->model()->idOfVideo(video);

            page = std::make_unique<LibraryWidget>(fixture.library.get(), prompt);
            page->resize(900, 500);
            playerPage = std::make_unique<CorvPlayerWidget>();
            transport = std::make_unique<PlayerTransport>(playerPage.get(), prompt);
            transport->setLibrary(fixture.library.get());
            QObject::connect(page.get(), &LibraryWidget::playVideo, transport.get(),
                             &PlayerTransport::openFile);
            QObject::connect(transport.get(), &PlayerTransport::fileMissing, page.get(),
                             &LibraryWidget::askAboutMissingVideo);
            page->show();
            return id >= 0 && QTest::qWaitForWindowExposed(page.get());
        }
        CorvLibraryItemWidget *tile() const
        {
            LibraryView *view = page->listView();
            return view->itemWidget(view->model()->index(0, 0));
        }
        QMessageBox *question() const { return page->missingVideoQuestion()->question(); }
        // The row as the store has it now.
        LibraryItems stored() const
        {
            LibraryStore *store = fixture.library->store();
            LibraryItems items;
            for (const auto &row : store->call([&] { return store->readIds({id}); }))
                items << LibraryStore::itemOf(row);
            return items;
        }
    };

    QString m_clip;
    ScriptedPrompt m_prompt;

private Q_SLOTS:
    void initTestCase()
    {
        m_clip = TestSupport::sampleClip(QStringLiteral("missing-2s.mp4"), 2);
        QVERIFY(!m_clip.isEmpty());
    }

    void init()
    {
        m_prompt.messages.clear();
        QSettings().remove(QStringLiteral("library")); // newest first
    }

    void playingAMissingFileAsks_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("answer");
        QTest::newRow("tile, found elsewhere") << "tile"
                                               << "locate";
        QTest::newRow("table, removed") << "table"
                                        << "remove";
        QTest::newRow("player, found elsewhere") << "player"
                                                 << "locate";
        QTest::newRow("tile, left as it is") << "tile"
                                             << "cancel";
    }

    void playingAMissingFileAsks()
    {
        QFETCH(QString, from);
        QFETCH(QString, answer);
        Setup setup;
        QVERIFY(setup.make(m_clip, &m_prompt));
        QTRY_COMPARE_WITH_TIMEOUT(setup.page->listView()->model()->rowCount(), 2,
                                  TestSupport::SlowWaitMs);
        QVERIFY(!setup.tile()->isFileMissing());
        QVERIFY(QFile::rename(setup.video, setup.moved));

        LibraryView *view = setup.page->listView();
        if (from == QLatin1String("tile")) {
            view->setCurrentIndex(view->model()->index(0, 0));
            auto *play = setup.tile()->findChild<QPushButton *>(QStringLiteral("guiPlayButton"));
            QVERIFY(play);
            QTest::mouseClick(play, Qt::LeftButton);
        } else if (from == QLatin1String("table")) {
            setup.page->detailViewButtonClicked();
            LibraryTableView *table = setup.page->tableView();
            QTRY_VERIFY_WITH_TIMEOUT(table->isVisible(), TestSupport::SlowWaitMs);
            const QModelIndex first = table->model()->index(0, 1);
            QCOMPARE(first.data().toString(), QStringLiteral("Harbour lights"));
            QVERIFY(QTest::qWaitForWindowExposed(table));
            QTRY_VERIFY_WITH_TIMEOUT(table->viewport()->rect().contains(table->visualRect(first)),
                                     TestSupport::SlowWaitMs);
            const QPoint at = table->visualRect(first).center();
            // The press of a double click comes first, as from a mouse.
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
        } else {
            // The player was asked for the file (its queue, the desktop's
            // media keys): the media player finds nothing there.
            setup.transport->openFile(setup.video);
        }

        QTRY_VERIFY_WITH_TIMEOUT(setup.question(), 15000);
        QMessageBox *box = setup.question();
        QVERIFY(box->text().contains(QStringLiteral("\"Harbour lights\"")));
        QVERIFY(box->informativeText().contains(QDir::toNativeSeparators(setup.video)));
        // No "Resource not found." on top of it.
        QCOMPARE(m_prompt.messages.size(), 0);
        // The table and the tile say so, on screen and to screen readers.
        if (from == QLatin1String("table")) {
            const QAbstractItemModel *rows = setup.page->tableView()->model();
            const QModelIndex harbour = rows->index(0, 1);
            const QModelIndex beach = rows->index(1, 1);
            QCOMPARE(beach.data().toString(), QStringLiteral("Beach"));
            QCOMPARE(harbour.data(Qt::AccessibleDescriptionRole).toString(),
                     QStringLiteral("File missing"));
            QVERIFY(!harbour.data(Qt::DecorationRole).value<QIcon>().isNull());
            QVERIFY(beach.data(Qt::DecorationRole).isNull());
            QVERIFY(beach.data(Qt::AccessibleDescriptionRole).toString().isEmpty());
            Screenshots::keep(setup.page.get(), QStringLiteral("missing-table"));
            setup.page->listViewButtonClicked();
        }
        CorvLibraryItemWidget *tile = setup.tile();
        QVERIFY(tile->isFileMissing());
        QVERIFY(tile->findChild<QLabel *>(QStringLiteral("guiMissingMark"))->isVisibleTo(tile));
        QVERIFY(tile->accessibleDescription().contains(QStringLiteral("File missing")));
        if (from == QLatin1String("tile")) {
            Screenshots::keep(setup.page.get(), QStringLiteral("missing-tile"));
            Screenshots::keep(box, QStringLiteral("missing-question"));
        }

        if (answer == QLatin1String("locate")) {
            box->findChild<QPushButton *>(QStringLiteral("locateButton"))->click();
            QFileDialog *dialog = nullptr;
            QTRY_VERIFY_WITH_TIMEOUT((dialog = setup.page->missingVideoQuestion()->fileDialog()),
                                     TestSupport::SlowWaitMs);
            dialog->selectFile(setup.moved);
            QMetaObject::invokeMethod(dialog, &QDialog::accept);
            // Stored, shown, and played from its new place.
            QTRY_COMPARE_WITH_TIMEOUT(setup.transport->currentFile(), setup.moved, 15000);
            QCOMPARE(setup.fixture.library->model()->idOfVideo(setup.moved), setup.id);
            QCOMPARE(setup.stored().size(), 1);
            QCOMPARE(setup.stored().first().videoPath(), setup.moved);
            QTRY_COMPARE_WITH_TIMEOUT(setup.transport->mediaPlayer()->playbackState(),
                                      QMediaPlayer::PlayingState, 15000);
            setup.page->listViewButtonClicked();
            view->viewport()->update();
            QTRY_VERIFY_WITH_TIMEOUT(!setup.tile()->isFileMissing(), TestSupport::SlowWaitMs);
        } else if (answer == QLatin1String("remove")) {
            box->findChild<QPushButton *>(QStringLiteral("removeButton"))->click();
            QTRY_COMPARE_WITH_TIMEOUT(setup.fixture.library->model()->rowCount(), 1,
                                      TestSupport::SlowWaitMs);
            QVERIFY(setup.fixture.waitIdle());
            QCOMPARE(setup.stored().size(), 0);
            QVERIFY(!QFile::exists(setup.thumbnail));
            // Nothing but the row's own files: the moved file and the other video stay.
            QVERIFY(QFile::exists(setup.moved));
            QVERIFY(QFile::exists(setup.other));
            QVERIFY(setup.transport->currentFile().isEmpty());
        } else {
            box->reject();
            QTRY_VERIFY_WITH_TIMEOUT(!setup.question(), TestSupport::SlowWaitMs);
            QVERIFY(setup.fixture.waitIdle());
            QCOMPARE(setup.stored().size(), 1);
            QCOMPARE(setup.stored().first().videoPath(), setup.video);
            QVERIFY(setup.transport->currentFile().isEmpty());
            QVERIFY(setup.tile()->isFileMissing());
        }
    }

    // Pointing a video at another video's file is refused: one file, one row.
    void locatingAnotherVideosFileIsRefused()
    {
        Setup setup;
        QVERIFY(setup.make(m_clip, &m_prompt));
        QVERIFY(QFile::rename(setup.video, setup.moved));
        setup.page->askAboutMissingVideo(setup.video);
        QTRY_VERIFY_WITH_TIMEOUT(setup.question(), TestSupport::SlowWaitMs);
        setup.question()->findChild<QPushButton *>(QStringLiteral("locateButton"))->click();
        QFileDialog *dialog = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((dialog = setup.page->missingVideoQuestion()->fileDialog()),
                                 TestSupport::SlowWaitMs);
        dialog->selectFile(setup.other);
        QMetaObject::invokeMethod(dialog, &QDialog::accept);
        QTRY_COMPARE_WITH_TIMEOUT(m_prompt.messages.size(), 1, TestSupport::SlowWaitMs);
        QVERIFY(m_prompt.messages.first().text.contains(QStringLiteral("\"Beach\"")));
        QVERIFY(setup.fixture.waitIdle());
        QCOMPARE(setup.stored().first().videoPath(), setup.video);
        QVERIFY(setup.transport->currentFile().isEmpty());
    }
};

QTEST_MAIN(TestMissingVideo)
#include "tst_missingvideo.moc"
