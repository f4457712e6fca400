#include "library/LibraryFilterModel.h"
#include "library/LibraryItem.h"
#include "library/MetaDataFilterModel.h"

#include <QStandardItemModel>
#include <QStringListModel>
#include <QtTest>

class TestLibraryFilter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
