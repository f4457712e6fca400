// A row's menu on the library page: the file shown in the file manager (a
// stand-in on a private session bus) or its folder opened, the playlist
// export, and the burner opened with the chosen videos.
#include "FileManagerService.h"
#include "LibraryTestFixture.h"
#include "ScriptedPrompt.h"
#include "TestSupport.h"
#include "burner/Project.h"
#include "gui/burner/BurnerWizard.h"
#include "gui/library/CorvLibraryItemWidget.h"
#include "gui/library/LibraryTableView.h"
#include "gui/library/LibraryView.h"
#include "gui/library/LibraryWidget.h"
#include "gui/library/StatusWidget.h"
#include "library/ITunesExporter.h"

#include <QAbstractButton>
#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {

// Records the URLs the page hands to the desktop.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class TestLibraryMenu : public QObject
{
    Q_OBJECT

private:
    QProcess m_bus;
    ScriptedPrompt m_prompt;
    UrlRecorder m_urls;
    std::unique_ptr<LibraryTestFixture> m_fixture;
    std::unique_ptr<LibraryWidget> m_page;
    QString m_clip;

    LibraryView *view() const { return m_page->listView(); }
    QModelIndex index(int row) const { return view()->model()->index(row, 0); }
    QString pathOf(int row) const { return view()->itemWidget(index(row))->item().videoPath(); }

    // Opens the menu of a row as its menu button does and picks an entry.
    void pick(int row, const char *action)
    {
        view()->setCurrentIndex(index(row));
        view()->showContextMenuForItem(view()->itemWidget(index(row)));
        QVERIFY(view()->contextMenu()->isVisible());
        auto *entry = view()->contextMenu()->findChild<QAction *>(QLatin1String(action));
        if (!entry) {
            for (QAction *candidate : view()->contextMenu()->actions())
                if (candidate->objectName() == QLatin1String(action))
                    entry = candidate;
        }
        QVERIFY(entry);
        view()->contextMenu()->hide();
        entry->trigger();
    }

private Q_SLOTS:
    void initTestCase()
    {
        // A session bus of the test's own, so nothing reaches a real desktop.
        m_bus.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--session"), QStringLiteral("--nofork"),
                     QStringLiteral("--print-address=1")});
        QVERIFY(m_bus.waitForStarted(10000));
        QVERIFY(m_bus.waitForReadyRead(10000));
        const QByteArray address = m_bus.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);

        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_urls, "open");
        m_clip = TestSupport::sampleClip(QStringLiteral("librarymenu-2s.mp4"), 2);
        QVERIFY(!m_clip.isEmpty());

        m_fixture = std::make_unique<LibraryTestFixture>();
        LibraryItems items;
        quint32 created = 1000;
        for (const QString &title : {"Alpha", "Beta", "Gamma"}) {
            LibraryItem item = m_fixture->makeItem(title, created += 100,
                                                   QStringLiteral("clips/%1.mp4").arg(title));
            item.mediaLengthInSecs(2);
            QVERIFY(QDir().mkpath(QFileInfo(item.videoPath()).absolutePath()));
            QVERIFY(QFile::copy(m_clip, item.videoPath()));
            items << item;
        }
        QVERIFY(m_fixture->addRows(items));
        m_page = std::make_unique<LibraryWidget>(m_fixture->library.get(), &m_prompt);
        m_page->resize(900, 600);
        m_page->show();
        QTRY_COMPARE_WITH_TIMEOUT(view()->model()->rowCount(), 3, TestSupport::SlowWaitMs);
    }

    void cleanupTestCase()
    {
        m_page.reset();
        m_fixture.reset();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        m_bus.terminate();
        m_bus.waitForFinished(5000);
    }

    void init()
    {
        m_prompt.messages.clear();
        m_urls.opened.clear();
    }

    void fileManagerShowsTheFile()
    {
        FileManagerService fileManager;
        QVERIFY(fileManager.registerOnBus());
        RUN_CHECKED(pick(1, "openFolderAction"));
        QTRY_COMPARE_WITH_TIMEOUT(fileManager.shownItems.size(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(fileManager.shownItems.first(),
                 QStringList{QUrl::fromLocalFile(pathOf(1)).toString()});
        // The folder is not opened a second time by the fallback.
        QCoreApplication::processEvents();
        QVERIFY(m_urls.opened.isEmpty());
    }

    void withoutFileManagerTheFolderOpens()
    {
        RUN_CHECKED(pick(2, "openFolderAction"));
        QTRY_COMPARE_WITH_TIMEOUT(m_urls.opened.size(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(m_urls.opened.first(), QUrl::fromLocalFile(QFileInfo(pathOf(2)).absolutePath()));
    }

    void menuSpeaksLinux()
    {
        QStringList texts;
        for (QAction *action : view()->contextMenu()->actions())
            texts << action->text();
        QCOMPARE(texts, (QStringList{"Show in Folder", "Add to Playlist", "Burn",
                                     "Media Information", "Mark as watched"}));
    }

    // The playlist goes into the music folder, which is made when missing.
    void exportAddsToPlaylist_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::newRow("no music folder yet") << false;
        QTest::newRow("music folder there") << true;
    }

    void exportAddsToPlaylist()
    {
        QFETCH(bool, folderExists);
        QDir music(QStandardPaths::writableLocation(QStandardPaths::MusicLocation));
        music.removeRecursively();
        if (folderExists)
            QVERIFY(music.mkpath(QStringLiteral(".")));
        RUN_CHECKED(pick(1, "exportAction"));
        QVERIFY(m_prompt.messages.isEmpty());
        QCOMPARE(m_page->statusWidget()->text(),
                 QStringLiteral("Adding \"Beta\" to the playlist..."));
        QVERIFY(m_page->statusWidget()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!m_page->statusWidget()->isVisible(), TestSupport::SlowWaitMs);

        RUN_CHECKED(pick(1, "exportAction"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_page->statusWidget()->isVisible(), TestSupport::SlowWaitMs);
        const QByteArray expected = "#EXTM3U\n#EXTINF:2,Beta\n" + pathOf(1).toUtf8() + "\n";
        QCOMPARE(TestSupport::readFile(ITunesExporter::playlistPath()), expected);
    }

    // Last: these open the burner, which keeps its clips.
    void burnButtonTakesTheSelectedVideos()
    {
        m_page->detailViewButtonClicked();
        LibraryTableView *table = m_page->tableView();
        table->selectionModel()->select(table->model()->index(0, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
        table->selectionModel()->select(table->model()->index(2, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::mouseClick(m_page->burnButton(), Qt::LeftButton);

        BurnerWizard *wizard = m_page->burnerWizard();
        QVERIFY(wizard);
        QVERIFY(wizard->isVisible());
        const QStringList expected{pathOf(0), pathOf(2)};
        QTRY_COMPARE_WITH_TIMEOUT(m_page->burnProject()->clips().size(), 2, 60000);
        QStringList listed;
        for (const VideoClip &clip : m_page->burnProject()->clips())
            listed << clip.path;
        listed.sort();
        QStringList sorted = expected;
        sorted.sort();
        QCOMPARE(listed, sorted);
        m_page->listViewButtonClicked();
    }

    void burnEntryAddsItsVideo()
    {
        BurnerWizard *before = m_page->burnerWizard();
        RUN_CHECKED(pick(1, "burnAction"));
        QCOMPARE(m_page->burnerWizard(), before); // the same window again
        QTRY_COMPARE_WITH_TIMEOUT(m_page->burnProject()->clips().size(), 3, 60000);
        QCOMPARE(m_page->burnProject()->clips().last().path, pathOf(1));
    }

    // Last: it adds a row.
    void integrityCheckSaysWhatItImports()
    {
        const QString found = QFileInfo(pathOf(0)).absolutePath() + QStringLiteral("/Found.mp4");
        QVERIFY(QFile::copy(m_clip, found));
        m_fixture->library->startIntegrityCheck();
        QTRY_COMPARE_WITH_TIMEOUT(m_page->statusWidget()->text(),
                                  QStringLiteral("Rebuilding library (1 files)..."),
                                  TestSupport::SlowWaitMs);
        QVERIFY(m_page->statusWidget()->isVisible());
        QVERIFY(m_fixture->waitIdle());
        QTRY_VERIFY_WITH_TIMEOUT(!m_page->statusWidget()->isVisible(), TestSupport::SlowWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(view()->model()->rowCount(), 4, TestSupport::SlowWaitMs);

        // Nothing new: the strip stays hidden.
        m_fixture->library->startIntegrityCheck();
        QVERIFY(m_fixture->waitIdle());
        QVERIFY(!m_page->statusWidget()->isVisible());
    }
};

QTEST_MAIN(TestLibraryMenu)
#include "tst_librarymenu.moc"
