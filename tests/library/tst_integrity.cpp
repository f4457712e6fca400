#include "LibraryTestFixture.h"
#include "TestSupport.h"
#include "library/IntegrityChecker.h"
#include "library/LibraryModel.h"
#include "library/LibraryPaths.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QSqlError>
#include <QtTest>

class TestIntegrity : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void removesVanishedAndImportsNewFiles()
    {
        const QString clip = TestSupport::sampleClip(QStringLiteral("integrity-5s.avi"), 5);
        QVERIFY(!clip.isEmpty());

        LibraryTestFixture fixture;
        const QString root = fixture.folder();
        LibraryItem gone1 = fixture.makeItem(QStringLiteral("gone1"), 1, QString(), true);
        gone1.thumbnailPath(root + QStringLiteral("/gone1-thumb.jpg"));
        QFile(gone1.thumbnailPath()).open(QIODevice::WriteOnly);
        LibraryItem gone2 =
            fixture.makeItem(QStringLiteral("gone2"), 2, QStringLiteral("Set/gone2.mp4"), true);
        LibraryItem kept = fixture.makeItem(QStringLiteral("kept"), 3, QString(), true);
        // Listed under another file name: a file with its title and DVD title is no new video.
        LibraryItem renamed =
            fixture.makeItem(QStringLiteral("renamed"), 4, QStringLiteral("original.mp4"), true);
        QVERIFY(fixture.addRows({gone1, gone2, kept, renamed}));

        // While the program is closed: two videos vanish, new files arrive.
        fixture.library.reset();
        QFile::remove(gone1.videoPath());
        QFile::remove(gone2.videoPath());
        QDir(root).mkpath(QStringLiteral("Holiday Set"));
        const QString dropped = root + QStringLiteral("/Holiday Set/beach.avi");
        QVERIFY(QFile::copy(clip, dropped));
        const QString droppedThumb = root + QStringLiteral("/Holiday Set/beach-thumb.jpg");
        QFile(droppedThumb).open(QIODevice::WriteOnly);
        const QString queued = root + QStringLiteral("/pending.avi");
        QVERIFY(QFile::copy(clip, queued));
        QVERIFY(QFile::copy(clip, root + QStringLiteral("/renamed.avi")));
        QFile(root + QStringLiteral("/notes.txt")).open(QIODevice::WriteOnly);
        // A copy a killed import left unfinished, and one this process is writing.
        const QString stale = root + QStringLiteral("/Holiday Set/.cut.avi.4194999.zelta-copy");
        QVERIFY(QFile::copy(clip, stale));
        const QString running = LibraryPaths::temporaryCopyPath(root + QStringLiteral("/new.avi"));
        QVERIFY(QFile::copy(clip, running));
        {
            QSqlQuery insert(TestDatabase::database(fixture.location()));
            insert.prepare(QStringLiteral("INSERT INTO downloads (corvanaUrl, mediaUrl, "
                                          "downloadPath) VALUES (?, ?, ?)"));
            insert.addBindValue(LibraryItem::encode(QStringLiteral("http://127.0.0.1/a.corvana")));
            insert.addBindValue(LibraryItem::encode(QStringLiteral("http://127.0.0.1/p.avi")));
            insert.addBindValue(LibraryItem::encode(queued));
            QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));
        }

        fixture.library = std::make_unique<Library>(fixture.location());
        QSignalSpy messages(fixture.library->integrityChecker(), &IntegrityChecker::displayMessage);
        fixture.library->startIntegrityCheck();
        QVERIFY(fixture.waitIdle());

        QCOMPARE(fixture.library->integrityChecker()->removedCount(), 2);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().first().toString(),
                 QStringLiteral("Rebuilding library (1 files)..."));
        QStringList titles;
        for (int row = 0; row < fixture.library->model()->rowCount(); ++row)
            titles << fixture.library->model()->item(row).title();
        titles.sort();
        QCOMPARE(titles, (QStringList{"beach", "kept", "renamed"}));
        QVERIFY(!QFile::exists(gone1.thumbnailPath()));
        QVERIFY(!QFileInfo::exists(root + QStringLiteral("/Set")));
        QVERIFY(!QFile::exists(stale));
        QVERIFY(QFile::exists(running));

        const LibraryItem beach = findVideos(*fixture.library, QStringLiteral("beach")).value(0);
        QCOMPARE(beach.dvdTitle(), QStringLiteral("Holiday Set"));
        QCOMPARE(beach.thumbnailPath(), droppedThumb);
        QCOMPARE(beach.duration(), QStringLiteral("00:05"));
        QVERIFY(QFileInfo(droppedThumb).size() > 0);
        // The index follows the check.
        QSqlQuery titlesQuery(TestDatabase::database(fixture.location()));
        QVERIFY(titlesQuery.exec(QStringLiteral("SELECT title FROM dvd_titles")));
        QStringList dvdTitles;
        while (titlesQuery.next())
            dvdTitles << LibraryItem::decode(titlesQuery.value(0).toString());
        QVERIFY(dvdTitles.contains(QStringLiteral("Holiday Set")));

        // A second check finds everything in order.
        fixture.library->startIntegrityCheck();
        QVERIFY(fixture.waitIdle());
        QCOMPARE(fixture.library->integrityChecker()->removedCount(), 0);
        QCOMPARE(fixture.library->integrityChecker()->importedCount(), 0);
        QCOMPARE(fixture.library->model()->rowCount(), 3);
    }

    // A deleted folder of hundreds of videos: the check takes them all out
    // (more than one transaction's worth), with their pictures, and keeps
    // the rest; the model ends with exactly the rows the table has.
    void removesManyVanishedFiles()
    {
        LibraryTestFixture fixture;
        const QString root = fixture.folder();
        LibraryItems items;
        for (int i = 0; i < 600; ++i) {
            LibraryItem item =
                fixture.makeItem(QStringLiteral("video %1").arg(i, 3, 10, QLatin1Char('0')),
                                 quint32(1000 + i), QString(), true);
            item.thumbnailPath(root + QStringLiteral("/video %1-thumb.jpg").arg(i));
            QFile(item.thumbnailPath()).open(QIODevice::WriteOnly);
            items << item;
        }
        QVERIFY(fixture.addRows(items));
        QAbstractItemModelTester tester(fixture.library->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy resets(fixture.library->model(), &QAbstractItemModel::modelReset);
        QStringList kept;
        for (int i = 0; i < items.size(); ++i) {
            if (i % 20 == 7)
                kept << items.at(i).title();
            else
                QVERIFY(QFile::remove(items.at(i).videoPath()));
        }
        fixture.library->startIntegrityCheck();
        QVERIFY(fixture.waitIdle());

        QCOMPARE(fixture.library->integrityChecker()->removedCount(), 570);
        QStringList titles;
        for (int row = 0; row < fixture.library->model()->rowCount(); ++row)
            titles << fixture.library->model()->item(row).title();
        titles.sort();
        QCOMPARE(titles, kept);
        QCOMPARE(fixture.library->model()->rowCount(),
                 fixture.tableRows(QStringLiteral("library")));
        QCOMPARE(resets.size(), 0);
        for (int i = 0; i < items.size(); ++i)
            QCOMPARE(QFile::exists(items.at(i).thumbnailPath()), i % 20 == 7);
    }
};

QTEST_GUILESS_MAIN(TestIntegrity)
#include "tst_integrity.moc"
