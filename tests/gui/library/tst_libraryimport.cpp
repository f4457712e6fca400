// Importing from the library page with the real importer and encoder:
// folders (through the import action and by a drop) with everything below
// them, files that are no videos refused by name, progress and a summary in
// the status strip, which always goes again.
#include "LibraryTestFixture.h"
#include "Screenshots.h"
#include "ScriptedPrompt.h"
#include "TestSupport.h"
#include "gui/library/LibraryView.h"
#include "gui/library/LibraryWidget.h"
#include "gui/library/StatusWidget.h"
#include "library/ImportController.h"
#include "library/ImportSession.h"
#include "library/LibraryModel.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

} // namespace

class TestLibraryImport : public QObject
{
    Q_OBJECT

private:
    ScriptedPrompt m_prompt;
    QTemporaryDir m_source;
    QString m_clip;

    // A tree of two videos (one deep down, one with a suffix the old dialog
    // did not offer), a file of random bytes named like a video, a text file
    // and a subtitle that belongs to a video.
    QString makeTree(const QString &name)
    {
        QDir root(m_source.filePath(name));
        if (!root.mkpath(QStringLiteral("sub/deeper")))
            return {};
        QFile::copy(m_clip, root.filePath(QStringLiteral("Holiday.mp4")));
        QFile::copy(m_clip, root.filePath(QStringLiteral("sub/deeper/Garden.mkv")));
        QFile subtitle(root.filePath(QStringLiteral("Holiday.en.srt")));
        subtitle.open(QIODevice::WriteOnly);
        subtitle.write("1\n00:00:00,000 --> 00:00:01,000\nHello\n");
        QFile broken(root.filePath(QStringLiteral("sub/broken.mp4")));
        broken.open(QIODevice::WriteOnly);
        for (int i = 0; i < 4096; ++i)
            broken.write(QByteArray::number(quint64(i) * 2654435761u % 9973));
        // Copied in with it, and gone with it.
        QFile brokenSubtitle(root.filePath(QStringLiteral("sub/broken.en.srt")));
        brokenSubtitle.open(QIODevice::WriteOnly);
        brokenSubtitle.write("1\n00:00:00,000 --> 00:00:01,000\nHello\n");
        QFile notes(root.filePath(QStringLiteral("notes.txt")));
        notes.open(QIODevice::WriteOnly);
        notes.write("not a video");
        return root.absolutePath();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_clip = TestSupport::sampleClip(QStringLiteral("libraryimport-1s.mp4"), 1);
        QVERIFY(!m_clip.isEmpty());
    }

