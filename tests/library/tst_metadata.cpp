#include "LibraryTestFixture.h"
#include "RefusedPort.h"
#include "core/SiteConfig.h"
#include "library/ImportController.h"
#include "library/LibraryEdits.h"
#include "library/LibraryModel.h"
#include "library/LibraryRemoval.h"
#include "library/MetaDataBuilder.h"
#include "library/MetaDataModel.h"

#include <QNetworkProxy>
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

    static QStringList column(const LibraryLocation &library, const QString &statement)
    {
        QSqlQuery query(TestDatabase::database(library));
        QStringList values;
        if (!query.exec(statement))
            return {query.lastError().text()};
        while (query.next())
            values << LibraryItem::decode(query.value(0).toString());
        values.sort();
        return values;
    }

    // The index by names, ids left out: the titles, the categories, each
    // model with its title and categories, each category-title link.
    static QStringList content(const LibraryLocation &library)
    {
        QStringList all;
        all << column(library, QStringLiteral("SELECT title FROM dvd_titles"))
            << QStringLiteral("--")
            << column(library, QStringLiteral("SELECT category FROM categories"))
            << QStringLiteral("--")
            << column(library,
                      QStringLiteral(
                          "SELECT m.name || ' in ' || IFNULL((SELECT group_concat(t.title) FROM "
                          "titlesxmodels x LEFT JOIN dvd_titles t ON t.id = x.title_id WHERE "
                          "x.model_id = "
                          "m.id), '?') || ' of ' || IFNULL((SELECT group_concat(c) FROM (SELECT "
                          "IFNULL(c.category, '?') AS c FROM categoriesxmodels x LEFT JOIN "
                          "categories c "
                          "ON c.id = x.category_id WHERE x.model_id = m.id ORDER BY 1)), '') FROM "
                          "models "
                          "m"))
            << QStringLiteral("--")
            << column(library,
                      QStringLiteral(
                          "SELECT IFNULL(c.category, '?') || ' x ' || IFNULL(t.title, '?') FROM "
                          "categoriesxtitles x LEFT JOIN categories c ON c.id = x.category_id LEFT "
                          "JOIN "
                          "dvd_titles t ON t.id = x.title_id"))
            << QStringLiteral("--")
            << column(library, QStringLiteral("SELECT COUNT(*) FROM titlesxmodels"))
            << column(library, QStringLiteral("SELECT COUNT(*) FROM categoriesxmodels"));
        return all;
    }

    static int rowOf(const Library &library, const QString &title)
    {
        for (int row = 0; row < library.model()->rowCount(); ++row) {
            if (library.model()->item(row).title() == title)
                return row;
        }
        return -1;
    }

    // "add video|title|categories|stars", "edit video|categories|stars" or "remove video".
    static bool apply(LibraryTestFixture &fixture, const QString &step)
    {
        const QStringList parts = step.section(QLatin1Char(' '), 1).split(QLatin1Char('|'));
        const QString verb = step.section(QLatin1Char(' '), 0, 0);
        Library &library = *fixture.library;
        if (verb == QLatin1String("add")) {
            LibraryItem item = fixture.makeItem(parts.at(0), 1000, QString(), true);
            item.dvdTitle(parts.at(1));
            item.categories(parts.at(2));
            item.stars(parts.at(3));
            item.guid(parts.at(0));
            library.imports()->importItems(item);
        } else {
            const int row = rowOf(library, parts.at(0));
            if (row < 0)
                return false;
            if (verb == QLatin1String("remove"))
                library.removal()->removeItem(row, true);
            else if (verb == QLatin1String("forget"))
                library.removal()->removeItem(parts.at(0));
            else if (!library.edits()->updateItem(row, parts.at(0), QString(), parts.at(1),
                                                  parts.at(2)))
                return false;
        }
        return fixture.waitIdle();
    }

