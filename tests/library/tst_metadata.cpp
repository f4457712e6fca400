#include "LibraryTestFixture.h"
#include "library/MetaDataBuilder.h"
#include "library/MetaDataModel.h"

#include <QSignalSpy>
#include <QSqlError>
#include <QtTest>

class TestMetaData : public QObject
{
    Q_OBJECT

private:
    static QStringList names(const MetaDataModel &model)
    {
        QStringList result;
        for (int row = 0; row < model.rowCount(); ++row)
            result << model.index(row).data().toString();
        return result;
    }

    static bool build(LibraryTestFixture &fixture)
    {
        QSignalSpy updated(fixture.library->metaDataBuilder(), &MetaDataBuilder::update);
        fixture.library->metaDataBuilder()->build();
        return fixture.waitIdle() && updated.size() == 1;
    }

private Q_SLOTS:
    void titlesAndCategories()
    {
        LibraryTestFixture fixture;
        LibraryItem first = fixture.makeItem(QStringLiteral("one"));
        first.dvdTitle(QStringLiteral("X & Y"));
        first.categories(QStringLiteral("A, B"));
        first.stars(QStringLiteral("Ann, Bo"));
        LibraryItem second = fixture.makeItem(QStringLiteral("two"));
        second.dvdTitle(QStringLiteral(" X & Y "));
        second.categories(QStringLiteral("B"));
        second.stars(QStringLiteral("Ann"));
        fixture.addRows({first, second});
        QVERIFY(build(fixture));

        QCOMPARE(fixture.tableRows(QStringLiteral("dvd_titles")), 1);
        QCOMPARE(fixture.tableRows(QStringLiteral("categories")), 2);
        QCOMPARE(fixture.tableRows(QStringLiteral("categoriesxtitles")), 3);
        // A model is stored once per video it is named in.
        QCOMPARE(fixture.tableRows(QStringLiteral("models")), 3);
        QCOMPARE(fixture.tableRows(QStringLiteral("titlesxmodels")), 3);
        QCOMPARE(fixture.tableRows(QStringLiteral("categoriesxmodels")), 5);

        MetaDataModel titles(QStringLiteral("title"), QStringLiteral("dvd_titles"),
                             QStringLiteral("DVD Titles"));
        QCOMPARE(names(titles), (QStringList{"All (1)", "X & Y"}));
        QCOMPARE(titles.headerData(0, Qt::Horizontal).toString(), QStringLiteral("DVD Titles"));
        MetaDataModel categories(QStringLiteral("category"), QStringLiteral("categories"),
                                 QStringLiteral("Categories"));
        QCOMPARE(names(categories), (QStringList{"All (2)", "A", "B"}));

        // A second build starts from scratch.
        QVERIFY(build(fixture));
        QCOMPARE(fixture.tableRows(QStringLiteral("categoriesxtitles")), 3);
    }

    void titlesOfChosenCategories()
    {
        LibraryTestFixture fixture;
        const QList<QPair<QString, QString>> videos = {
            {"Both", "A, B"}, {"OnlyA", "A"}, {"OnlyB", "B"}, {"BothAndC", "C, B, A"}};
        LibraryItems items;
        for (const auto &video : videos) {
            LibraryItem item = fixture.makeItem(video.first);
            item.dvdTitle(video.first);
            item.categories(video.second);
            items << item;
        }
        fixture.addRows(items);
        QVERIFY(build(fixture));

        MetaDataModel categories(QStringLiteral("category"), QStringLiteral("categories"),
                                 QString());
        QList<int> chosen;
        for (int row = 1; row < categories.rowCount(); ++row) {
            const QString name = categories.index(row).data().toString();
            if (name == QLatin1String("A") || name == QLatin1String("B"))
                chosen << categories.idOfRow(row);
        }
        QCOMPARE(chosen.size(), 2);

        MetaDataModel titles(QStringLiteral("title"), QStringLiteral("dvd_titles"), QString());
        QCOMPARE(titles.rowCount(), 5);
        QVERIFY(titles.setStatement(MetaDataModel::titlesStatement(chosen)));
        QVERIFY(!titles.setStatement(MetaDataModel::titlesStatement(chosen)));
        QStringList found = names(titles).mid(1);
        found.sort();
        QCOMPARE(found, (QStringList{"Both", "BothAndC"}));
        QVERIFY(titles.setStatement(MetaDataModel::titlesStatement()));
        QCOMPARE(titles.rowCount(), 5);
    }

    void emptyLibraryAndOddNames()
    {
        LibraryTestFixture fixture;
        QVERIFY(build(fixture));
        MetaDataModel categories(QStringLiteral("category"), QStringLiteral("categories"),
                                 QString());
        QCOMPARE(names(categories), QStringList{"All (0)"});

        LibraryItem item = fixture.makeItem(QStringLiteral("q"));
        item.categories(QStringLiteral("it's, , 100%"));
        fixture.addRows({item});
        QVERIFY(build(fixture));
        categories.refresh();
        QCOMPARE(names(categories), (QStringList{"All (2)", "it's", "100%"}));
    }
};

QTEST_GUILESS_MAIN(TestMetaData)
#include "tst_metadata.moc"