    void folderImportEndsInASummary_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("import action") << QStringLiteral("action");
        QTest::newRow("drop on the list") << QStringLiteral("drop");
    }

    void folderImportEndsInASummary()
    {
        QFETCH(QString, how);
        const QString folder = makeTree(how);
        QVERIFY(!folder.isEmpty());
        m_prompt.messages.clear();
        LibraryTestFixture fixture;
        LibraryWidget page(fixture.library.get(), &m_prompt);
        page.resize(900, 600);
        page.show();
        QSignalSpy finished(fixture.library->imports()->importSession(), &ImportSession::finished);
        QSignalSpy progressed(fixture.library->imports()->importSession(),
                              &ImportSession::progressed);

        if (how == QLatin1String("action")) {
            page.importFiles({folder});
        } else {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(folder)});
            QWidget *target = page.listView()->viewport();
            QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(target, &enter);
            QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(target, &drop);
        }
        QVERIFY(page.statusWidget()->isShowing());
        QVERIFY(page.statusWidget()->isBusy());
        QVERIFY(finished.wait(120000));
        const auto report = finished.first().first().value<ImportReport>();
        QCOMPARE(report.imported, 2);
        QStringList refused = report.notVideos;
        refused.sort();
        QCOMPARE(refused, (QStringList{"broken.mp4", "notes.txt"}));
        QVERIFY(report.failed.isEmpty());
        QCOMPARE(progressed.size(), 3); // one per video-like file
        QCOMPARE(page.statusWidget()->text(), QStringLiteral("2 imported, 2 skipped: not a video"));
        QVERIFY(!page.statusWidget()->isBusy()); // a summary, not work still going on
        if (how == QLatin1String("action")) {
            QVERIFY(fixture.waitIdle());
            Screenshots::keep(&page, QStringLiteral("library-import-summary.png"));
            page.listView()->setCurrentIndex(page.listView()->model()->index(0, 0));
            QCoreApplication::processEvents();
            Screenshots::keep(&page, QStringLiteral("library-tiles.png"));
            page.detailViewButtonClicked();
            QCoreApplication::processEvents();
            // "All" counts the videos, in both lists.
            for (const char *list : {"categoryList", "titleList"}) {
                auto *view = page.findChild<QAbstractItemView *>(QLatin1String(list));
                QVERIFY(view);
                QTRY_COMPARE_WITH_TIMEOUT(view->model()->index(0, 0).data().toString(),
                                          QStringLiteral("All (2)"), TestSupport::SlowWaitMs);
            }
            Screenshots::keep(&page, QStringLiteral("library-details.png"));
            page.listViewButtonClicked();
        }

        // The refused files are named, and none of them stayed in the library.
        QCOMPARE(m_prompt.messages.size(), 1);
        QVERIFY(m_prompt.messages.first().text.contains(QStringLiteral("broken.mp4: not a video")));
        QVERIFY(m_prompt.messages.first().text.contains(QStringLiteral("notes.txt: not a video")));
        QVERIFY(fixture.waitIdle());
        QStringList titles;
        for (int row = 0; row < fixture.library->model()->rowCount(); ++row)
            titles << fixture.library->model()->item(row).title();
        titles.sort();
        QCOMPARE(titles, (QStringList{"Garden", "Holiday"}));
        QVERIFY(!QFileInfo::exists(QDir(fixture.folder()).filePath(QStringLiteral("broken.mp4"))));
        QVERIFY(
            !QFileInfo::exists(QDir(fixture.folder()).filePath(QStringLiteral("broken.en.srt"))));
        QVERIFY(
            QFileInfo::exists(QDir(fixture.folder()).filePath(QStringLiteral("Holiday.en.srt"))));

        // The strip goes once the summary has been read.
        QTRY_VERIFY_WITH_TIMEOUT(!page.statusWidget()->isShowing(), 20000);
    }

    // The summary's words, counted.
    void summaryCountsInWords_data()
    {
        QTest::addColumn<int>("imported");
        QTest::addColumn<int>("notVideos");
        QTest::addColumn<int>("failed");
        QTest::addColumn<QString>("summary");
        QTest::newRow("all in") << 12 << 0 << 0 << QStringLiteral("12 imported");
        QTest::newRow("one each")
            << 1 << 1 << 1
            << QStringLiteral("1 imported, 1 skipped: not a video, 1 could not be copied");
        QTest::newRow("none") << 0 << 2 << 0
                              << QStringLiteral("0 imported, 2 skipped: not a video");
    }

    void summaryCountsInWords()
    {
        QFETCH(int, imported);
        QFETCH(int, notVideos);
        QFETCH(int, failed);
        QFETCH(QString, summary);
        ImportReport report;
        report.imported = imported;
        for (int i = 0; i < notVideos; ++i)
            report.notVideos << QStringLiteral("n%1").arg(i);
        for (int i = 0; i < failed; ++i)
            report.failed << QStringLiteral("f%1").arg(i);
        QCOMPARE(LibraryWidget::importSummary(report), summary);
    }

    // A long file name in the strip is shortened on screen; it neither widens
    // the page nor is lost to a screen reader.
    void longNameKeepsThePageItsWidth()
    {
        LibraryTestFixture fixture;
        LibraryWidget page(fixture.library.get(), &m_prompt);
        page.resize(760, 400);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        const int minimumWidth = page.minimumSizeHint().width();
        const QString name =
            QString(QStringLiteral("A very long holiday film name ")).repeated(12) +
            QStringLiteral(".mp4");
        StatusWidget *strip = page.statusWidget();
        strip->showStatus(QStringLiteral("Importing %1 (1 of 3)...").arg(name));
        QCoreApplication::processEvents();
        QCOMPARE(page.width(), 760);
        QCOMPARE(page.minimumSizeHint().width(), minimumWidth);
        QVERIFY(strip->text().endsWith(QStringLiteral(".mp4 (1 of 3)...")));
        auto *label = strip->findChild<QLabel *>(QStringLiteral("statusText"));
        QVERIFY(label);
        QVERIFY(label->text().size() < strip->text().size()); // shortened on screen
        QCOMPARE(label->accessibleName(), strip->text());
        // A wider page shows more of it.
        const qsizetype narrow = label->text().size();
        page.resize(1200, 400);
        QTRY_VERIFY(label->text().size() > narrow);
    }

    // The file dialog offers every kind the library takes, and all files.
    void dialogOffersEveryVideoKind()
    {
        LibraryTestFixture fixture;
        LibraryWidget page(fixture.library.get(), &m_prompt);
        page.show();
        QStringList filters;
        QTimer::singleShot(0, &page, [&] {
            QFileDialog *dialog = nullptr;
            if (!QTest::qWaitFor([&] { return (dialog = page.findChild<QFileDialog *>()); }, 10000))
                return;
            filters = dialog->nameFilters();
            dialog->reject();
        });
        QMetaObject::invokeMethod(&page, "importClicked");
        QCOMPARE(filters.size(), 2);
        for (const char *kind : {"*.mp4", "*.mkv", "*.avi", "*.mov", "*.webm", "*.m4v", "*.flv"})
            QVERIFY2(filters.first().contains(QLatin1String(kind)), kind);
        QCOMPARE(filters.last(), QStringLiteral("All files (*)"));
        QVERIFY(!page.statusWidget()->isShowing());
    }
};

QTEST_MAIN(TestLibraryImport)
#include "tst_libraryimport.moc"
