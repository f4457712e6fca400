// The detail table's order: by a clicked column or the source's, kept while
// the source's rows are inserted, removed and changed, with consistent model
// signals and a selection that stays on its video.
#include "gui/library/LibraryTableSortModel.h"
#include "library/LibraryItem.h"

#include <QAbstractItemModelTester>
#include <QStandardItemModel>
#include <QtTest>

namespace {

constexpr int kNameColumn = 1;
constexpr int kLengthColumn = 2;

QList<QStandardItem *> videoRow(const QString &name, const QString &length)
{
    LibraryItem item;
    item.title(name);
    auto *video = new QStandardItem;
    video->setData(QVariant::fromValue(item), Qt::DisplayRole);
    return {video, new QStandardItem(name), new QStandardItem(length)};
}

} // namespace

class TestLibraryTableOrder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // As the library does: a video cell reads as its title.
        QMetaType::registerConverter<LibraryItem, QString>(&LibraryItem::title);
    }

    void orderFollowsTheSource_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("shown");
        const auto list = [](const char *joined) {
            return QString::fromLatin1(joined).split(QLatin1Char(','), Qt::SkipEmptyParts);
        };
        const int up = Qt::AscendingOrder;
        const int down = Qt::DescendingOrder;
        // The source: delta 1:00, alpha 45, charlie 7200, bravo 600.
        QTest::newRow("by name") << kNameColumn << up << "none" << 0 << ""
                                 << list("alpha 45,bravo 600,charlie 7200,delta 1:00");
        QTest::newRow("by name, descending") << kNameColumn << down << "none" << 0 << ""
                                             << list("delta 1:00,charlie 7200,bravo 600,alpha 45");
        QTest::newRow("by length") << kLengthColumn << up << "none" << 0 << ""
                                   << list("alpha 45,delta 1:00,bravo 600,charlie 7200");
        QTest::newRow("by length, descending")
            << kLengthColumn << down << "none" << 0 << ""
            << list("charlie 7200,bravo 600,delta 1:00,alpha 45");
        QTest::newRow("source's order")
            << -1 << up << "none" << 0 << "" << list("delta 1:00,alpha 45,charlie 7200,bravo 600");
        QTest::newRow("insert first source row, shown last")
            << kNameColumn << up << "insert" << 0 << "echo"
            << list("alpha 45,bravo 600,charlie 7200,delta 1:00,echo 5");
        QTest::newRow("insert last source row, shown first")
            << kNameColumn << up << "insert" << 4 << "able"
            << list("able 5,alpha 45,bravo 600,charlie 7200,delta 1:00");
        QTest::newRow("insert middle, descending")
            << kNameColumn << down << "insert" << 2 << "bz"
            << list("delta 1:00,charlie 7200,bz 5,bravo 600,alpha 45");
        QTest::newRow("insert in the source's order")
            << -1 << up << "insert" << 2 << "zulu"
            << list("delta 1:00,alpha 45,zulu 5,charlie 7200,bravo 600");
        QTest::newRow("same name keeps the source's order")
            << kNameColumn << down << "insert" << 0 << "charlie"
            << list("delta 1:00,charlie 5,charlie 7200,bravo 600,alpha 45");
        QTest::newRow("rename moves up") << kNameColumn << up << "rename" << 0 << "aaa"
                                         << list("aaa 1:00,alpha 45,bravo 600,charlie 7200");
        QTest::newRow("rename moves down") << kNameColumn << up << "rename" << 1 << "zulu"
                                           << list("bravo 600,charlie 7200,delta 1:00,zulu 45");
        QTest::newRow("rename stays") << kNameColumn << up << "rename" << 2 << "charles"
                                      << list("alpha 45,bravo 600,charles 7200,delta 1:00");
        QTest::newRow("rename moves to the end, descending")
            << kNameColumn << down << "rename" << 0 << "a"
            << list("charlie 7200,bravo 600,alpha 45,a 1:00");
        QTest::newRow("new length moves first") << kLengthColumn << up << "length" << 2 << "1"
                                                << list("charlie 1,alpha 45,delta 1:00,bravo 600");
        QTest::newRow("remove the last shown")
            << kNameColumn << up << "remove" << 0 << "" << list("alpha 45,bravo 600,charlie 7200");
        QTest::newRow("remove the first shown") << kNameColumn << up << "remove" << 1 << ""
                                                << list("bravo 600,charlie 7200,delta 1:00");
        QTest::newRow("remove in the source's order")
            << -1 << up << "remove" << 2 << "" << list("delta 1:00,alpha 45,bravo 600");
        QTest::newRow("back to the source's order")
            << kNameColumn << up << "unsort" << 0 << ""
            << list("delta 1:00,alpha 45,charlie 7200,bravo 600");
    }

    void orderFollowsTheSource()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        QFETCH(QString, action);
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(QStringList, shown);

        QStandardItemModel source;
        source.appendRow(videoRow(QStringLiteral("delta"), QStringLiteral("1:00")));
        source.appendRow(videoRow(QStringLiteral("alpha"), QStringLiteral("45")));
        source.appendRow(videoRow(QStringLiteral("charlie"), QStringLiteral("7200")));
        source.appendRow(videoRow(QStringLiteral("bravo"), QStringLiteral("600")));
        LibraryTableSortModel table;
        table.setSourceModel(&source);
        const QAbstractItemModelTester tester(
            &table, QAbstractItemModelTester::FailureReportingMode::QtTest);
        table.sort(column, Qt::SortOrder(order));
        // charlie is selected.
        const QPersistentModelIndex charlie(source.index(2, kNameColumn));
        const QPersistentModelIndex selected(table.mapFromSource(charlie));
        QVERIFY(selected.isValid());

        if (action == QLatin1String("insert"))
            source.insertRow(row, videoRow(text, QStringLiteral("5")));
        else if (action == QLatin1String("remove"))
            source.removeRow(row);
        else if (action == QLatin1String("rename"))
            source.setData(source.index(row, kNameColumn), text);
        else if (action == QLatin1String("length"))
            source.setData(source.index(row, kLengthColumn), text);
        else if (action == QLatin1String("unsort"))
            table.sort(-1);

        QStringList rows;
        for (int tableRow = 0; tableRow < table.rowCount(); ++tableRow) {
            const QModelIndex name = table.index(tableRow, kNameColumn);
            rows << name.data().toString() + QLatin1Char(' ') +
                        table.index(tableRow, kLengthColumn).data().toString();
            QCOMPARE(table.mapFromSource(table.mapToSource(name)), name);
        }
        QCOMPARE(rows, shown);
        QCOMPARE(table.mapToSource(selected), QModelIndex(charlie));
    }
};

QTEST_MAIN(TestLibraryTableOrder)
#include "tst_librarytableorder.moc"
