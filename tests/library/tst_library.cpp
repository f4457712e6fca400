#include "LibraryTestFixture.h"
#include "TestSupport.h"
#include "library/ImportController.h"
#include "library/ImportSession.h"
#include "library/LibraryEdits.h"
#include "library/LibraryFilterModel.h"
#include "library/LibraryModel.h"
#include "library/LibraryRemoval.h"
#include "library/LibraryStore.h"
#include "library/PlayPositions.h"
#include "library/VideoImporter.h"
#include "media/SubtitleFile.h"
#include "media/SubtitleParser.h"

#include <QAbstractItemModelTester>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSqlRecord>
#include <QTimer>
#include <QtTest>

#include <optional>

class TestLibrary : public QObject
{
    Q_OBJECT

private:
    static QStringList titles(const Library &library)
    {
        QStringList result;
        for (int row = 0; row < library.model()->rowCount(); ++row)
            result << library.model()->item(row).title();
        return result;
    }

    static QStringList titles(const LibraryItems &items)
    {
        QStringList result;
        for (const LibraryItem &item : items)
            result << item.title();
        return result;
    }

    static QList<QList<QVariant>> modelRecords(const Library &library)
    {
        QList<QList<QVariant>> records;
        for (int row = 0; row < library.model()->rowCount(); ++row)
            records << library.model()->valuesAt(row);
        return records;
    }

    static LibraryItems modelItems(const Library &library)
    {
        LibraryItems items;
        for (int row = 0; row < library.model()->rowCount(); ++row)
            items << library.model()->item(row);
        return items;
    }

private Q_SLOTS:
    void recordRoundTrip()
    {
        LibraryTestFixture fixture;
        LibraryItem item = fixture.makeItem(QStringLiteral("Sun & 100% it's"));
        item.guid(QStringLiteral("scene'1"));
        item.categories(QStringLiteral("A, B"));
        item.stars(QStringLiteral("Ann Émile"));
        item.duration(QStringLiteral("01:02"));
        item.downloaded(true);
        item.sizeInBytes(5000000000LL); // an HD video over 4 GiB keeps its size
        const QSqlRecord record = item.toRecord();
        QCOMPARE(record.value("title").toString(), QStringLiteral("Sun%20%26%20100%25%20it%27s"));
        QCOMPARE(record.value("duration").toString(), QStringLiteral("01:02"));
        QVERIFY(record.indexOf("id") < 0);

        QVERIFY(fixture.addRows({item}));
        QCOMPARE(fixture.library->model()->rowCount(), 1);
        const LibraryItem back = fixture.library->model()->item(0);
        QCOMPARE(back.title(), item.title());
        QCOMPARE(back.guid(), item.guid());
        QCOMPARE(back.stars(), item.stars());
        QCOMPARE(back.videoPath(), item.videoPath());
        QCOMPARE(back.downloaded(), true);
        QCOMPARE(back.sizeInBytes(), 5000000000LL);
        QCOMPARE(fixture.library->model()->data(fixture.library->model()->index(0, 1)).toString(),
                 item.title());
        QCOMPARE(fixture.library->model()
                     ->data(fixture.library->model()->index(0, 0))
                     .value<LibraryItem>()
                     .guid(),
                 item.guid());
    }

