// What the tile list draws, compared pixel by pixel with a row widget made
// afresh for each row, after every kind of change of the rows; and what the
// mouse and the keys do to the selection.
#include "LibraryPage.h"
#include "Screenshots.h"
#include "ScriptedPrompt.h"
#include "TestSupport.h"
#include "gui/library/CorvHeaderView.h"
#include "gui/library/CorvLibraryItemWidget.h"
#include "gui/library/LibraryView.h"
#include "gui/library/LibraryViewItemDelegate.h"
#include "gui/library/LibraryWidget.h"
#include "gui/mainwindow/CorvLibSearchWidget.h"
#include "library/LibraryFilterModel.h"
#include "library/LibraryModel.h"
#include "library/LibraryRemoval.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

struct Video
{
    const char *title;
    quint32 created;
    const char *stars;
    const char *categories;
};

// Titles that sort differently by date and by name, some alike at first sight.
const QList<Video> kVideos = {
    {"Skyline", 6000, "Anna", "City"},         {"multi 3", 5000, "Bella", "City, Night"},
    {"multi 4", 4000, "Carl", "Night"},        {"Meadow: The Long Summer", 3000, "Dora", "Nature"},
    {"Aurora", 2000, "Emil", "Nature, Night"}, {"Beach", 1000, "Fay", "Sea"},
};

} // namespace

class TestLibraryTiles : public QObject
{
    Q_OBJECT

private:
    struct Page : LibraryPage
    {

        bool fill()
        {
            LibraryItems items;
            for (const Video &video : kVideos) {
                LibraryItem item = fixture.makeItem(QString::fromUtf8(video.title), video.created,
                                                    QStringLiteral("v%1.mp4").arg(video.created));
                item.stars(QString::fromUtf8(video.stars));
                item.categories(QString::fromUtf8(video.categories));
                item.duration(QStringLiteral("0:%1").arg(video.created / 100));
                item.sizeInBytes(video.created * 1000);
                items << item;
            }
            return fixture.addRows(items);
        }
        // Tall enough for every row at once.
        void show() { LibraryPage::show(QSize(900, 1000)); }
    };

    // Every row in view is drawn as a row widget made for that row alone
    // would draw it; the rows that differ, by title.
    static QStringList wrongTiles(LibraryView *view)
    {
        view->clearSelection();
        const QImage shown =
            view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QStringList wrong;
        ScriptedPrompt unanswered; // a fresh tile is only drawn, never clicked
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            const QModelIndex index = view->model()->index(row, 0);
            const QRect rect = view->visualRect(index);
            if (!view->viewport()->rect().contains(rect))
                continue;
            const QSize size(rect.width(), rect.height() - LibraryViewItemDelegate::rowSpacing);
            CorvLibraryItemWidget fresh(view, index, &unanswered);
            const QImage expected =
                fresh.snapshot(index, size).toImage().convertToFormat(QImage::Format_RGB32);
            if (shown.copy(QRect(rect.topLeft(), size)) != expected) {
                wrong << index.data().value<LibraryItem>().title();
                Screenshots::keep(shown, QStringLiteral("tiles-shown"));
                Screenshots::keep(expected, QStringLiteral("tiles-expected-%1").arg(row));
            }
        }
        return wrong;
    }

    // Rows in view whose widget, as the view hands it out, acts on another
    // row (its buttons would play or delete the wrong video), by title.
    static QStringList widgetsOnOtherRows(LibraryView *view)
    {
        QStringList wrong;
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            const QModelIndex index = view->model()->index(row, 0);
            if (!view->viewport()->rect().intersects(view->visualRect(index)))
                continue;
            const CorvLibraryItemWidget *widget = view->itemWidget(index);
            if (!widget || widget->index() != index)
                wrong << index.data().value<LibraryItem>().title();
        }
        return wrong;
    }

