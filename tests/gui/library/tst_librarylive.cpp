// The library page kept live over a real library file: rows that arrive,
// change or go one at a time, the filters' rules, the table's preview and the
// status strip's slide.
#include "LibraryPage.h"
#include "RefusedPort.h"
#include "ScriptedPrompt.h"
#include "TestSupport.h"
#include "core/SiteConfig.h"
#include "gui/library/CorvLibraryItemWidget.h"
#include "gui/library/LibraryTableView.h"
#include "gui/library/LibraryView.h"
#include "gui/library/LibraryWidget.h"
#include "gui/library/StatusWidget.h"
#include "library/LibraryEdits.h"
#include "library/LibraryFilterModel.h"
#include "library/LibraryModel.h"
#include "library/LibraryRemoval.h"

#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QNetworkProxy>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

namespace {

struct Video
{
    QString title;
    QString categories;
    QString stars;
    QString description;
    QString dvdTitle;
};

// The name and category rules as first written: a case-insensitive wildcard
// expression over each text, the categories split and trimmed.
bool formerRule(const Video &video, const QString &name, const QSet<QString> &categories,
                const QSet<QString> &titles)
{
    if (!name.isEmpty()) {
        const QString pattern =
            name.contains(QLatin1Char('*')) ? name : QLatin1Char('*') + name + QLatin1Char('*');
        QString expression;
        for (const QChar c : pattern) {
            expression += c == QLatin1Char('*')   ? QStringLiteral(".*")
                          : c == QLatin1Char('?') ? QStringLiteral(".")
                                                  : QRegularExpression::escape(QString(c));
        }
        const QRegularExpression whole(QRegularExpression::anchoredPattern(expression),
                                       QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::DotMatchesEverythingOption);
        for (const QString &text :
             {video.title, video.stars, video.categories, video.description}) {
            if (whole.match(text).hasMatch())
                return true;
        }
        return false;
    }
    QSet<QString> parts;
    for (const QString &part : video.categories.split(QLatin1Char(','), Qt::SkipEmptyParts))
        parts.insert(part.trimmed());
    return parts.contains(categories) && (titles.isEmpty() || titles.contains(video.dvdTitle));
}

const QList<Video> &trickyVideos()
{
    static const QList<Video> videos = {
        {"Sunset", "A, B", "Anna", "a quiet evening", "Sea"},
        {"SUNRISE", "B ,A", "bella", "", "Sea"},
        {"Été à Paris", "Travel", "Émile", "un été", "France"},
        {"ete sans accent", "A,D", "", "", "France"},
        {"Straße", "Outdoor", "", "", "Berlin"},
        {"ΣΟΦΙΑ", "", "σοφία", "", "Athens"},
        {"Kelvin \u212A", "", "", "", ""},
        {"naïve", "a", "", "", ""},
        {"ab", "", "cd", "", ""},
        {"star*dust", "B", "", "what? really", ""},
        {"sun/set", "", "", "", ""},
    };
    return videos;
}

LibraryItem itemOf(LibraryTestFixture &fixture, const Video &video, quint32 created)
{
    LibraryItem item =
        fixture.makeItem(video.title, created, QStringLiteral("v%1.mp4").arg(created));
    item.categories(video.categories);
    item.stars(video.stars);
    item.description(video.description);
    item.dvdTitle(video.dvdTitle);
    return item;
}

QString savedPicture(const QString &path, Qt::GlobalColor colour)
{
    QImage image(64, 40, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path) ? path : QString();
}

} // namespace

class TestLibraryLive : public QObject
{
    Q_OBJECT

private:
    RefusedPort m_noSite; // where edits are reported: nobody answers
    struct Page : LibraryPage
    {
        QString paintedTitle(int row) const
        {
            view()->viewport()->grab();
            return tile(row)->findChild<QLabel *>(QStringLiteral("guiTitleMove"))->text();
        }
    };

private Q_SLOTS:
    void initTestCase()
    {
        // Edits are reported to a port on this machine that nobody listens on.
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        QVERIFY(m_noSite.port() != 0);
        SiteConfig::setValue(QStringLiteral("secureMembersUrl"), m_noSite.url());
    }