    void percentCoding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "Sunset-2_b.c~";
        QTest::newRow("space amp percent") << "a b & 100%";
        QTest::newRow("quote") << "it's \"x\"";
        QTest::newRow("accents") << QStringLiteral("Émile Zoë");
        QTest::newRow("emoji") << QStringLiteral("sun \U0001F305");
    }

    // The stored form reads back unchanged; stored text decodes as the URL
    // decoder does, and a stray percent sign is kept as it stands.
    void percentCoding()
    {
        QFETCH(QString, text);
        const QString stored = LibraryItem::encode(text);
        QCOMPARE(LibraryItem::decode(stored), text);
        QCOMPARE(LibraryItem::decode(stored), QUrl::fromPercentEncoding(stored.toUtf8()));
        QCOMPARE(LibraryItem::decode(QStringLiteral("%41%zz%4")), QStringLiteral("A%zz%4"));
    }

    void isImportItem_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<quint32>("size");
        QTest::addColumn<quint32>("created");
        QTest::addColumn<QString>("guid");
        QTest::addColumn<bool>("expected");
        QTest::newRow("valid") << "/v.mp4" << 10u << 5u << "" << true;
        QTest::newRow("no path") << "" << 10u << 5u << "" << false;
        QTest::newRow("no size") << "/v.mp4" << 0u << 5u << "" << false;
        QTest::newRow("no date") << "/v.mp4" << 10u << 0u << "" << false;
        QTest::newRow("known guid") << "/v.mp4" << 10u << 5u << "known" << true;
        QTest::newRow("quote in guid") << "/v.mp4" << 10u << 5u << "x' OR '1'='1" << true;
    }

    void isImportItem()
    {
        QFETCH(QString, path);
        QFETCH(quint32, size);
        QFETCH(quint32, created);
        QFETCH(QString, guid);
        QFETCH(bool, expected);
        LibraryTestFixture fixture;
        LibraryItem known = fixture.makeItem(QStringLiteral("known"));
        known.guid(QStringLiteral("known"));
        QVERIFY(fixture.addRows({known}));
        LibraryItem item;
        item.videoPath(path);
        item.sizeInBytes(size);
        item.creationDate(created);
        item.guid(guid);
        QCOMPARE(item.isValid(), expected);
        bool ok = false;
        QCOMPARE(fixture.library->model()->containsGuid(guid, &ok), guid == QLatin1String("known"));
        QVERIFY(ok);
    }

    void sorting()
    {
        LibraryTestFixture fixture;
        LibraryItem a = fixture.makeItem(QStringLiteral("a"), 100);
        a.duration(QStringLiteral("9:59"));
        LibraryItem b = fixture.makeItem(QStringLiteral("b"), 300);
        b.duration(QStringLiteral("10:00"));
        LibraryItem c = fixture.makeItem(QStringLiteral("c"), 200);
        c.duration(QStringLiteral("01:00:00"));
        QVERIFY(fixture.addRows({a, b, c}));
        fixture.library->model()->onSort(LibraryModel::SortDate, Qt::DescendingOrder);
        QCOMPARE(titles(*fixture.library), (QStringList{"b", "c", "a"}));

        // A fresh library opens newest first.
        fixture.library.reset();
        fixture.library = std::make_unique<Library>(fixture.location());
        QVERIFY(fixture.waitFor([&] { return fixture.library->model()->rowCount() == 3; }));
        QCOMPARE(titles(*fixture.library), (QStringList{"b", "c", "a"}));
        // The search texts follow the first rows, the same as those made with a row.
        const auto searchable = [&] {
            for (int row = 0; row < fixture.library->model()->rowCount(); ++row) {
                const QList<QVariant> values = fixture.library->model()->valuesAt(row);
                if (values.value(LibraryStore::SearchText).toString() !=
                    LibraryStore::searchTextOf(values))
                    return false;
            }
            return true;
        };
        QVERIFY(fixture.waitFor(searchable));

        QSignalSpy sorted(fixture.library->model(), &LibraryModel::doSorted);
        fixture.library->model()->onSort(LibraryModel::SortDuration, Qt::AscendingOrder);
        QCOMPARE(sorted.size(), 1);
        QCOMPARE(titles(*fixture.library), (QStringList{"c", "b", "a"}));
        fixture.library->model()->onSort(LibraryModel::SortTitle, Qt::AscendingOrder);
        QCOMPARE(titles(*fixture.library), (QStringList{"a", "b", "c"}));
    }

    void find_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        // Rows share a guid only when it is not empty: videos from disk are each a hit.
        QTest::newRow("empty: one row per guid")
            << "" << QStringList{"one", "two words", "it's", "100% sure", "100 sure", "a_b", "axb"};
        QTest::newRow("two words") << "two words" << QStringList{"two words"};
        QTest::newRow("case") << "TWO W" << QStringList{"two words"};
        QTest::newRow("apostrophe") << "it's" << QStringList{"it's"};
        QTest::newRow("percent") << "100%" << QStringList{"100% sure"};
        QTest::newRow("underscore") << "a_b" << QStringList{"a_b"};
        QTest::newRow("in stars") << "ann" << QStringList{"one"};
        QTest::newRow("nothing") << "zzz" << QStringList{};
    }

    void find()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        LibraryTestFixture fixture;
        const QStringList names = {"one",      "two words", "it's", "100% sure",
                                   "100 sure", "a_b",       "axb"};
        LibraryItems items;
        for (int i = 0; i < names.size(); ++i) {
            LibraryItem item = fixture.makeItem(names[i], 100 + i);
            // The first three have guids of their own; the others share the empty guid.
            item.guid(i < 3 ? QStringLiteral("g%1").arg(i) : QString());
            item.dvdTitle(QStringLiteral("d%1").arg(i));
            if (i == 0)
                item.stars(QStringLiteral("Ann"));
            items << item;
        }
        QVERIFY(fixture.addRows(items));
        QCOMPARE(titles(findVideos(*fixture.library, text)), expected);
        // A second row of a downloaded video (same guid) is one hit.
        LibraryItem again = items.first();
        again.videoPath(fixture.folder() + QStringLiteral("/one-1.mp4"));
        QVERIFY(fixture.addRows({again}));
        QCOMPARE(titles(findVideos(*fixture.library, text)), expected);
    }

    // Removing a video deletes the files its row owns inside the library and
    // nothing else: not its neighbours, not a file another row shows, nothing
    // outside the library (symbolic links resolved), and a folder only when
    // it is left empty.
    void removeDeletesOnlyOwnFiles_data()
    {
        QTest::addColumn<QString>("video");          // lib:, out: or link: + path
        QTest::addColumn<QStringList>("neighbours"); // created beside the video
        QTest::addColumn<bool>("neighbourIsRow");
        QTest::addColumn<bool>("videoDeleted");
        QTest::addColumn<bool>("folderKept");
        QTest::newRow("alone in its folder")
            << "lib:Set/clip.mp4" << QStringList{} << false << true << false;
        QTest::newRow("user's documents beside it")
            << "lib:Set/clip.mp4" << QStringList{"notes.txt", "photo.jpg"} << false << true << true;
        QTest::newRow("another video of the library")
            << "lib:Set/clip.mp4" << QStringList{"other.mp4"} << true << true << true;
        QTest::newRow("row pointing outside the library")
            << "out:Documents/clip.mp4" << QStringList{"letter.txt"} << false << false << true;
        QTest::newRow("folder linked to outside")
            << "link:clip.mp4" << QStringList{"letter.txt"} << false << false << true;
    }
    void removeDeletesOnlyOwnFiles()
    {
        QFETCH(QString, video);
        QFETCH(QStringList, neighbours);
        QFETCH(bool, neighbourIsRow);
        QFETCH(bool, videoDeleted);
        QFETCH(bool, folderKept);
        LibraryTestFixture fixture;
        const QString outside = fixture.base() + QStringLiteral("/Outside");
        QDir().mkpath(outside);
        QVERIFY(QFile::link(outside, fixture.folder() + QStringLiteral("/Linked")));
        const QString kind = video.section(QLatin1Char(':'), 0, 0);
        const QString relative = video.section(QLatin1Char(':'), 1);
        const QString root = kind == QLatin1String("lib")   ? fixture.folder()
                             : kind == QLatin1String("out") ? fixture.base()
                                                            : fixture.folder() + "/Linked";
        LibraryItem item = fixture.makeItem(QStringLiteral("clip"), 100, QString(), false);
        item.videoPath(root + QLatin1Char('/') + relative);
        const QString set = QFileInfo(item.videoPath()).absolutePath();
        QDir().mkpath(set);
        item.thumbnailPath(set + QStringLiteral("/clip.mp4-thumb.jpg"));
        for (const QString &path : {item.videoPath(), item.thumbnailPath()})
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        LibraryItems rows{item, fixture.makeItem(QStringLiteral("stays"), 50)};
        for (const QString &name : neighbours) {
            QVERIFY(QFile(set + QLatin1Char('/') + name).open(QIODevice::WriteOnly));
            if (neighbourIsRow) {
                LibraryItem other = fixture.makeItem(QStringLiteral("other"), 60);
                other.videoPath(set + QLatin1Char('/') + name);
                // An old row that shares the thumbnail.
                other.thumbnailPath(item.thumbnailPath());
                rows << other;
            }
        }
        QVERIFY(fixture.addRows(rows));

        QSignalSpy updated(fixture.library.get(), &Library::updated);
        fixture.library->removal()->removeItem(
            int(titles(*fixture.library).indexOf(QStringLiteral("clip"))));
        QVERIFY(fixture.waitIdle());
        QCOMPARE(updated.size(), 1);
        QVERIFY(!titles(*fixture.library).contains(QStringLiteral("clip")));
        QCOMPARE(!QFile::exists(item.videoPath()), videoDeleted);
        QCOMPARE(!QFile::exists(item.thumbnailPath()), videoDeleted && !neighbourIsRow);
        QCOMPARE(QFileInfo::exists(set), folderKept);
        for (const QString &name : neighbours)
            QVERIFY2(QFile::exists(set + QLatin1Char('/') + name), qPrintable(name));
        QVERIFY(QFileInfo::exists(outside));
        QVERIFY(QFile::exists(fixture.location().databaseFile()));
        QVERIFY(fixture.waitIdle());
        // Bad rows are refused without harm.
        const int rowsLeft = fixture.library->model()->rowCount();
        fixture.library->removal()->removeItem(5);
        fixture.library->removal()->removeItem(-1);
        QCOMPARE(fixture.library->model()->rowCount(), rowsLeft);
    }

    // A video straight in the library folder: its neighbours (the database
    // among them) are never swept away with it.
    void removeKeepsTheLibraryFolder()
    {
        LibraryTestFixture fixture;
        LibraryItem item = fixture.makeItem(QStringLiteral("top"), 1, QString(), true);
        QVERIFY(fixture.addRows({item}));
        fixture.library->removal()->removeItem(0);
        QVERIFY(fixture.waitIdle());
        QVERIFY(!QFile::exists(item.videoPath()));
        QVERIFY(QFile::exists(fixture.location().databaseFile()));
        QCOMPARE(fixture.tableRows(QStringLiteral("library")), 0);
    }

    void removeByGuid_data()
    {
        QTest::addColumn<QString>("guid");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("unknown") << "nope" << QStringList{"b", "a"};
        QTest::newRow("with quote") << "it's" << QStringList{"a"};
    }

    void removeByGuid()
    {
        QFETCH(QString, guid);
        QFETCH(QStringList, left);
        LibraryTestFixture fixture;
        LibraryItem a = fixture.makeItem(QStringLiteral("a"), 1, QString(), true);
        a.guid(QStringLiteral("g1"));
        LibraryItem b = fixture.makeItem(QStringLiteral("b"), 2, QString(), true);
        b.guid(QStringLiteral("it's"));
        QVERIFY(fixture.addRows({a, b}));
        QSignalSpy updated(fixture.library.get(), &Library::updated);
        fixture.library->removal()->removeItem(guid);
        QVERIFY(fixture.waitIdle());
        QCOMPARE(titles(*fixture.library), left);
        QCOMPARE(updated.size(), 0);
        // No file goes with a removal by guid.
        QVERIFY(QFile::exists(b.videoPath()));
    }

    // Positions saved from the window's thread reach the file and the rows'
    // roles without touching what the counters and the index follow.
    void playPositionsAndWatchedMarks()
    {
        LibraryTestFixture fixture;
        LibraryItem a = fixture.makeItem(QStringLiteral("a"));
        a.mediaLengthInSecs(100);
        LibraryItem b = fixture.makeItem(QStringLiteral("b b"));
        QVERIFY(fixture.addRows({a, b}));
        Library &library = *fixture.library;
        const qlonglong idA = library.model()->idOfVideo(a.videoPath());
        const qlonglong idB = library.model()->idOfVideo(b.videoPath());
        QVERIFY(idA >= 0 && idB >= 0 && idA != idB);
        QCOMPARE(library.model()->idOfVideo(fixture.folder() + QStringLiteral("/none.mp4")), -1);
        const QModelIndex indexA = library.model()->index(library.model()->rowOfId(idA), 1);
        QCOMPARE(indexA.data(LibraryModel::PlayPositionRole).toLongLong(), 0);
        QCOMPARE(indexA.data(LibraryModel::IdRole).toLongLong(), idA);

        QSignalSpy updated(&library, &Library::updated);
        library.positions()->savePlayPosition(idA, 25000);
        QVERIFY(fixture.waitFor([&] { return library.model()->playPosition(idA) == 25000; }));
        QCOMPARE(library.model()
                     ->index(library.model()->rowOfId(idA), 3)
                     .data(LibraryModel::ProgressRole)
                     .toDouble(),
                 0.25);
        LibraryStore *store = library.store();
        QCOMPARE(store->call([store, idA] { return store->playPosition(idA); }), 25000);
        QCOMPARE(store->call([store] { return store->playPosition(999999); }), -1);
        QCOMPARE(store->call([store, &b] { return store->idOfVideo(b.videoPath()); }), idB);
        // A video without a known length shows no progress.
        library.positions()->savePlayPosition(idB, 5000);
        QVERIFY(fixture.waitFor([&] { return library.model()->playPosition(idB) == 5000; }));
        QCOMPARE(library.model()
                     ->index(library.model()->rowOfId(idB), 0)
                     .data(LibraryModel::ProgressRole)
                     .toDouble(),
                 0.0);

        library.positions()->setWatched(idA, true);
        library.positions()->setWatched(idA, true);
        QVERIFY(fixture.waitFor([&] { return library.model()->watchedCount(idA) == 2; }));
        QCOMPARE(library.model()->playPosition(idA), 0);
        library.positions()->setWatched(idA, false);
        QVERIFY(fixture.waitFor([&] { return library.model()->watchedCount(idA) == 0; }));
        QCOMPARE(updated.size(), 0);
        // Nothing of it is lost over a fresh read of the file.
        library.model()->reload();
        QCOMPARE(library.model()->playPosition(idB), 5000);
        QCOMPARE(library.model()->watchedCount(idA), 0);
        QVERIFY(!store->call([store] { return store->setPlayPosition(999999, 1); }));
    }

    // Whether a row's file is there is looked at once and kept (the views
    // ask on every paint) until the marks are forgotten; a row without a
    // file is never missing.
    void fileMissingRoleIsKeptUntilForgotten()
    {
        LibraryTestFixture fixture;
        LibraryItem kept = fixture.makeItem(QStringLiteral("kept"), 1000, {}, true);
        LibraryItem gone = fixture.makeItem(QStringLiteral("gone"), 1001, {}, true);
        LibraryItem never = fixture.makeItem(QStringLiteral("never"), 1002);
        LibraryItem noFile = fixture.makeItem(QStringLiteral("no file"), 1003);
        noFile.videoPath(QString());
        QVERIFY(fixture.addRows({kept, gone, never, noFile}));
        LibraryModel *model = fixture.library->model();
        const auto missing = [model](const LibraryItem &item, int column) {
            const int row = model->rowOfId(model->idOfVideo(item.videoPath()));
            return model->index(row, column).data(LibraryModel::FileMissingRole).toBool();
        };
        QVERIFY(!missing(kept, 0) && !missing(gone, 1));
        QVERIFY(missing(never, 0));
        QVERIFY(QFile::remove(gone.videoPath()));
        QVERIFY(!missing(gone, 0)); // as last seen
        model->forgetFileMarks();
        QVERIFY(missing(gone, 0) && missing(gone, 4));
        QVERIFY(!missing(kept, 0));
        QFile back(never.videoPath());
        QVERIFY(back.open(QIODevice::WriteOnly));
        back.close();
        model->forgetFileMarks();
        QVERIFY(!missing(never, 2));
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->item(row).videoPath().isEmpty())
                QVERIFY(!model->index(row, 0).data(LibraryModel::FileMissingRole).toBool());
        }
    }

    // An edit is stored, the row follows, and the report for the site holds
    // the file, the scene and the old and new fields, in that order.
    void editIsSavedAndReported()
    {
        LibraryTestFixture fixture;
        LibraryItem item = fixture.makeItem(QStringLiteral("Old title"));
        item.guid(QStringLiteral("scene-7"));
        item.categories(QStringLiteral("A"));
        QVERIFY(fixture.addRows({item}));
        QSignalSpy reported(fixture.library->edits(), &LibraryEdits::editReported);
        QSignalSpy updated(fixture.library.get(), &Library::updated);
        QVERIFY(fixture.library->edits()->updateItem(
            0, QStringLiteral("New 'title' & more"), QStringLiteral("50% off"),
            QStringLiteral("A, B"), QStringLiteral("Ann")));
        QVERIFY(!fixture.library->edits()->updateItem(1, {}, {}, {}, {}));
        QVERIFY(fixture.waitIdle());
        const LibraryItem edited = fixture.library->model()->item(0);
        QCOMPARE(edited.title(), QStringLiteral("New 'title' & more"));
        QCOMPARE(edited.description(), QStringLiteral("50% off"));
        QCOMPARE(edited.categories(), QStringLiteral("A, B"));
        QCOMPARE(edited.stars(), QStringLiteral("Ann"));
        QCOMPARE(updated.size(), 1);
        QCOMPARE(reported.size(), 1);
        const auto form = reported.first().first().value<LibraryEdits::EditForm>();
        const LibraryEdits::EditForm expected = {{"fileName", "Old title.mp4"},
                                                 {"scene_id", "scene-7"},
                                                 {"oldTitle", "Old title"},
                                                 {"oldDescription", ""},
                                                 {"oldTags", "A"},
                                                 {"oldCast", ""},
                                                 {"title", "New 'title' & more"},
                                                 {"description", "50% off"},
                                                 {"tags", "A, B"},
                                                 {"cast", "Ann"}};
        QCOMPARE(form, expected);
        // What a fresh read finds is the same.
        fixture.library->model()->reload();
        QCOMPARE(fixture.library->model()->item(0), edited);
    }

    // A video is listed once, whether its row was stored before the import
    // started or while the same video was being handed over.
    void videoListedOnce_data()
    {
        QTest::addColumn<bool>("storedFirst");
        QTest::addColumn<int>("handedTogether");
        QTest::newRow("stored, then handed") << true << 1;
        QTest::newRow("handed twice at once") << false << 2;
        QTest::newRow("handed, then handed again") << false << 1;
    }

    void videoListedOnce()
    {
        QFETCH(bool, storedFirst);
        QFETCH(int, handedTogether);
        LibraryTestFixture fixture;
        Library &library = *fixture.library;
        const LibraryItem item = fixture.makeItem(QStringLiteral("same"), 5);
        QVERIFY(fixture.addRows({fixture.makeItem(QStringLiteral("other"), 4)}));
        if (storedFirst)
            QVERIFY(fixture.addRows({item}));
        library.imports()->importItems(LibraryItems(handedTogether, item));
        QVERIFY(fixture.waitIdle());
        library.imports()->importItems(item);
        QVERIFY(fixture.waitIdle());
        QCOMPARE(library.model()->rowCount(), 2);
    }

    // Every change reaches views as consistent model signals.
    void modelSignalsStayConsistent()
    {
        LibraryTestFixture fixture;
        Library &library = *fixture.library;
        QAbstractItemModelTester tester(library.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        LibraryFilterModel filter;
        filter.setSourceModel(library.model());
        filter.setNameFilter(QStringLiteral("a"));
        QAbstractItemModelTester filterTester(
            &filter, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(library.model(), &QAbstractItemModel::rowsInserted);
        QVERIFY(fixture.addRows({fixture.makeItem(QStringLiteral("a1"), 5),
                                 fixture.makeItem(QStringLiteral("b1"), 6)}));
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(filter.rowCount(), 1);

        LibraryItem handed = fixture.makeItem(QStringLiteral("a2"), 7);
        handed.guid(QStringLiteral("g"));
        library.imports()->importItems(handed);
        QVERIFY(fixture.waitIdle());
        QCOMPARE(library.model()->rowCount(), 3);
        QCOMPARE(filter.rowCount(), 2);

        library.model()->onSort(LibraryModel::SortTitle, Qt::DescendingOrder); // b1, a2, a1
        QVERIFY(library.edits()->updateItem(1, QStringLiteral("b2"), {}, {}, {}));
        QVERIFY(fixture.waitIdle());
        QCOMPARE(filter.rowCount(), 1);
        library.removal()->removeItem(QStringLiteral("g")); // b2
        QVERIFY(fixture.waitIdle());
        library.removal()->removeItem(0, false); // b1
        QVERIFY(fixture.waitIdle());
        QCOMPARE(library.model()->rowCount(), 1);
        QCOMPARE(library.model()->item(0).title(), QStringLiteral("a1"));
        QCOMPARE(library.model()->data(library.model()->index(0, 1)).toString(),
                 QStringLiteral("a1"));
        QCOMPARE(filter.rowCount(), 1);
        QCOMPARE(library.model()->headerData(3, Qt::Horizontal).toString(),
                 QStringLiteral("DVD Title"));
    }

    void changesMatchAFreshRead_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("ascending");
        for (const auto key :
             {LibraryModel::SortDate, LibraryModel::SortDuration, LibraryModel::SortTitle}) {
            const QByteArray name =
                QMetaEnum::fromType<LibraryModel::sortHeaders>().valueToKey(key);
            QTest::newRow(name + " ascending") << int(key) << true;
            QTest::newRow(name + " descending") << int(key) << false;
        }
    }

    // Rows inserted and removed land where a fresh read of the table puts
    // them, and decoded rows stay with their rows.
    void changesMatchAFreshRead()
    {
        QFETCH(int, key);
        QFETCH(bool, ascending);
        LibraryTestFixture fixture;
        Library &library = *fixture.library;
        QAbstractItemModelTester tester(library.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        // Ties in every key, text that sorts differently as UTF-8 and UTF-16,
        // upper and lower case.
        const QStringList durations = {"9:59", "10:00", "", "\U0001F600", "\uFF71", "10:00"};
        const QStringList names = {"beta", "Beta", "alpha", "\u00e9t\u00e9", "beta", "Zulu"};
        const auto batch = [&](const QString &prefix, int shift) {
            LibraryItems items;
            for (int i = 0; i < names.size(); ++i) {
                LibraryItem item = fixture.makeItem(names[i], 100 + (i + shift) % 3 * 10,
                                                    prefix + QString::number(i) + ".mp4");
                item.duration(durations[(i + shift) % durations.size()]);
                const QString tag = prefix + QString::number(i);
                item.description(tag + " description 100%");
                item.guid(tag + " guid");
                item.dvdTitle(tag + " dvd");
                item.categories(tag + " categories");
                item.stars(tag + " stars");
                item.thumbnailPath(tag + " thumbnail");
                item.coverPath(tag + " cover");
                item.mediaLengthInSecs(quint32(i + 1));
                item.downloaded(i % 2 == 0);
                items << item;
            }
            return items;
        };
        QVERIFY(fixture.addRows(batch("a", 0)));
        library.model()->onSort(LibraryModel::sortHeaders(key),
                                ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        modelItems(library); // every row decoded before the changes
        QVERIFY(fixture.addRows(batch("b", 1)));
        library.removal()->removeItem(2, false);
        QVERIFY(fixture.waitIdle());
        QVERIFY(fixture.addRows(batch("c", 2)));
        library.removal()->removeItem(library.model()->rowCount() - 1, false);
        QVERIFY(fixture.waitIdle());
        library.removal()->removeItem(0, false);
        QVERIFY(fixture.waitIdle());
        QCOMPARE(library.model()->rowCount(), 3 * int(names.size()) - 3);

        const QList<QList<QVariant>> kept = modelRecords(library);
        const LibraryItems keptItems = modelItems(library);
        library.model()->reload();
        QCOMPARE(modelRecords(library), kept);
        QCOMPARE(modelItems(library), keptItems);
        for (int row = 0; row < library.model()->rowCount(); ++row)
            QCOMPARE(library.model()->item(row), LibraryStore::itemOf(kept.at(row)));
        QCOMPARE(fixture.tableRows("library"), library.model()->rowCount());
    }

    // A worker's removal and insert reach the model as just those rows, and
    // the search sees them at once, even when the new row got the id of the
    // removed one.
    void workerChangesReachTheModel()
    {
        LibraryTestFixture fixture;
        Library &library = *fixture.library;
        QVERIFY(fixture.addRows({fixture.makeItem(QStringLiteral("first"), 100),
                                 fixture.makeItem(QStringLiteral("old news"), 200)}));
        const qlonglong lastId = library.model()->idOf(0);
        QCOMPARE(titles(findVideos(library, QStringLiteral("news"))), QStringList{"old news"});
        QSignalSpy resets(library.model(), &QAbstractItemModel::modelReset);

        bool removed = false;
        QList<qlonglong> stored;
        LibraryStore *store = library.store();
        const LibraryItem fresh = fixture.makeItem(QStringLiteral("fresh news"), 300);
        std::unique_ptr<QThread> worker(QThread::create([&] {
            removed = library.removal()->removeRecord(lastId, false);
            stored = store->call([&] { return store->insertItems({fresh}); });
        }));
        worker->start();
        QVERIFY(worker->wait(30000));
        QVERIFY(removed);
        QCOMPARE(stored, QList<qlonglong>{lastId});
        QCOMPARE(titles(findVideos(library, QStringLiteral("news"))), QStringList{"fresh news"});
        QCOMPARE(titles(findVideos(library, QStringLiteral("first"))), QStringList{"first"});
        QVERIFY(fixture.waitFor([&] {
            return titles(library) == QStringList{"fresh news", "first"};
        }));
        QCOMPARE(resets.size(), 0);
    }

    // Removals made by a worker drop just their rows from the model, never re-reading the table.
    void workerRemovalsDropTheirRows()
    {
        LibraryTestFixture fixture;
        Library &library = *fixture.library;
        QAbstractItemModelTester tester(library.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(fixture.addRows(
            {fixture.makeItem(QStringLiteral("a"), 1), fixture.makeItem(QStringLiteral("b"), 2),
             fixture.makeItem(QStringLiteral("c"), 3), fixture.makeItem(QStringLiteral("d"), 4)}));
        QList<qlonglong> ids;
        for (int row = 0; row < 3; ++row)
            ids << library.model()->idOf(row);
        QSignalSpy resets(library.model(), &QAbstractItemModel::modelReset);
        QSignalSpy rowsRemoved(library.model(), &QAbstractItemModel::rowsRemoved);
        int removed = 0;
        std::unique_ptr<QThread> worker(QThread::create([&] {
            for (qlonglong id : std::as_const(ids))
                removed += library.removal()->removeRecord(id, false) ? 1 : 0;
        }));
        worker->start();
        QVERIFY(worker->wait(30000));
        QCOMPARE(removed, 3);
        QVERIFY(fixture.waitFor([&] { return titles(library) == QStringList{"a"}; }));
        QCOMPARE(resets.size(), 0);
        QCOMPARE(rowsRemoved.size(), 3);
        for (const QList<QVariant> &removal : std::as_const(rowsRemoved))
            QCOMPARE(removal.at(1).toInt(), removal.at(2).toInt());
        QCOMPARE(library.model()->rowCount(), fixture.tableRows(QStringLiteral("library")));
    }

    // Hundreds of rows removed at once leave the model a few at a time;
    // a row stored meanwhile goes in at its place, even when it takes the id
    // of a removed row still shown, and the model ends as the table is.
    void manyRemovalsLeaveWhileRowsArrive()
    {
        LibraryTestFixture fixture;
        Library &library = *fixture.library;
        LibraryItems items;
        for (int i = 0; i < 400; ++i)
            items << fixture.makeItem(QStringLiteral("video %1").arg(i, 3, 10, QLatin1Char('0')),
                                      quint32(1000 + i));
        QVERIFY(fixture.addRows(items));
        QAbstractItemModelTester tester(library.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy resets(library.model(), &QAbstractItemModel::modelReset);
        QList<qlonglong> ids;
        QStringList expected;
        // The newest (the highest id) goes too.
        for (int row = 0; row < library.model()->rowCount(); ++row) {
            if (row % 4 == 1)
                expected << library.model()->item(row).title();
            else
                ids << library.model()->idOf(row);
        }
        const qlonglong highest = library.model()->idOf(0);
        LibraryStore *store = library.store();
        const LibraryItem fresh = fixture.makeItem(QStringLiteral("fresh"), 5000);
        int removed = 0;
        QList<qlonglong> stored;
        std::unique_ptr<QThread> worker(QThread::create([&] {
            removed = library.removal()->removeRecords(ids, false);
            stored = store->call([&] { return store->insertItems({fresh}); });
        }));
        worker->start();
        QVERIFY(worker->wait(30000));
        QCOMPARE(removed, ids.size());
        QCOMPARE(stored, QList<qlonglong>{highest});
        expected.prepend(QStringLiteral("fresh"));
        QVERIFY(fixture.waitFor([&] { return titles(library) == expected; }));
        QVERIFY(fixture.waitIdle());
        QCOMPARE(titles(library), expected);
        QCOMPARE(library.model()->rowCount(), fixture.tableRows(QStringLiteral("library")));
        QCOMPARE(resets.size(), 0);
    }

    // Rows leave a few dozen per turn of the event loop, from the bottom up;
    // a row that comes in between moves those still to go, and the right
    // ones go all the same.
    void rowArrivingBetweenRemovalsMovesTheRest_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("goingOf50"); // rows going of every 50
        // Otherwise once the first rows went.
        QTest::addColumn<bool>("comesDuringSearch");
        QTest::newRow("400, most go") << 400 << 40 << false;
        // The search for the rows to go takes several turns.
        QTest::newRow("60,000, one in 50 goes") << 60000 << 1 << false;
        QTest::newRow("60,000, row comes during the search") << 60000 << 1 << true;
    }

    void rowArrivingBetweenRemovalsMovesTheRest()
    {
        QFETCH(int, rows);
        QFETCH(int, goingOf50);
        QFETCH(bool, comesDuringSearch);
        LibraryTestFixture fixture;
        Library &library = *fixture.library;
        LibraryItems items;
        for (int i = 0; i < rows; ++i)
            items << fixture.makeItem(QStringLiteral("video %1").arg(i, 5, 10, QLatin1Char('0')),
                                      quint32(1000 + i));
        QVERIFY(fixture.addRows(items));
        // The tester walks the whole model at every change: not at 60,000.
        std::optional<QAbstractItemModelTester> tester;
        if (rows <= 1000)
            tester.emplace(library.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QList<qlonglong> ids;
        QStringList expected{QStringLiteral("fresh")};
        for (int row = 0; row < library.model()->rowCount(); ++row) {
            // The newest stays: the new row gets an id of its own, and the
            // rows already found for removal move under it.
            if (row % 50 >= 50 - goingOf50)
                ids << library.model()->idOf(row);
            else
                expected << library.model()->item(row).title();
        }
        int removed = 0;
        std::unique_ptr<QThread> worker(
            QThread::create([&] { removed = library.removal()->removeRecords(ids, false); }));
        worker->start();
        QVERIFY(worker->wait(30000));
        QCOMPARE(removed, ids.size());
        // One turn at a time: the removal comes, the search begins; or until
        // the first rows have gone.
        for (int turn = 0; turn < 2 || (!comesDuringSearch && library.model()->rowCount() == rows);
             ++turn)
            QCoreApplication::processEvents();
        QVERIFY(library.model()->rowCount() > rows - ids.size());
        LibraryStore *store = library.store();
        const LibraryItem fresh = fixture.makeItem(QStringLiteral("fresh"), quint32(2000 + rows));
        QCOMPARE(store->call([&] { return store->insertItems({fresh}); }).size(), 1);
        // (Cheap to ask while it waits: the titles of 60,000 rows are not.)
        QVERIFY(fixture.waitFor(
            [&] { return !library.isBusy() && library.model()->rowCount() == expected.size(); }));
        QVERIFY(fixture.waitIdle());
        QCOMPARE(titles(library), expected);
        QCOMPARE(library.model()->rowCount(), fixture.tableRows(QStringLiteral("library")));
    }

    void importFilesAndFolder()
    {
        const QString longClip = TestSupport::sampleClip(QStringLiteral("library-12s.mp4"), 12);
        const QString shortClip = TestSupport::sampleClip(QStringLiteral("library-4s.flv"), 4);
        const QString mkvClip = TestSupport::sampleClip(QStringLiteral("library-3s.mkv"), 3);
        QVERIFY(!longClip.isEmpty() && !shortClip.isEmpty() && !mkvClip.isEmpty());

        LibraryTestFixture fixture;
        Library &library = *fixture.library;
        QSignalSpy started(library.imports(), &ImportController::importStarted);
        QSignalSpy finished(library.imports(), &ImportController::importFinished);
        QVERIFY(library.imports()->importFile(longClip));
        QVERIFY(library.imports()->importFile(longClip));
        QVERIFY(library.imports()->importFile(longClip));
        QVERIFY(!library.imports()->importFile(fixture.base() + QStringLiteral("/missing.mp4")));
        QVERIFY(!library.imports()->importFile(longClip,
                                               fixture.base() + QStringLiteral("/no-folder")));

        QTemporaryDir source;
        QFile::copy(shortClip, source.filePath(QStringLiteral("short clip.flv")));
        QFile::copy(mkvClip, source.filePath(QStringLiteral("tiny.mkv")));
        library.imports()->importFolder(source.path());
        QVERIFY(fixture.waitIdle());
        QVERIFY(!started.isEmpty());
        QVERIFY(!finished.isEmpty());

        QCOMPARE(library.model()->rowCount(), 5);
        QHash<QString, LibraryItem> byName;
        for (int row = 0; row < library.model()->rowCount(); ++row) {
            const LibraryItem item = library.model()->item(row);
            byName.insert(QFileInfo(item.videoPath()).fileName(), item);
        }
        QCOMPARE(QSet<QString>(byName.keyBegin(), byName.keyEnd()),
                 (QSet<QString>{"library-12s.mp4", "library-12s-1.mp4", "library-12s-2.mp4",
                                "short clip.flv", "tiny.mkv"}));
        QCOMPARE(byName.value("library-12s-1.mp4").duration(), QStringLiteral("00:12"));
        QCOMPARE(byName.value("library-12s-1.mp4").title(), QStringLiteral("library-12s-1"));
        QCOMPARE(byName.value("short clip.flv").duration(), QStringLiteral("00:04"));
        QCOMPARE(byName.value("tiny.mkv").duration(), QStringLiteral("00:03"));
        for (const LibraryItem &item : std::as_const(byName)) {
            QVERIFY2(QFileInfo(item.thumbnailPath()).size() > 0, qPrintable(item.videoPath()));
            QVERIFY(item.thumbnailPath().endsWith(QStringLiteral("-thumb.jpg")));
            QCOMPARE(QFileInfo(item.thumbnailPath()).absolutePath(), fixture.folder());
            QVERIFY(item.downloaded());
            QCOMPARE(qint64(item.sizeInBytes()), item.fileSize());
        }
        // The index was rebuilt after the import.
        QVERIFY(fixture.tableRows(QStringLiteral("dvd_titles")) >= 1);
    }

    void importStartsEveryVideoOnceInOrder_data()
    {
        QTest::addColumn<QStringList>("folders");
        QTest::newRow("one folder") << QStringList{"a"};
        QTest::newRow("same names in two folders") << QStringList{"a", "b"};
    }

    // A long listing goes to the library a few videos per turn of the event
    // loop: every video still goes once, in the listing's order, names taken
    // by earlier copies are not given twice, and the rows stay consistent.
    void importStartsEveryVideoOnceInOrder()
    {
        QFETCH(QStringList, folders);
        const QString clip = TestSupport::sampleClip(QStringLiteral("library-3s.mkv"), 3);
        QVERIFY(!clip.isEmpty());
        constexpr int kPerFolder = 12;
        QTemporaryDir source;
        QStringList expected;
        for (int f = 0; f < folders.size(); ++f) {
            QVERIFY(QDir(source.path()).mkdir(folders.at(f)));
            for (int i = 0; i < kPerFolder; ++i) {
                const QString base = QStringLiteral("clip %1").arg(i, 2, 10, QLatin1Char('0'));
                QVERIFY(QFile::link(clip, source.filePath(folders.at(f) + QLatin1Char('/') + base +
                                                          QStringLiteral(".mkv"))));
                expected << base + (f == 0 ? QString() : QStringLiteral("-%1").arg(f)) +
                                QStringLiteral(".mkv");
            }
        }
        LibraryTestFixture fixture;
        Library &library = *fixture.library;
        QAbstractItemModelTester tester(library.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        // Turns of the event loop, to tell in which turn each video went.
        int turns = 0;
        QTimer turn;
        turn.setInterval(0);
        connect(&turn, &QTimer::timeout, [&turns] { ++turns; });
        turn.start();
        QStringList queued;
        QList<int> queuedInTurn;
        connect(library.imports(), &ImportController::importQueued,
                [&](const QString &, const QString &destination) {
                    queued << QFileInfo(destination).fileName();
                    queuedInTurn << turns;
                });
        QSignalSpy progressed(library.imports()->importSession(), &ImportSession::progressed);
        QSignalSpy finished(library.imports()->importSession(), &ImportSession::finished);
        QStringList paths;
        for (const QString &folder : std::as_const(folders))
            paths << source.filePath(folder);
        library.imports()->importPaths(paths);
        QVERIFY(finished.wait(240000));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(queued, expected);
        // The window had its turns while the videos went out.
        QVERIFY(queuedInTurn.last() > queuedInTurn.first());
        const auto report = finished.first().first().value<ImportReport>();
        QCOMPARE(report.imported, int(expected.size()));
        QCOMPARE(report.skipped(), 0);
        QCOMPARE(progressed.size(), expected.size());
        for (int i = 0; i < progressed.size(); ++i)
            QCOMPARE(progressed.at(i).first().toInt(), i + 1);
        QVERIFY(fixture.waitIdle());
        QStringList stored;
        for (const LibraryItem &item : modelItems(library))
            stored << QFileInfo(item.videoPath()).fileName();
        stored.sort();
        expected.sort();
        QCOMPARE(stored, expected);
        QCOMPARE(fixture.tableRows(QStringLiteral("library")), int(expected.size()));
    }

    // Importing a link copies its target's content; the library holds no link.
    void importedLinkBecomesACopy()
    {
        const QString clip = TestSupport::sampleClip(QStringLiteral("library-3s.mkv"), 3);
        QVERIFY(!clip.isEmpty());
        LibraryTestFixture fixture;
        Library &library = *fixture.library;
        QTemporaryDir source;
        const QString link = source.filePath(QStringLiteral("linked.mkv"));
        QVERIFY(QFile::link(clip, link));
        QVERIFY(library.imports()->importFile(link));
        QVERIFY(fixture.waitIdle());
        QCOMPARE(library.model()->rowCount(), 1);
        const QFileInfo imported(library.model()->item(0).videoPath());
        QVERIFY(imported.exists());
        QVERIFY(!imported.isSymLink());
        QCOMPARE(TestSupport::readFile(imported.filePath()), TestSupport::readFile(clip));
    }

    // "twin.mp4" and "twin.mkv" each keep a thumbnail of their own, and
    // removing one leaves the other's.
    void thumbnailsOfSameBaseName()
    {
        QTemporaryDir source;
        for (const char *name : {"twin.mp4", "twin.mkv"}) {
            const QString clip = TestSupport::sampleClip(
                QStringLiteral("library-3s.") + QFileInfo(QString::fromLatin1(name)).suffix(), 3);
            QVERIFY(!clip.isEmpty());
            QVERIFY(QFile::copy(clip, source.filePath(QString::fromLatin1(name))));
        }
        LibraryTestFixture fixture;
        Library &library = *fixture.library;
        library.imports()->importFolder(source.path());
        QVERIFY(fixture.waitIdle());
        QCOMPARE(library.model()->rowCount(), 2);
        const QString first = library.model()->item(0).thumbnailPath();
        const QString second = library.model()->item(1).thumbnailPath();
        QVERIFY(QFileInfo(first).size() > 0 && QFileInfo(second).size() > 0);
        QVERIFY(first != second);
        library.removal()->removeItem(0);
        QVERIFY(fixture.waitIdle());
        QCOMPARE(library.model()->rowCount(), 1);
        QVERIFY(QFileInfo(library.model()->item(0).thumbnailPath()).size() > 0);
    }

    // The second copy of the video comes by each way in: the folder at once,
    // an import of the folder or of the file, or the file twice in one import.
    void subtitlesComeAndGoWithTheirVideo_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("folder") << QStringLiteral("folder");
        QTest::newRow("import of the folder") << QStringLiteral("import of the folder");
        QTest::newRow("import of the file") << QStringLiteral("import of the file");
        QTest::newRow("file twice in one import") << QStringLiteral("file twice");
    }

    // Subtitles beside a video come with it, under its new name when it was
    // renamed, are never rows of their own, and leave with their video only.
    void subtitlesComeAndGoWithTheirVideo()
    {
        QFETCH(QString, how);
        const QString clip = TestSupport::sampleClip(QStringLiteral("library-3s.mkv"), 3);
        QVERIFY(!clip.isEmpty());
        QTemporaryDir source;
        QVERIFY(QFile::copy(clip, source.filePath(QStringLiteral("Clip.mkv"))));
        const QByteArray srt = "1\n00:00:01,000 --> 00:00:02,000\nHello\n";
        const QByteArray vtt = "WEBVTT\n\n00:01.000 --> 00:02.000\nHallo\n";
        for (const auto &[name, bytes] :
             {std::pair{"Clip.en.srt", srt}, {"Clip.de.vtt", vtt}, {"Stray.en.srt", srt}}) {
            QFile file(source.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }

        LibraryTestFixture fixture;
        Library &library = *fixture.library;
        const QString video = source.filePath(QStringLiteral("Clip.mkv"));
        QSignalSpy finished(library.imports()->importSession(), &ImportSession::finished);
        if (how == QLatin1String("file twice")) {
            library.imports()->importPaths({video, video});
        } else {
            QVERIFY(library.imports()->importFile(video));
            QVERIFY(fixture.waitIdle());
            if (how == QLatin1String("folder"))
                library.imports()->importFolder(source.path());
            else
                library.imports()->importPaths(
                    {how.endsWith(QLatin1String("folder")) ? source.path() : video});
        }
        if (how != QLatin1String("folder"))
            QVERIFY(finished.wait(120000));
        QVERIFY(fixture.waitIdle());

        QCOMPARE(library.model()->rowCount(), 2);
        QStringList videos;
        for (int row = 0; row < library.model()->rowCount(); ++row) {
            const QString video = library.model()->item(row).videoPath();
            videos << QFileInfo(video).fileName();
            QStringList listed;
            for (const SubtitleFile &subtitle : SubtitleFile::besideVideo(video))
                listed << QFileInfo(subtitle.path).fileName() + QLatin1Char('=') +
                              subtitle.languageName();
            const QString base = QFileInfo(video).completeBaseName();
            QCOMPARE(listed, (QStringList{base + ".de.srt=Deutsch", base + ".en.srt=English"}));
        }
        videos.sort();
        QCOMPARE(videos, (QStringList{"Clip-1.mkv", "Clip.mkv"}));
        const QDir folder(fixture.folder());
        QCOMPARE(SubtitleParser::parse(
                     TestSupport::readFile(folder.filePath(QStringLiteral("Clip-1.de.srt")))),
                 SubtitleParser::parse(vtt));
        QVERIFY(!folder.exists(QStringLiteral("Stray.en.srt")));

        const int renamed = QFileInfo(library.model()->item(0).videoPath()).fileName() ==
                                    QStringLiteral("Clip-1.mkv")
                                ? 0
                                : 1;
        library.removal()->removeItem(renamed);
        QVERIFY(fixture.waitIdle());
        QCOMPARE(library.model()->rowCount(), 1);
        QVERIFY(!folder.exists(QStringLiteral("Clip-1.en.srt")));
        QVERIFY(!folder.exists(QStringLiteral("Clip-1.de.srt")));
        QVERIFY(folder.exists(QStringLiteral("Clip.en.srt")));
        QVERIFY(folder.exists(QStringLiteral("Clip.de.srt")));
    }
};

QTEST_GUILESS_MAIN(TestLibrary)
#include "tst_library.moc"