private Q_SLOTS:
    // Each case starts in the first order (newest first).
    void init() { QSettings().remove(QStringLiteral("library")); }

    void tilesDrawTheirOwnRow_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("titles");
        const QStringList byDate{"Skyline", "multi 3", "multi 4", "Meadow: The Long Summer",
                                 "Aurora",  "Beach"};
        QTest::newRow("sort by name")
            << "sort" << QStringList{"Aurora",  "Beach",   "Meadow: The Long Summer",
                                     "Skyline", "multi 3", "multi 4"};
        QTest::newRow("search, then clear it") << "search" << byDate;
        QTest::newRow("search narrows") << "narrow" << QStringList{"multi 3", "multi 4"};
        QTest::newRow("insert on top") << "insert" << (QStringList{"Zebra crossing"} + byDate);
        QTest::newRow("insert in between")
            << "insert middle"
            << QStringList{"Skyline", "multi 3", "multi 4", "Harbour", "Meadow: The Long Summer",
                           "Aurora",  "Beach"};
        QTest::newRow("removal") << "remove"
                                 << QStringList{"Skyline", "multi 4", "Meadow: The Long Summer",
                                                "Aurora", "Beach"};
    }

    void tilesDrawTheirOwnRow()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, titles);
        Page page;
        QVERIFY(page.fill());
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(page.widget.get()));
        // Every tile drawn once, so that each row has a widget to be reused.
        QTRY_COMPARE_WITH_TIMEOUT(wrongTiles(page.view()), QStringList(), TestSupport::SlowWaitMs);

        Library *library = page.fixture.library.get();
        if (change == QLatin1String("sort")) {
            page.widget->header()->setSortIndicator(LibraryModel::SortTitle, Qt::AscendingOrder);
        } else if (change == QLatin1String("search") || change == QLatin1String("narrow")) {
            QLineEdit *field = page.widget->searchField()->findChild<QLineEdit *>();
            QVERIFY(field);
            QTest::keyClicks(field, QStringLiteral("multi"));
            QTRY_COMPARE_WITH_TIMEOUT(page.view()->model()->rowCount(), 2, TestSupport::SlowWaitMs);
            QTRY_COMPARE_WITH_TIMEOUT(wrongTiles(page.view()), QStringList(),
                                      TestSupport::SlowWaitMs);
            if (change == QLatin1String("search")) {
                field->clear();
                // At once, before any paint: widgets kept from before the
                // search serve the rows that show their videos again.
                QCOMPARE(widgetsOnOtherRows(page.view()), QStringList());
            }
        } else if (change.startsWith(QLatin1String("insert"))) {
            const bool middle = change.endsWith(QLatin1String("middle"));
            LibraryItem item = page.fixture.makeItem(
                middle ? QStringLiteral("Harbour") : QStringLiteral("Zebra crossing"),
                middle ? 3500 : 9000, QStringLiteral("new.mp4"));
            item.stars(QStringLiteral("Gus"));
            QVERIFY(page.fixture.addRows({item}));
        } else if (change == QLatin1String("remove")) {
            library->removal()->removeItem(1, false);
            QVERIFY(page.fixture.waitIdle());
        }
        QTRY_COMPARE_WITH_TIMEOUT(page.modelTitles(), titles, TestSupport::SlowWaitMs);
        // Once the view has laid out the changed rows.
        QTRY_COMPARE_WITH_TIMEOUT(wrongTiles(page.view()), QStringList(), TestSupport::SlowWaitMs);
    }

    // The order chosen on the sort bar is the order at the next start.
    void sortOrderKeptAcrossRestarts()
    {
        {
            Page page;
            QVERIFY(page.fill());
            page.show();
            page.widget->header()->setSortIndicator(LibraryModel::SortTitle, Qt::AscendingOrder);
            QTRY_COMPARE_WITH_TIMEOUT(page.modelTitles().first(), QStringLiteral("Aurora"),
                                      TestSupport::SlowWaitMs);
        }
        Page again;
        QVERIFY(again.fill());
        again.show();
        QCOMPARE(again.widget->header()->sortColumn(), int(LibraryModel::SortTitle));
        QCOMPARE(again.widget->header()->sortOrder(), Qt::AscendingOrder);
        QTRY_COMPARE_WITH_TIMEOUT(again.modelTitles(),
                                  (QStringList{"Aurora", "Beach", "Meadow: The Long Summer",
                                               "Skyline", "multi 3", "multi 4"}),
                                  TestSupport::SlowWaitMs);
        again.widget->header()->setSortIndicator(LibraryModel::SortDate, Qt::DescendingOrder);
    }

    // The line of facts under a title leaves out what is not known, with
    // its separator; the delete question names the video.
    void tileSaysOnlyWhatItKnows()
    {
        Page page;
        LibraryItem item = page.fixture.makeItem(QStringLiteral("No length"), 500);
        QVERIFY(page.fixture.addRows({item}));
        page.show();
        const QModelIndex index = page.view()->model()->index(0, 0);
        CorvLibraryItemWidget *tile = page.view()->itemWidget(index);
        const auto shown = [tile](const char *name) {
            return tile->findChild<QLabel *>(QLatin1String(name))->isVisibleTo(tile);
        };
        QVERIFY(!shown("guiDurationMove"));
        QCOMPARE(int(shown("guiSpacer0")) + int(shown("guiSpacer1")) + int(shown("guiSpacer2")), 2);

        ScriptedPrompt &prompt = page.prompt;
        prompt.answers << UserPrompt::No;
        page.view()->setCurrentIndex(index);
        tile->findChild<QPushButton *>(QStringLiteral("guiDeleteButton"))->click();
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.messages.first().text,
                 QStringLiteral("Are you sure you want to delete \"No length\"?"));
        QCOMPARE(page.view()->model()->rowCount(), 1);
    }

    // A long title and description are shortened to the tile's width, not
    // cut off at its edge and not widening the page; the tooltip and a
    // screen reader have them whole.
    void longTextsEndInAnEllipsis()
    {
        Page page;
        const QString title = QStringLiteral("A very long holiday film ").repeated(10);
        const QString description =
            QStringLiteral("All day at the sea with the dog. ").repeated(10);
        LibraryItem item = page.fixture.makeItem(title, 500);
        item.description(description);
        QVERIFY(page.fixture.addRows({item}));
        page.show();
        QCOMPARE(page.widget->width(), 900);
        CorvLibraryItemWidget *tile = page.view()->itemWidget(page.view()->model()->index(0, 0));
        for (const auto &[name, text] :
             {std::pair{"guiTitleMove", title}, std::pair{"guiDescription", description}}) {
            auto *label = tile->findChild<QLabel *>(QLatin1String(name));
            QVERIFY2(label->text().endsWith(QChar(0x2026)), name);
            QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <=
                    label->contentsRect().width());
            QCOMPARE(label->accessibleName(), text);
        }
        QCOMPARE(tile->findChild<QLabel *>(QStringLiteral("guiTitleMove"))->toolTip(), title);
    }

    // Moving the mouse lights a row up and leaves the selection and the
    // scroll position alone; a click and the arrow keys select.
    void hoverNeverSelects()
    {
        Page page;
        QVERIFY(page.fill());
        page.show();
        page.widget->resize(900, 300); // a few rows only: the list scrolls
        QVERIFY(QTest::qWaitForWindowExposed(page.widget.get()));
        LibraryView *view = page.view();
        QAbstractItemModel *model = view->model();
        view->setCurrentIndex(model->index(0, 0));
        const int scroll = view->verticalScrollBar()->value();

        for (int row : {1, 2, 1}) {
            const QRect rect = view->visualRect(model->index(row, 0));
            QTest::mouseMove(view->viewport(), rect.center());
            QCoreApplication::processEvents();
            QCOMPARE(view->currentIndex().row(), 0);
            QCOMPARE(view->selectionModel()->selectedRows().size(), 1);
            QCOMPARE(view->selectionModel()->selectedRows().first().row(), 0);
            QCOMPARE(view->verticalScrollBar()->value(), scroll);
        }
        // The lit row and the selected row with its live widget, for a look.
        Screenshots::keep(page.widget.get(), QStringLiteral("tiles-hover"));

        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(model->index(1, 0)).topLeft() + QPoint(300, 3));
        QTRY_COMPARE_WITH_TIMEOUT(view->currentIndex().row(), 1, TestSupport::SlowWaitMs);
        QVERIFY(view->selectionModel()->isRowSelected(1));
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Down);
        QTRY_COMPARE_WITH_TIMEOUT(view->currentIndex().row(), 2, TestSupport::SlowWaitMs);
        QVERIFY(view->selectionModel()->isRowSelected(2));
        QVERIFY(!view->selectionModel()->isRowSelected(1));
    }
};

QTEST_MAIN(TestLibraryTiles)
#include "tst_librarytiles.moc"