    void importedFilesAppearOneByOne()
    {
        const QString clip = TestSupport::sampleClip(QStringLiteral("librarylive-1s.mp4"), 1);
        QVERIFY(!clip.isEmpty());
        QTemporaryDir source;
        QStringList paths;
        for (const char *name : {"one.mp4", "two.mp4", "three.mp4"}) {
            paths << source.filePath(QLatin1String(name));
            QVERIFY(QFile::copy(clip, paths.last()));
        }
        Page page;
        page.show();
        QSignalSpy inserted(page.view()->model(), &QAbstractItemModel::rowsInserted);
        QSignalSpy reset(page.fixture.library->model(), &QAbstractItemModel::modelReset);
        QSignalSpy layout(page.fixture.library->model(), &QAbstractItemModel::layoutChanged);
        page.widget->importFiles(paths);
        QTRY_COMPARE_WITH_TIMEOUT(page.view()->model()->rowCount(), 3, 60000);

        // Each file came as a row of its own; nothing was read again whole.
        QCOMPARE(inserted.size(), 3);
        for (const QList<QVariant> &signal : std::as_const(inserted))
            QCOMPARE(signal.at(1).toInt(), signal.at(2).toInt());
        QCOMPARE(reset.size(), 0);
        QCOMPARE(layout.size(), 0);
        QStringList titles;
        for (int row = 0; row < 3; ++row)
            titles << page.paintedTitle(row);
        titles.sort();
        QCOMPARE(titles, (QStringList{"one", "three", "two"}));
    }

    void tilesFollowTheirRows()
    {
        Page page;
        QVERIFY(page.fixture.addRows({page.fixture.makeItem(QStringLiteral("old"), 1000),
                                      page.fixture.makeItem(QStringLiteral("older"), 900)}));
        page.show();
        CorvLibraryItemWidget *old = page.tile(0);
        CorvLibraryItemWidget *older = page.tile(1);
        QCOMPARE(page.paintedTitle(0), QStringLiteral("old"));

        // A newer row goes on top: the tiles move down with their rows.
        QVERIFY(page.fixture.addRows({page.fixture.makeItem(QStringLiteral("new"), 2000)}));
        QCOMPARE(page.tile(1), old);
        QCOMPARE(page.tile(2), older);
        QCOMPARE(page.paintedTitle(0), QStringLiteral("new"));
        QCOMPARE(page.paintedTitle(1), QStringLiteral("old"));

        // The top row goes: the later tiles move up.
        page.fixture.library->removal()->removeItem(0, false);
        QVERIFY(page.fixture.waitIdle());
        QCOMPARE(page.tile(0), old);
        QCOMPARE(page.tile(1), older);
        QCOMPARE(page.paintedTitle(1), QStringLiteral("older"));
    }

    void editedRowRepaints_data()
    {
        QTest::addColumn<int>("sortKey");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("row keeps its place (newest first)")
            << int(LibraryModel::SortDate) << QStringList{"c", "b", "z"};
        QTest::newRow("row moves (by name)")
            << int(LibraryModel::SortTitle) << QStringList{"b", "c", "z"};
    }