private Q_SLOTS:
    void followsChangesAsAFullBuildWould_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("imports") << QStringList{"add v1|X|A, B|Ann, Bo", "add v2| X |B|Ann",
                                                "add v3|||", "add v4|Y|C, A|Cy"};
        QTest::newRow("edits") << QStringList{"add v1|X|A|Ann", "add v2|Y|A, B|Bo",
                                              "edit v1|C|Cy, Ann", "edit v2||", "edit v1|B, B|Bo"};
        QTest::newRow("last uses removed") << QStringList{"add v1|X|A|Ann", "add v2|Y|B|Bo",
                                                          "add v3|X|B|", "remove v1", "remove v3"};
        QTest::newRow("same pair in two videos") << QStringList{
            "add v1|X|A, A|Ann, Ann", "add v2|X|A|Ann", "remove v1", "edit v2|A, B|Ann"};
        QTest::newRow("newest removed, its id taken again")
            << QStringList{"add v1|X|A|Ann", "add v2|Y|B|Bo", "remove v2",
                           "add v3|Z|C|Cy",  "remove v1",     "add v4|X|A|Ann"};
        QTest::newRow("removed by guid")
            << QStringList{"add v1|X|A|Ann", "add v2|Y|B|Bo", "forget v1", "forget v2"};
        QTest::newRow("everything removed") << QStringList{"add v1|X|A|Ann", "remove v1"};
    }

    void followsChangesAsAFullBuildWould()
    {
        QFETCH(QStringList, steps);
        // Edits are reported to a site that is not there.
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        const RefusedPort noSite;
        QVERIFY(noSite.port() != 0);
        SiteConfig::setValue(QStringLiteral("secureMembersUrl"), noSite.url());

        LibraryTestFixture fixture;
        QVERIFY(build(fixture));
        for (const QString &step : std::as_const(steps))
            QVERIFY2(apply(fixture, step), qPrintable(step));
        const QStringList followed = content(fixture.location());
        QVERIFY(build(fixture));
        QCOMPARE(followed, content(fixture.location()));
    }

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
        QVERIFY(fixture.addRows({first, second}));
        QVERIFY(build(fixture));

        QCOMPARE(fixture.tableRows(QStringLiteral("dvd_titles")), 1);
        QCOMPARE(fixture.tableRows(QStringLiteral("categories")), 2);
        QCOMPARE(fixture.tableRows(QStringLiteral("categoriesxtitles")), 3);
        // A model is stored once per video it is named in.
        QCOMPARE(fixture.tableRows(QStringLiteral("models")), 3);
        QCOMPARE(fixture.tableRows(QStringLiteral("titlesxmodels")), 3);
        QCOMPARE(fixture.tableRows(QStringLiteral("categoriesxmodels")), 5);

        MetaDataModel titles(QStringLiteral("title"), QStringLiteral("dvd_titles"),
                             QStringLiteral("DVD Titles"), nullptr, fixture.library->store(),
                             MetaDataModel::Reading::Waiting);
        QCOMPARE(names(titles), (QStringList{"All (1)", "X & Y"}));
        QCOMPARE(titles.headerData(0, Qt::Horizontal).toString(), QStringLiteral("DVD Titles"));
        MetaDataModel categories(QStringLiteral("category"), QStringLiteral("categories"),
                                 QStringLiteral("Categories"), nullptr, fixture.library->store(),
                                 MetaDataModel::Reading::Waiting);
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
        QVERIFY(fixture.addRows(items));
        QVERIFY(build(fixture));

        MetaDataModel categories(QStringLiteral("category"), QStringLiteral("categories"),
                                 QString(), nullptr, fixture.library->store(),
                                 MetaDataModel::Reading::Waiting);
        QList<int> chosen;
        for (int row = 1; row < categories.rowCount(); ++row) {
            const QString name = categories.index(row).data().toString();
            if (name == QLatin1String("A") || name == QLatin1String("B"))
                chosen << categories.idOfRow(row);
        }
        QCOMPARE(chosen.size(), 2);

        MetaDataModel titles(QStringLiteral("title"), QStringLiteral("dvd_titles"), QString(),
                             nullptr, fixture.library->store(), MetaDataModel::Reading::Waiting);
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
                                 QString(), nullptr, fixture.library->store(),
                                 MetaDataModel::Reading::Waiting);
        QCOMPARE(names(categories), QStringList{"All (0)"});

        LibraryItem item = fixture.makeItem(QStringLiteral("q"));
        item.categories(QStringLiteral("it's, , 100%"));
        QVERIFY(fixture.addRows({item}));
        QVERIFY(build(fixture));
        categories.refresh();
        QCOMPARE(names(categories), (QStringList{"All (2)", "it's", "100%"}));
    }
};

QTEST_GUILESS_MAIN(TestMetaData)
#include "tst_metadata.moc"
