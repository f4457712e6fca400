#include "IndexBuildGate.h"
#include "LibraryTestFixture.h"
#include "TestSupport.h"
#include "core/TaskTracker.h"
#include "library/ImportController.h"
#include "library/IntegrityChecker.h"
#include "library/LibraryModel.h"
#include "library/MetaDataBuilder.h"
#include "library/VideoImporter.h"

#include <QSignalSpy>
#include <QtTest>

class TestLibraryConcurrency : public QObject
{
    Q_OBJECT

private:
    QString m_clip;

    // Downloaded videos as the download code hands them over (outside the
    // library folder, with the site's fields).
    LibraryItems downloadedItems(LibraryTestFixture &fixture, int count)
    {
        QDir(fixture.base()).mkpath(QStringLiteral("downloads"));
        LibraryItems items;
        for (int i = 0; i < count; ++i) {
            const QString path = fixture.base() + QStringLiteral("/downloads/scene%1.mp4").arg(i);
            QFile::copy(m_clip, path);
            LibraryItem item = LibraryItem::fromFile(path);
            item.guid(QStringLiteral("scene-%1").arg(i));
            item.title(QStringLiteral("Scene %1").arg(i));
            item.dvdTitle(QStringLiteral("Downloads"));
            item.categories(QStringLiteral("Site"));
            items << item;
        }
        return items;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_clip = TestSupport::sampleClip(QStringLiteral("concurrency-2s.mp4"), 2);
        QVERIFY(!m_clip.isEmpty());
    }

    void importWhileCheckingAndIndexing()
    {
        LibraryTestFixture fixture;
        LibraryItems existing;
        for (int i = 0; i < 300; ++i) {
            LibraryItem item = fixture.makeItem(QStringLiteral("old%1").arg(i), 10 + i,
                                                QStringLiteral("Old/old%1.mp4").arg(i), i % 10);
            item.dvdTitle(QStringLiteral("Old %1").arg(i % 7));
            item.categories(QStringLiteral("C%1, C%2").arg(i % 5).arg(i % 3));
            existing << item;
        }
        QVERIFY(fixture.addRows(existing));
        for (int i = 0; i < 3; ++i) {
            QDir(fixture.folder()).mkpath(QStringLiteral("Dropped"));
            QFile::copy(m_clip, fixture.folder() + QStringLiteral("/Dropped/drop%1.mp4").arg(i));
        }

        Library &library = *fixture.library;
        library.startIntegrityCheck();
        library.metaDataBuilder()->build();
        library.imports()->importItems(downloadedItems(fixture, 3));
        library.metaDataBuilder()->build();
        QVERIFY(fixture.waitIdle());

        // Every tenth old row had lost its file.
        QCOMPARE(library.integrityChecker()->removedCount(), 30);
        QCOMPARE(library.model()->rowCount(), 270 + 3 + 3);
        QCOMPARE(fixture.tableRows(QStringLiteral("library")), 276);
        QCOMPARE(findVideos(library, QStringLiteral("Scene")).size(), 3);
        // The last build saw every row: 7 old titles, "Downloads", "Dropped".
        QCOMPARE(fixture.tableRows(QStringLiteral("dvd_titles")), 9);
    }

    void closingDuringImportLosesNothing()
    {
        LibraryTestFixture fixture;
        const LibraryItems items = downloadedItems(fixture, 6);
        QSignalSpy finished(fixture.library->imports(), &ImportController::importFinished);
        fixture.library->imports()->importItems(items);
        // Close while the importer is at work on the batch.
        QTRY_VERIFY_WITH_TIMEOUT(!fixture.library->imports()->videoImporter()->isIdle(), 10000);
        fixture.library->lastWindowClosed();

        // Every worker has ended: nothing of theirs runs or waits.
        QVERIFY(fixture.library->tasks()->running().isEmpty());
        QCOMPARE(fixture.tableRows(QStringLiteral("library")), 6);
        QVERIFY(fixture.waitFor([&] { return fixture.library->model()->rowCount() == 6; }));
        // Work asked for after closing is refused quietly.
        fixture.library->metaDataBuilder()->build();
        fixture.library->startIntegrityCheck();
        const QStringList running = fixture.library->tasks()->running();
        QVERIFY2(!running.contains(QStringLiteral("index")) &&
                     !running.contains(QStringLiteral("check")),
                 qPrintable(running.join(QLatin1Char(','))));

        fixture.library.reset();
        fixture.library = std::make_unique<Library>(fixture.location());
        QVERIFY(fixture.waitFor([&] { return fixture.library->model()->rowCount() == 6; }));
        QCOMPARE(findVideos(*fixture.library, QStringLiteral("Scene 5")).size(), 1);
    }

    // While an index build is held half-way, the window's thread still gets
    // its answers at once: the "already in the library?" check and a search.
    void answersDuringAnIndexBuild()
    {
        LibraryTestFixture fixture;
        LibraryItems items;
        for (int i = 0; i < 200; ++i) {
            LibraryItem item = fixture.makeItem(QStringLiteral("Item %1").arg(i), 10 + i);
            item.guid(QStringLiteral("g%1").arg(i));
            item.dvdTitle(QStringLiteral("Set %1").arg(i % 9));
            item.categories(QStringLiteral("C%1, C%2").arg(i % 4).arg(i % 5));
            items << item;
        }
        QVERIFY(fixture.addRows(items));
        QVERIFY(fixture.waitIdle());

        MetaDataBuilder *builder = fixture.library->metaDataBuilder();
        IndexBuildGate gate(builder);
        QSignalSpy built(builder, &MetaDataBuilder::update);
        builder->build();
        QVERIFY(gate.waitUntilHeld());
        QVERIFY(builder->isBuilding());

        bool ok = false;
        QVERIFY(fixture.library->model()->containsGuid(QStringLiteral("g7"), &ok));
        QVERIFY(ok);
        QVERIFY(!fixture.library->model()->containsGuid(QStringLiteral("g200"), &ok));
        QVERIFY(ok);
        QCOMPARE(findVideos(*fixture.library, QStringLiteral("Item 199")).size(), 1);
        QCOMPARE(built.size(), 0);

        gate.release();
        QVERIFY(fixture.waitIdle());
        QCOMPARE(built.size(), 1);
        QCOMPARE(fixture.tableRows(QStringLiteral("dvd_titles")), 9);
        QCOMPARE(fixture.tableRows(QStringLiteral("categories")), 5);
    }

    // Closing re-reads the table only when a worker changed it past the model,
    // and destroying the library never does: a large library is not read again on the way out.
    void closingReadsTheTableOnlyWhenNeeded()
    {
        LibraryTestFixture fixture;
        QVERIFY(fixture.addRows({fixture.makeItem(QStringLiteral("kept"))}));
        {
            auto other = std::make_unique<Library>(fixture.location());
            QSignalSpy resets(other->model(), &QAbstractItemModel::modelReset);
            other.reset();
            QCOMPARE(resets.size(), 0);
        }
        QSignalSpy resets(fixture.library->model(), &QAbstractItemModel::modelReset);
        fixture.library->lastWindowClosed();
        QCOMPARE(resets.size(), 0);
        QCOMPARE(fixture.library->model()->rowCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestLibraryConcurrency)
#include "tst_libraryconcurrency.moc"
