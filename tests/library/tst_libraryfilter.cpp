#include "library/LibraryFilterModel.h"
#include "library/LibraryItem.h"
#include "library/MetaDataFilterModel.h"

#include <QAbstractItemModelTester>
#include <QStandardItemModel>
#include <QStringListModel>
#include <QtTest>

namespace {

QStandardItem *videoItem(const QString &title)
{
    LibraryItem item;
    item.title(title);
    auto *cell = new QStandardItem;
    cell->setData(QVariant::fromValue(item), Qt::DisplayRole);
    return cell;
}

QString titleAt(const QModelIndex &index)
{
    return index.data().value<LibraryItem>().title();
}

} // namespace

class TestLibraryFilter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // As the library does: a video cell reads as its title.
        QMetaType::registerConverter<LibraryItem, QString>(&LibraryItem::title);
    }

    void filter_data()
    {
        QTest::addColumn<QStringList>("categories");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("itemTitle");
        QTest::addColumn<QString>("itemCategories");
        QTest::addColumn<QString>("itemDvdTitle");
        QTest::addColumn<bool>("accepted");

        const QStringList ab = {"A", "B"};
        QTest::newRow("no filter") << QStringList() << QStringList() << ""
                                   << "x"
                                   << ""
                                   << "" << true;
        QTest::newRow("A and B vs A, D") << ab << QStringList() << ""
                                         << "x"
                                         << "A, D"
                                         << "" << false;
        QTest::newRow("A and B vs B ,A") << ab << QStringList() << ""
                                         << "x"
                                         << "B ,A"
                                         << "" << true;
        QTest::newRow("A vs AB (whole names)") << QStringList{"A"} << QStringList() << ""
                                               << "x"
                                               << "AB"
                                               << "" << false;
        QTest::newRow("title set hit") << QStringList() << QStringList{"Set 1"} << ""
                                       << "x"
                                       << ""
                                       << "Set 1" << true;
        QTest::newRow("title set miss") << QStringList() << QStringList{"Set 1"} << ""
                                        << "x"
                                        << ""
                                        << "Set 2" << false;
        QTest::newRow("both must hold") << QStringList{"A"} << QStringList{"Set 1"} << ""
                                        << "x"
                                        << "A"
                                        << "Set 2" << false;
        QTest::newRow("sun in Sunset") << QStringList() << QStringList() << "sun"
                                       << "Sunset"
                                       << ""
                                       << "" << true;
        QTest::newRow("pattern beats sets") << ab << QStringList{"Set 1"} << "sun"
                                            << "Sunset"
                                            << "C"
                                            << "Other" << true;
        QTest::newRow("pattern miss") << QStringList() << QStringList() << "moon"
                                      << "Sunset"
                                      << ""
                                      << "" << false;
        QTest::newRow("star pattern is whole text") << QStringList() << QStringList() << "sun*"
                                                    << "a sunset"
                                                    << ""
                                                    << "" << false;
        QTest::newRow("star pattern prefix") << QStringList() << QStringList() << "sun*"
                                             << "Sunset"
                                             << ""
                                             << "" << true;
        QTest::newRow("pattern in categories") << QStringList() << QStringList() << "beach"
                                               << "x"
                                               << "Beach, Sun"
                                               << "" << true;
        QTest::newRow("slash in title") << QStringList() << QStringList() << "a*c"
                                        << "a/b/c"
                                        << ""
                                        << "" << true;
        QTest::newRow("regex chars are literal") << QStringList() << QStringList() << "(1)"
                                                 << "Part (1)"
                                                 << ""
                                                 << "" << true;
    }

    void filter()
    {
        QFETCH(QStringList, categories);
        QFETCH(QStringList, titles);
        QFETCH(QString, pattern);
        QFETCH(QString, itemTitle);
        QFETCH(QString, itemCategories);
        QFETCH(QString, itemDvdTitle);
        QFETCH(bool, accepted);

        LibraryItem item;
        item.title(itemTitle);
        item.categories(itemCategories);
        item.dvdTitle(itemDvdTitle);
        QStandardItemModel source(1, 1);
        source.setData(source.index(0, 0), QVariant::fromValue(item));

        LibraryFilterModel filter;
        filter.setSourceModel(&source);
        filter.setFilter(QSet<QString>(categories.begin(), categories.end()),
                         QSet<QString>(titles.begin(), titles.end()));
        filter.setNameFilter(pattern);
        QCOMPARE(filter.rowCount(), accepted ? 1 : 0);

        filter.setNameFilter(QString());
        filter.clearFilter();
        QCOMPARE(filter.rowCount(), 1);
    }

    // The rows shown follow the source's insertions, removals and changes
    // (first, middle and last rows, shown or filtered out) and a new pattern,
    // in the source's order, with consistent model signals, and a selection
    // stays on its video.
    void rowsFollowTheSource_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("shown");
        const auto list = [](const char *joined) {
            return QString::fromLatin1(joined).split(QLatin1Char(','), Qt::SkipEmptyParts);
        };
        // The source: apple, kiwi, banana, fig, avocado; the pattern "a".
        QTest::newRow("nothing") << "none" << 0 << list("") << list("apple,banana,avocado");
        QTest::newRow("insert first, shown")
            << "insert" << 0 << list("apricot") << list("apricot,apple,banana,avocado");
        QTest::newRow("insert first, filtered out")
            << "insert" << 0 << list("lime") << list("apple,banana,avocado");
        QTest::newRow("insert middle, shown")
            << "insert" << 2 << list("papaya") << list("apple,papaya,banana,avocado");
        QTest::newRow("insert two in the middle, one shown")
            << "insert" << 3 << list("lemon,grape") << list("apple,banana,grape,avocado");
        QTest::newRow("insert last, shown")
            << "insert" << 5 << list("guava") << list("apple,banana,avocado,guava");
        QTest::newRow("insert last, filtered out")
            << "insert" << 5 << list("plum") << list("apple,banana,avocado");
        QTest::newRow("remove first") << "remove" << 0 << list("") << list("banana,avocado");
        QTest::newRow("remove filtered out")
            << "remove" << 1 << list("") << list("apple,banana,avocado");
        QTest::newRow("remove middle") << "remove" << 2 << list("") << list("apple,avocado");
        QTest::newRow("remove last") << "remove" << 4 << list("") << list("apple,banana");
        QTest::newRow("change first, still shown")
            << "change" << 0 << list("mango") << list("mango,banana,avocado");
        QTest::newRow("change middle, now filtered out")
            << "change" << 2 << list("cherry") << list("apple,avocado");
        QTest::newRow("change middle, now shown")
            << "change" << 3 << list("date") << list("apple,banana,date,avocado");
        QTest::newRow("change last, now filtered out")
            << "change" << 4 << list("lime") << list("apple,banana");
        QTest::newRow("narrower pattern") << "pattern" << 0 << list("an") << list("banana");
        QTest::newRow("no pattern")
            << "pattern" << 0 << list("") << list("apple,kiwi,banana,fig,avocado");
        QTest::newRow("wildcard pattern") << "pattern" << 0 << list("*o") << list("avocado");
        QTest::newRow("pattern nothing holds") << "pattern" << 0 << list("xyz") << list("");
    }

    void rowsFollowTheSource()
    {
        QFETCH(QString, action);
        QFETCH(int, row);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, shown);

        QStandardItemModel source;
        for (const char *title : {"apple", "kiwi", "banana", "fig", "avocado"})
            source.appendRow(videoItem(QString::fromLatin1(title)));
        LibraryFilterModel filter;
        filter.setSourceModel(&source);
        filter.setNameFilter(QStringLiteral("a"));
        const QAbstractItemModelTester tester(
            &filter, QAbstractItemModelTester::FailureReportingMode::QtTest);
        // The last video shown is selected.
        const QPersistentModelIndex selected = filter.index(filter.rowCount() - 1, 0);
        QCOMPARE(titleAt(selected), QStringLiteral("avocado"));

        if (action == QLatin1String("insert")) {
            QList<QStandardItem *> cells;
            for (const QString &text : std::as_const(texts))
                cells << videoItem(text);
            source.invisibleRootItem()->insertRows(row, cells);
        } else if (action == QLatin1String("remove")) {
            source.removeRow(row);
        } else if (action == QLatin1String("change")) {
            LibraryItem item;
            item.title(texts.value(0));
            source.setData(source.index(row, 0), QVariant::fromValue(item));
        } else if (action == QLatin1String("pattern")) {
            filter.setNameFilter(texts.value(0));
        }

        QStringList titles;
        for (int proxyRow = 0; proxyRow < filter.rowCount(); ++proxyRow) {
            const QModelIndex index = filter.index(proxyRow, 0);
            titles << titleAt(index);
            QCOMPARE(filter.mapFromSource(filter.mapToSource(index)), index);
        }
        QCOMPARE(titles, shown);
        // Every source row is found where it is shown, or not at all.
        for (int sourceRow = 0; sourceRow < source.rowCount(); ++sourceRow) {
            const QModelIndex mapped = filter.mapFromSource(source.index(sourceRow, 0));
            QCOMPARE(mapped.isValid(), shown.contains(titleAt(source.index(sourceRow, 0))));
        }
        if (shown.contains(QStringLiteral("avocado")))
            QCOMPARE(titleAt(selected), QStringLiteral("avocado"));
        else
            QVERIFY(!selected.isValid());
    }

    void allRowStaysFirst_data()
    {
        QTest::addColumn<int>("order");
        QTest::newRow("ascending") << int(Qt::AscendingOrder);
        QTest::newRow("descending") << int(Qt::DescendingOrder);
    }

    void allRowStaysFirst()
    {
        QFETCH(int, order);
        QStringListModel names(QStringList{"All (3)", "beta", "Zulu", "alpha"});
        MetaDataFilterModel sorted;
        sorted.setSourceModel(&names);
        sorted.sort(0, Qt::SortOrder(order));
        QCOMPARE(sorted.index(0, 0).data().toString(), QStringLiteral("All (3)"));
        const QString second = sorted.index(1, 0).data().toString();
        QCOMPARE(second,
                 order == Qt::AscendingOrder ? QStringLiteral("Zulu") : QStringLiteral("beta"));
    }
};

QTEST_GUILESS_MAIN(TestLibraryFilter)
#include "tst_libraryfilter.moc"
