// The first read of a large library: the store hands the rows over in pieces
// (a screenful first), the model takes them in while the window goes on, and
// whatever happens meanwhile (a row stored, changed or removed, another sort,
// a search) ends in the same rows as a library opened afterwards.
#include "LibraryTestFixture.h"
#include "library/LibraryFilterModel.h"
#include "library/LibraryModel.h"
#include "library/LibraryStore.h"

#include <QAbstractItemModelTester>
#include <QSemaphore>
#include <QSqlQuery>
#include <QtTest>

namespace {

constexpr auto kReportFailures = QAbstractItemModelTester::FailureReportingMode::QtTest;

// More rows than the first piece and several pieces after it.
constexpr int kRows = 6500;

QList<qlonglong> idsOf(const LibraryStore::Rows &rows)
{
    QList<qlonglong> ids;
    for (const LibraryStore::Row &row : rows)
        ids << row.at(LibraryStore::Id).toLongLong();
    return ids;
}

QList<qlonglong> idsOf(const QAbstractItemModel &model)
{
    QList<qlonglong> ids;
    for (int row = 0; row < model.rowCount(); ++row)
        ids << model.index(row, 0).data(LibraryModel::IdRole).toLongLong();
    return ids;
}

} // namespace

class TestLibraryLoad : public QObject
{
    Q_OBJECT

private:
    // Rows through the store as the importer stores them, `count` of them
    // titled "Scene n", n days apart (some on the same day, for ties).
    static bool fill(LibraryTestFixture &fixture, int count)
    {
        LibraryItems items;
        for (int i = 0; i < count; ++i) {
            LibraryItem item =
                fixture.makeItem(QStringLiteral("Scene %1").arg(i), quint32(1000 + (i / 3) * 86400),
                                 QStringLiteral("set %1/scene %2.mp4").arg(i % 7).arg(i));
            item.guid(QStringLiteral("guid-%1").arg(i));
            item.description(i % 5 ? QStringLiteral("A walk in the park")
                                   : QStringLiteral("Ünïcode and 100% \"quotes\""));
            items << item;
        }
        LibraryStore *store = fixture.library->store();
        return store->call([&] { return store->insertItems(items); }).size() == count;
    }

private Q_SLOTS:
    // The pieces cover every row once, in order, and the last one says so,
    // whatever the number of rows against the sizes of the pieces.
    void piecesCoverEveryRowOnce_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("empty") << 0;
        QTest::newRow("fewer than the first piece") << 2;
        QTest::newRow("just the first piece") << 3;
        QTest::newRow("a piece short") << 10;
        QTest::newRow("pieces filled exactly") << 11;
        QTest::newRow("one over") << 12;
    }
    void piecesCoverEveryRowOnce()
    {
        QFETCH(int, rows);
        LibraryTestFixture fixture;
        QVERIFY(fill(fixture, rows));
        LibraryStore *store = fixture.library->store();
        const auto expected = store->call([store] {
            LibraryStore::Rows read;
            store->readAll(&read, LibraryStore::CreationDate, Qt::DescendingOrder);
            return read;
        });
        QCOMPARE(expected.size(), rows);

        QList<qsizetype> sizes;
        QList<bool> lasts;
        LibraryStore::Rows got;
        const bool read = store->call([&] {
            return store->readInPieces(LibraryStore::CreationDate, Qt::DescendingOrder, 3, 4,
                                       [&](LibraryStore::Rows &&piece, bool last) {
                                           sizes << piece.size();
                                           lasts << last;
                                           got += piece;
                                       });
        });
        QVERIFY(read);
        QCOMPARE(idsOf(got), idsOf(expected));
        // Every row with its search text, as a full read makes it.
        QCOMPARE(got, expected);
        QVERIFY(!sizes.isEmpty());
        QCOMPARE(sizes.first(), qMin(rows, 3));
        for (qsizetype i = 1; i + 1 < sizes.size(); ++i)
            QCOMPARE(sizes.at(i), 4);
        QCOMPARE(lasts.count(true), 1);
        QVERIFY(lasts.last());
    }

    // Read with SQLite's own calls, a row's values have the types and values
    // the Qt driver gives (which the model's sort compares).
    void valuesAsTheDriverGivesThem()
    {
        LibraryTestFixture fixture;
        QVERIFY(fill(fixture, 10));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                        QStringLiteral("tst_libraryload"));
            db.setDatabaseName(fixture.location().databaseFile());
            QVERIFY(db.open());
            QSqlQuery nulls(db);
            QVERIFY(nulls.exec(QStringLiteral("UPDATE library SET duration=NULL, dvdTitle=NULL, "
                                              "sizeInBytes=NULL WHERE id % 2")));
            QCOMPARE(nulls.numRowsAffected(), 5);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("tst_libraryload"));
        LibraryStore *store = fixture.library->store();
        const auto [all, byId] = store->call([store] {
            LibraryStore::Rows read;
            store->readAll(&read);
            return std::make_pair(read, store->readIds(idsOf(read)));
        });
        QCOMPARE(all.size(), 10);
        QCOMPARE(byId.size(), 10);
        for (qsizetype row = 0; row < all.size(); ++row) {
            for (int column = 0; column < LibraryStore::ColumnCount; ++column) {
                const QVariant fast = all.at(row).at(column);
                const QVariant driver = byId.at(row).at(column);
                QCOMPARE(fast.metaType(), driver.metaType());
                QCOMPARE(fast.isNull(), driver.isNull());
                QCOMPARE(fast, driver);
            }
        }
    }

    // A library opened anew answers "already in the library?" before even
    // its first rows are read: the guids are read first, in a job of their
    // own. The store is held right after that job, before the first rows.
    void guidsBeforeTheFirstRows()
    {
        LibraryTestFixture fixture;
        QVERIFY(fill(fixture, kRows));
        fixture.library.reset();
        fixture.library = std::make_unique<Library>(fixture.location());
        Library *library = fixture.library.get();
        LibraryStore *store = library->store();
        const QAbstractItemModelTester tester(library->model(), kReportFailures);
        // The library asks the store for its rows from the event loop; the
        // holding job goes in right behind that.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        QSemaphore hold;
        QAtomicInt held = 0;
        store->post([&hold, &held] {
            held = 1;
            hold.tryAcquire(1, 60000);
            held = 0;
        });
        const auto release = qScopeGuard([&hold] { hold.release(); });
        QVERIFY(fixture.waitFor([&held] { return held.loadAcquire() == 1; }));
        // What the store sent before it was held.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        QCOMPARE(library->model()->rowCount(), 0);
        QVERIFY(library->model()->containsGuid(QStringLiteral("guid-1")));
        QVERIFY(library->model()->containsGuid(QStringLiteral("guid-%1").arg(kRows - 1)));
        QVERIFY(!library->model()->containsGuid(QStringLiteral("guid-none")));
        QCOMPARE(held.loadAcquire(), 1);
        hold.release();

        QVERIFY(fixture.waitFor([&] { return library->model()->isLoaded(); }));
        QVERIFY(fixture.waitIdle());
        QCOMPARE(library->model()->rowCount(), kRows);
        QVERIFY(library->model()->containsGuid(QStringLiteral("guid-1")));
        QVERIFY(!library->model()->containsGuid(QStringLiteral("guid-none")));
    }

    // A library opened anew: the first rows come on their own, the rest
    // follow, and what happens meanwhile is in the rows at the end.
    void whileTheRowsCome_data()
    {
        QTest::addColumn<QString>("meanwhile");
        for (const char *what : {"nothing", "stored", "changed", "removed", "sorted", "searched"})
            QTest::newRow(what) << QString::fromLatin1(what);
    }
    void whileTheRowsCome()
    {
        QFETCH(QString, meanwhile);
        LibraryTestFixture fixture;
        QVERIFY(fill(fixture, kRows));
        LibraryStore *before = fixture.library->store();
        const QString newest =
            LibraryStore::itemOf(before->call([before] {
                LibraryStore::Rows read;
                before->readAll(&read, LibraryStore::CreationDate, Qt::DescendingOrder);
                return read.value(0);
            })).title();
        fixture.library.reset();
        fixture.library = std::make_unique<Library>(fixture.location());
        Library *library = fixture.library.get();
        LibraryStore *store = library->store();
        const QAbstractItemModelTester tester(library->model(), kReportFailures);
        LibraryFilterModel filter;
        filter.setSourceModel(library->model());
        const QAbstractItemModelTester filterTester(&filter, kReportFailures);

        int firstRows = -1;
        QString firstTitle;
        bool answeredMeanwhile = false;
        bool answeredWhileHeld = false;
        QString lateGuid;
        const auto act = [&] {
            // The oldest rows are still on their way. "Already in the
            // library?" is answered while the store is busy with other work.
            QSemaphore hold;
            QAtomicInt held = 1;
            store->post([&hold, &held] {
                hold.tryAcquire(1, 60000);
                held = 0;
            });
            answeredMeanwhile =
                library->model()->containsGuid(QStringLiteral("guid-1")) &&
                library->model()->containsGuid(QStringLiteral("guid-%1").arg(kRows - 1)) &&
                !library->model()->containsGuid(QStringLiteral("guid-none"));
            answeredWhileHeld = held.loadAcquire() == 1;
            hold.release();
            const LibraryStore::Row late = store->call([store] {
                LibraryStore::Rows read;
                store->readAll(&read, LibraryStore::CreationDate, Qt::AscendingOrder);
                return read.at(1);
            });
            lateGuid = LibraryItem::decode(late.at(LibraryStore::Guid).toString());
            if (meanwhile == QLatin1String("stored")) {
                LibraryItem item = fixture.makeItem(QStringLiteral("Scene new"), 1000 + 86400 * 40);
                item.guid(QStringLiteral("guid-new"));
                store->post([store, item] { store->insertItems({item}); });
            } else if (meanwhile == QLatin1String("changed")) {
                store->post([store, late = late.at(LibraryStore::Id).toLongLong()] {
                    store->updateFields(late, QStringLiteral("Renamed"), QString(), QString(),
                                        QString(), nullptr);
                });
            } else if (meanwhile == QLatin1String("removed")) {
                store->post([store, late = late.at(LibraryStore::Id).toLongLong()] {
                    store->removeIds({late});
                });
            } else if (meanwhile == QLatin1String("sorted")) {
                library->model()->onSort(LibraryModel::SortTitle, Qt::AscendingOrder);
            } else if (meanwhile == QLatin1String("searched")) {
                filter.setNameFilter(QStringLiteral("scene 1"));
            }
        };
        bool actedWhileLoading = false;
        const QMetaObject::Connection first =
            connect(library->model(), &QAbstractItemModel::modelReset, this, [&] {
                if (firstRows >= 0)
                    return;
                firstRows = library->model()->rowCount();
                firstTitle = library->model()->item(0).title();
                QMetaObject::invokeMethod(
                    this,
                    [&] {
                        actedWhileLoading = !library->model()->isLoaded();
                        act();
                    },
                    Qt::QueuedConnection);
            });
        QVERIFY(fixture.waitFor([&] { return library->model()->isLoaded(); }));
        QVERIFY(fixture.waitIdle());
        disconnect(first);

        QVERIFY2(firstRows > 0 && firstRows < kRows, qPrintable(QString::number(firstRows)));
        QCOMPARE(firstTitle, newest);
        QVERIFY(actedWhileLoading);
        QVERIFY(answeredMeanwhile);
        QVERIFY(answeredWhileHeld);

        // The rows as a library opened now shows them, in the same order.
        const bool byTitle = meanwhile == QLatin1String("sorted");
        const auto expected = store->call([store, byTitle] {
            LibraryStore::Rows read;
            store->readAll(&read, byTitle ? LibraryStore::Title : LibraryStore::CreationDate,
                           byTitle ? Qt::AscendingOrder : Qt::DescendingOrder);
            return read;
        });
        QCOMPARE(library->model()->rowCount(), int(expected.size()));
        QCOMPARE(idsOf(*library->model()), idsOf(expected));
        for (int row = 0; row < library->model()->rowCount(); ++row)
            QCOMPARE(library->model()->valuesAt(row), expected.at(row));
        const int rows = meanwhile == QLatin1String("stored")    ? kRows + 1
                         : meanwhile == QLatin1String("removed") ? kRows - 1
                                                                 : kRows;
        QCOMPARE(library->model()->rowCount(), rows);
        if (meanwhile == QLatin1String("changed"))
            QCOMPARE(library->model()->item(library->model()->rowCount() - 2).title(),
                     QStringLiteral("Renamed"));

        // The filter shows exactly the rows holding the search.
        QList<qlonglong> found;
        for (const LibraryStore::Row &row : expected) {
            if (meanwhile != QLatin1String("searched") ||
                LibraryStore::itemOf(row).title().contains(QStringLiteral("Scene 1")))
                found << row.at(LibraryStore::Id).toLongLong();
        }
        QCOMPARE(idsOf(filter), found);
        // Every stored guid is known to the window's own check.
        QVERIFY(library->model()->containsGuid(QStringLiteral("guid-%1").arg(kRows / 2)));
        QVERIFY(!library->model()->containsGuid(QStringLiteral("guid-none")));
        // Rows stored or removed while the rows came count once.
        QCOMPARE(library->model()->containsGuid(lateGuid), meanwhile != QLatin1String("removed"));
        QCOMPARE(library->model()->containsGuid(QStringLiteral("guid-new")),
                 meanwhile == QLatin1String("stored"));
    }
};

QTEST_GUILESS_MAIN(TestLibraryLoad)
#include "tst_libraryload.moc"