    void editedRowRepaints()
    {
        QFETCH(int, sortKey);
        QFETCH(QStringList, titles);
        Page page;
        QVERIFY(page.fixture.addRows({page.fixture.makeItem(QStringLiteral("a"), 1000),
                                      page.fixture.makeItem(QStringLiteral("b"), 2000),
                                      page.fixture.makeItem(QStringLiteral("c"), 3000)}));
        Library *library = page.fixture.library.get();
        library->model()->onSort(LibraryModel::sortHeaders(sortKey),
                                 sortKey == LibraryModel::SortDate ? Qt::DescendingOrder
                                                                   : Qt::AscendingOrder);
        page.show();
        const int row = sortKey == LibraryModel::SortDate ? 2 : 0;
        QCOMPARE(page.paintedTitle(row), QStringLiteral("a"));

        QSignalSpy reset(library->model(), &QAbstractItemModel::modelReset);
        QVERIFY(library->edits()->updateItem(row, QStringLiteral("z"), QString(), QString(),
                                             QString()));
        QVERIFY(page.fixture.waitIdle());
        QCOMPARE(reset.size(), 0);
        QStringList painted;
        for (int r = 0; r < 3; ++r)
            painted << page.paintedTitle(r);
        QCOMPARE(painted, titles);
    }

    void filterKeepsTheRules_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("categories");
        QTest::addColumn<QStringList>("titles");
        const QStringList none;
        for (const char *pattern :
             {"sun",   "SUN",   "été",     "ÉTÉ", "ete",    "straße",    "STRASSE",
              "σοφία", "ΣΟΦΊΑ", "σοφια",   "k",   "\u212A", "NAÏVE",     "bc",
              "b, a",  "sun*",  "*set",    "s?n", "*",      "star*dust", "what?",
              "?",     "sun/",  "a quiet", " "})
            QTest::addRow("name %s", pattern) << QString::fromUtf8(pattern) << none << none;
        QTest::newRow("categories A and B") << QString() << QStringList{"A", "B"} << none;
        QTest::newRow("category a (case counts)") << QString() << QStringList{"a"} << none;
        QTest::newRow("category A") << QString() << QStringList{"A"} << none;
        QTest::newRow("title Sea") << QString() << none << QStringList{"Sea"};
        QTest::newRow("category B, title Sea")
            << QString() << QStringList{"B"} << QStringList{"Sea"};
        QTest::newRow("name wins over categories")
            << QStringLiteral("paris") << QStringList{"Outdoor"} << QStringList{"Berlin"};
    }

    void filterKeepsTheRules()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, categories);
        QFETCH(QStringList, titles);
        const QSet<QString> categorySet(categories.cbegin(), categories.cend());
        const QSet<QString> titleSet(titles.cbegin(), titles.cend());
        LibraryTestFixture fixture;
        LibraryItems items;
        quint32 created = 1000;
        for (const Video &video : trickyVideos())
            items << itemOf(fixture, video, created++);
        QVERIFY(fixture.addRows(items));
        LibraryFilterModel filter;
        filter.setSourceModel(fixture.library->model());
        QCOMPARE(filter.rowCount(), int(trickyVideos().size()));

        filter.setFilter(categorySet, titleSet);
        filter.setNameFilter(name);
        QStringList expected;
        for (const Video &video : trickyVideos()) {
            if (formerRule(video, name, categorySet, titleSet))
                expected << video.title;
        }
        QStringList shown;
        for (int row = 0; row < filter.rowCount(); ++row)
            shown << filter.index(row, 1).data().toString();
        expected.sort();
        shown.sort();
        QCOMPARE(shown, expected);

        // A row added or changed under the filter is judged by its new texts.
        QVERIFY(fixture.addRows({itemOf(fixture, trickyVideos().first(), created++)}));
        fixture.library->edits()->updateItem(fixture.library->model()->rowCount() - 1,
                                             QStringLiteral("Quokka"), QString(), QString(),
                                             QString());
        QVERIFY(fixture.waitIdle());
        int quokkas = 0;
        for (int row = 0; row < filter.rowCount(); ++row)
            quokkas += filter.index(row, 1).data().toString() == QLatin1String("Quokka");
        const Video edited{"Quokka", "", "", "", trickyVideos().first().dvdTitle};
        QCOMPARE(quokkas, formerRule(edited, name, categorySet, titleSet) ? 1 : 0);
    }

    void hoverShowsPreview_data()
    {
        QTest::addColumn<bool>("thumbnail");
        QTest::addColumn<bool>("cover");
        QTest::addColumn<QRgb>("colour");
        QTest::newRow("thumbnail") << true << true << qRgb(255, 0, 0);
        QTest::newRow("cover when no thumbnail") << false << true << qRgb(0, 0, 255);
    }

    void hoverShowsPreview()
    {
        QFETCH(bool, thumbnail);
        QFETCH(bool, cover);
        QFETCH(QRgb, colour);
        Page page;
        LibraryItem item = page.fixture.makeItem(QStringLiteral("Clip"));
        if (thumbnail)
            item.thumbnailPath(
                savedPicture(page.fixture.base() + QStringLiteral("/t.png"), Qt::red));
        if (cover)
            item.coverPath(savedPicture(page.fixture.base() + QStringLiteral("/c.png"), Qt::blue));
        QVERIFY(page.fixture.addRows({item}));
        page.show();
        page.widget->detailViewButtonClicked();
        LibraryTableView *table = page.widget->tableView();
        QVERIFY(QTest::qWaitForWindowExposed(page.widget.get()));
        QWidget *viewport = table->viewport();
        const QPoint onRow = table->visualRect(table->model()->index(0, 1)).center();
        const auto move = [viewport](const QPoint &at) {
            QMouseEvent event(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton,
                              Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &event);
        };
        QLabel *preview = table->previewLabel();

        move(onRow);
        QCOMPARE(table->previewDelay(), 750);
        QVERIFY(table->isPreviewPending());
        QVERIFY(!preview->isVisible());
        // The rest is over: the timer's slot runs.
        QVERIFY(QMetaObject::invokeMethod(table, "displayPreview"));
        QVERIFY(preview->isVisible());
        const QImage shown = preview->pixmap().toImage();
        QVERIFY(shown.width() <= 320 && shown.height() <= 200);
        QCOMPARE(shown.pixel(shown.width() / 2, shown.height() / 2), colour);
        QCOMPARE(preview->pos(), viewport->mapToGlobal(onRow) + QPoint(10, 10));

        // Moving hides it at once and waits again; leaving stops the wait.
        move(onRow + QPoint(3, 0));
        QVERIFY(!preview->isVisible());
        QVERIFY(table->isPreviewPending());
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(viewport, &leave);
        QVERIFY(!table->isPreviewPending());

        // Below the last row there is nothing to preview.
        move(QPoint(5, viewport->height() - 2));
        QVERIFY(QMetaObject::invokeMethod(table, "displayPreview"));
        QVERIFY(!preview->isVisible());
    }

    void statusStripSlides()
    {
        QWidget parent;
        auto *strip = new StatusWidget(&parent);
        parent.show();
        strip->setAnimationDuration(500);
        strip->showStatus(QStringLiteral("Exporting"));
        QVERIFY(strip->isVisible());
        QCOMPARE(strip->height(), 1);
        strip->animateStatusWidget(0.5);
        QCOMPARE(strip->height(), 15);
        strip->animationComplete();
        QCOMPARE(strip->height(), 30);

        strip->hideStatus();
        QVERIFY(strip->isVisible()); // still sliding shut
        strip->animateStatusWidget(0.2);
        strip->animationComplete();
        QVERIFY(!strip->isVisible());
        QCOMPARE(strip->height(), 30);

        // Without a slide it opens and shuts at once.
        strip->setAnimationDuration(0);
        strip->showStatus();
        QVERIFY(strip->isVisible());
        QCOMPARE(strip->height(), 30);
        QCOMPARE(strip->text(), QStringLiteral("Importing files..."));
        strip->hideStatus();
        QVERIFY(!strip->isVisible());
    }
};

QTEST_MAIN(TestLibraryLive)
#include "tst_librarylive.moc"
