// The library page over a real library file: tiles, search, sorting, deletes
// and the media information dialog.
#include "LibraryPage.h"
#include "RefusedPort.h"
#include "Screenshots.h"
#include "ScriptedPrompt.h"
#include "TestSupport.h"
#include "core/SiteConfig.h"
#include "gui/library/CorvHeaderView.h"
#include "gui/library/CorvLibraryItemWidget.h"
#include "gui/library/CorvMediaInformationEditDialog.h"
#include "gui/library/LibraryFilterView.h"
#include "gui/library/LibraryTableView.h"
#include "gui/library/LibraryView.h"
#include "gui/library/LibraryWidget.h"
#include "gui/library/StatusWidget.h"
#include "gui/mainwindow/CorvLibSearchWidget.h"
#include "library/LibraryEdits.h"
#include "library/LibraryFilterModel.h"
#include "library/LibraryModel.h"
#include "library/MetaDataBuilder.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkProxy>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

} // namespace

class TestLibraryPage : public QObject
{
    Q_OBJECT

private:
    RefusedPort m_noSite; // where edits are reported: nobody answers
    struct Page : LibraryPage
    {
        bool filled = true;

        explicit Page(const QStringList &titles = {})
        {
            LibraryItems items;
            quint32 created = 1000;
            for (const QString &title : titles)
                items << fixture.makeItem(title, created += 100, QString(), true);
            // A row that did not make it shows in the titles a test compares.
            if (!items.isEmpty())
                filled = fixture.addRows(items);
            show();
        }
    };

    ScriptedPrompt m_prompt;

private Q_SLOTS:
    void initTestCase()
    {
        // Edits are reported to a port on this machine that nobody listens on.
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        QVERIFY(m_noSite.port() != 0);
        SiteConfig::setValue(QStringLiteral("secureMembersUrl"), m_noSite.url());
    }

    void init()
    {
        m_prompt.messages.clear();
        m_prompt.answers.clear();
    }

    void importedFilesBecomeTiles()
    {
        const QString clip = TestSupport::sampleClip(QStringLiteral("librarypage-3s.mp4"), 3);
        QVERIFY(!clip.isEmpty());
        QTemporaryDir source;
        QStringList paths;
        for (const char *name : {"first.mp4", "second.mp4", "third.mp4"}) {
            paths << source.filePath(QLatin1String(name));
            QVERIFY(QFile::copy(clip, paths.last()));
        }

        Page page;
        page.widget->importFiles(paths);
        QCOMPARE(page.widget->statusWidget()->text(),
                 QStringLiteral("Importing first.mp4 and other files..."));
        QVERIFY(page.widget->statusWidget()->isVisible());
        QVERIFY(page.fixture.waitIdle());
        QTRY_COMPARE_WITH_TIMEOUT(page.view()->model()->rowCount(), 3, TestSupport::SlowWaitMs);
        // After the summary has been up for a moment.
        QTRY_COMPARE_WITH_TIMEOUT(page.widget->statusWidget()->text(), QStringLiteral("3 imported"),
                                  TestSupport::SlowWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!page.widget->statusWidget()->isVisible(), 20000);

        QStringList titles = page.titles();
        titles.sort();
        QCOMPARE(titles, (QStringList{"first", "second", "third"}));
        CorvLibraryItemWidget *tile = page.tile(0);
        QCOMPARE(tile->findChild<QLabel *>(QStringLiteral("guiDurationMove"))->text(),
                 QStringLiteral("3 sec"));
        QCOMPARE(tile->findChild<QLabel *>(QStringLiteral("guiFormatMove"))->text(),
                 QStringLiteral("MP4"));

        const QString shot = qEnvironmentVariable("ZELTA_LIBRARY_SHOT");
        if (!shot.isEmpty()) {
            page.view()->setCurrentIndex(page.index(1));
            QCoreApplication::processEvents();
            page.widget->grab().save(shot);
        }
    }

    // A video without a picture shows the default one, which leaves the middle
    // plain: nothing of its own (no second play symbol) shows through the
    // translucent Play button.
    void defaultPictureIsPlainUnderThePlayButton()
    {
        Page page({QStringLiteral("No picture")});
        CorvLibraryItemWidget *tile = page.tile(0);
        QVERIFY(tile);
        QVERIFY(tile->item().thumbnailPath().isEmpty());
        auto *preview = tile->findChild<QWidget *>(QStringLiteral("guiPreviewImage"));
        auto *play = tile->findChild<QWidget *>(QStringLiteral("guiPlayButton"));
        QVERIFY(preview && play);
        play->hide();
        const QImage picture = preview->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect under = play->geometry();
        QVERIFY(QRect(QPoint(), picture.size()).contains(under));
        int steepest = 0;
        for (int y = under.top(); y <= under.bottom(); ++y) {
            for (int x = under.left(); x < under.right(); ++x) {
                const QRgb a = picture.pixel(x, y), b = picture.pixel(x + 1, y),
                           c = picture.pixel(x, y + 1);
                for (const QRgb other : {b, c})
                    steepest = std::max({steepest, std::abs(qRed(a) - qRed(other)),
                                         std::abs(qGreen(a) - qGreen(other)),
                                         std::abs(qBlue(a) - qBlue(other))});
            }
        }
        QVERIFY2(steepest <= 8, qPrintable(QString::number(steepest)));
    }

    void durationTexts_data()
    {
        QTest::addColumn<QString>("duration");
        QTest::addColumn<QString>("text");
        QTest::newRow("seconds only") << "0:45"
                                      << "45 sec";
        QTest::newRow("padded seconds") << "00:45"
                                        << "45 sec";
        QTest::newRow("minutes") << "02:09"
                                 << "2 mins";
        QTest::newRow("hours fold into minutes") << "1:02:03"
                                                 << "62 mins";
        QTest::newRow("no duration") << ""
                                     << "";
    }

    void durationTexts()
    {
        QFETCH(QString, duration);
        QFETCH(QString, text);
        QCOMPARE(CorvLibraryItemWidget::durationText(duration), text);
    }

    void deleteAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("yes removes the row and shifts the later tiles")
            << int(UserPrompt::Yes) << QStringList{"c", "a"};
        QTest::newRow("no leaves row and selection")
            << int(UserPrompt::No) << QStringList{"c", "b", "a"};
    }

    void deleteAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, left);
        Page page({"a", "b", "c"}); // newest first: c, b, a
        QCOMPARE(page.titles(), (QStringList{"c", "b", "a"}));
        CorvLibraryItemWidget *last = page.tile(2);
        page.view()->setCurrentIndex(page.index(1));
        CorvLibraryItemWidget *selected = page.tile(1);
        QVERIFY(selected->isSelected());
        const QString file = selected->item().videoPath();

        page.prompt.answers << UserPrompt::Button(answer);
        auto *remove = selected->findChild<QPushButton *>(QStringLiteral("guiDeleteButton"));
        QVERIFY(remove->isVisible());
        remove->click();
        QVERIFY(page.fixture.waitIdle());

        QCOMPARE(page.prompt.messages.size(), 1);
        QCOMPARE(page.prompt.messages.first().title, QStringLiteral("Are you sure?"));
        QCOMPARE(page.titles(), left);
        if (answer == UserPrompt::Yes) {
            QVERIFY(!QFile::exists(file));
            QCOMPARE(page.tile(1), last);
        } else {
            QVERIFY(QFile::exists(file));
            QCOMPARE(page.view()->currentIndex().row(), 1);
            QVERIFY(page.view()->selectionModel()->isSelected(page.index(1)));
        }
    }

    void searchFiltersBothPages()
    {
        Page page({"Sunset", "Beach", "Sunrise"});
        CorvLibraryItemWidget *beach = page.tile(1);
        QCOMPARE(beach->item().title(), QStringLiteral("Beach"));

        QTest::keyClicks(page.widget->searchField()->lineEdit(), QStringLiteral("sun"));
        QCOMPARE(page.titles(), (QStringList{"Sunrise", "Sunset"}));
        QCOMPARE(page.widget->tableView()->model()->rowCount(), 2);
        QVERIFY(!page.titles().contains(QStringLiteral("Beach")));

        page.widget->searchField()->clear();
        QCOMPARE(page.titles(), (QStringList{"Sunrise", "Beach", "Sunset"}));
    }

    void filterPaneNarrows_data()
    {
        QTest::addColumn<QStringList>("categories");
        QTest::addColumn<QStringList>("titlesOffered");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("rows");
        QTest::newRow("nothing chosen")
            << QStringList{} << QStringList{"All (3)", "Red", "Sea", "Sky"} << "" << 3;
        QTest::newRow("one category")
            << QStringList{"B"} << QStringList{"All (3)", "Sea", "Sky"} << "" << 2;
        QTest::newRow("two categories")
            << QStringList{"A", "B"} << QStringList{"All (3)", "Sky"} << "" << 1;
        QTest::newRow("a title") << QStringList{} << QStringList{"All (3)", "Red", "Sea", "Sky"}
                                 << "Red" << 1;
    }

    void filterPaneNarrows()
    {
        QFETCH(QStringList, categories);
        QFETCH(QStringList, titlesOffered);
        QFETCH(QString, title);
        QFETCH(int, rows);
        LibraryTestFixture fixture;
        LibraryItems items;
        for (const auto &[name, tags] :
             {std::pair{"Red", "A"}, std::pair{"Sea", "B"}, std::pair{"Sky", "A, B"}}) {
            LibraryItem item = fixture.makeItem(QLatin1String(name));
            item.dvdTitle(QLatin1String(name));
            item.categories(QLatin1String(tags));
            items << item;
        }
        QVERIFY(fixture.addRows(items));
        fixture.library->metaDataBuilder()->build();
        QVERIFY(fixture.waitIdle());

        LibraryWidget widget(fixture.library.get(), &m_prompt);
        widget.resize(900, 600);
        widget.show();
        widget.detailViewButtonClicked();
        LibraryFilterView *pane = widget.filterView();
        const auto names = [](QTreeView *list) {
            QStringList found;
            for (int row = 0; row < list->model()->rowCount(); ++row)
                found << list->model()->index(row, 0).data().toString();
            return found;
        };
        const auto choose = [](QTreeView *list, const QStringList &wanted) {
            for (int row = 0; row < list->model()->rowCount(); ++row) {
                const QModelIndex index = list->model()->index(row, 0);
                if (wanted.contains(index.data().toString())) {
                    list->selectionModel()->select(index, QItemSelectionModel::Select);
                    Q_EMIT list->clicked(index);
                }
            }
        };
        // The lists are read in the store's thread and come a moment later.
        // "All" counts the library's videos.
        QTRY_COMPARE_WITH_TIMEOUT(names(pane->categoryList()), (QStringList{"All (3)", "A", "B"}),
                                  TestSupport::SlowWaitMs);
        choose(pane->categoryList(), categories);
        QTRY_COMPARE_WITH_TIMEOUT(names(pane->titleList()), titlesOffered, TestSupport::SlowWaitMs);
        if (!title.isEmpty())
            choose(pane->titleList(), {title});
        QCOMPARE(widget.tableView()->model()->rowCount(), rows);
        const QString shot = qEnvironmentVariable("ZELTA_LIBRARY_DETAIL_SHOT");
        if (!shot.isEmpty())
            widget.grab().save(shot);
    }

    void sortHeader_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("name ascending")
            << 2 << int(Qt::AscendingOrder) << QStringList{"a", "b", "c"};
        QTest::newRow("name descending")
            << 2 << int(Qt::DescendingOrder) << QStringList{"c", "b", "a"};
        QTest::newRow("date ascending")
            << 0 << int(Qt::AscendingOrder) << QStringList{"b", "c", "a"};
        QTest::newRow("date descending")
            << 0 << int(Qt::DescendingOrder) << QStringList{"a", "c", "b"};
    }

    void sortHeader()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        QFETCH(QStringList, titles);
        Page page({"b", "c", "a"});
        page.widget->header()->setSortIndicator(column == 2 ? 0 : 2, Qt::AscendingOrder);
        page.widget->header()->setSortIndicator(column, Qt::SortOrder(order));
        QCOMPARE(page.titles(), titles);
        QCOMPARE(page.widget->header()->sortColumn(), column);
        QCOMPARE(int(page.widget->header()->sortOrder()), order);
    }

    // Tab from the list reaches the selected tile's Play, Delete and More
    // buttons in turn; each is a push button with a name for screen readers
    // and shows the keyboard focus.
    void tileButtonsByKeyboard()
    {
        Page page({"Clip"});
        page.widget->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(page.widget.get()));
        page.view()->setCurrentIndex(page.index(0));
        page.view()->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY_WITH_TIMEOUT(page.view()->hasFocus(), TestSupport::SlowWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(page.view()->isPersistentEditorOpen(page.index(0)),
                                 TestSupport::SlowWaitMs);
        const QList<QPair<QString, QString>> stops{
            {"guiPlayButton", "Play"}, {"guiDeleteButton", "Delete"}, {"guiMenuButton", "More"}};
        for (const auto &[objectName, name] : stops) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *focused = QApplication::focusWidget();
            QVERIFY(focused);
            QCOMPARE(focused->objectName(), objectName);
            // The play button sits on the picture, the others in the button column.
            QCOMPARE(focused->parentWidget()->parentWidget(), page.tile(0));
            QAccessibleInterface *button = QAccessible::queryAccessibleInterface(focused);
            QVERIFY(button);
            QCOMPARE(button->role(), QAccessible::Button);
            QCOMPARE(button->text(QAccessible::Name), name);
            QVERIFY(button->state().focused);
            if (objectName == QLatin1String("guiDeleteButton"))
                Screenshots::keep(page.tile(0), QStringLiteral("library-tile-focus.png"));
        }
    }

    // The Date/Length/Name bar is a stop before the list: arrows pick a
    // section, Space sorts by it and turns the order round when pressed again.
    void sortHeaderByKeyboard()
    {
        Page page({"b", "c", "a"});
        page.widget->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(page.widget.get()));
        CorvHeaderView *header = page.widget->header();
        page.view()->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY_WITH_TIMEOUT(page.view()->hasFocus(), TestSupport::SlowWaitMs);
        QTest::keyClick(page.view(), Qt::Key_Backtab);
        QTRY_VERIFY_WITH_TIMEOUT(header->hasFocus(), TestSupport::SlowWaitMs);
        QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(header);
        QVERIFY(bar);
        QCOMPARE(bar->text(QAccessible::Name), QStringLiteral("Sort by"));
        QTest::keyClick(header, Qt::Key_Right);
        QTest::keyClick(header, Qt::Key_Right);
        QTest::keyClick(header, Qt::Key_Space);
        QCOMPARE(header->sortColumn(), 2);
        QCOMPARE(page.titles(), (QStringList{"a", "b", "c"}));
        QTest::keyClick(header, Qt::Key_Return);
        QCOMPARE(page.titles(), (QStringList{"c", "b", "a"}));
        QTest::keyClick(header, Qt::Key_Left);
        QTest::keyClick(header, Qt::Key_Left);
        QTest::keyClick(header, Qt::Key_Space);
        QCOMPARE(header->sortColumn(), 0);
        QCOMPARE(page.titles(), (QStringList{"b", "c", "a"}));
        QTest::keyClick(header, Qt::Key_Tab);
        QTRY_VERIFY_WITH_TIMEOUT(page.view()->hasFocus(), TestSupport::SlowWaitMs);
    }

    // A screen reader finds the page on show only: the tile list or the
    // detail table, never both.
    void onlyTheShownPageIsExposed()
    {
        Page page({"Clip"});
        QVERIFY(QTest::qWaitForWindowExposed(page.widget.get()));
        const auto exposed = [&page](QObject *object) {
            QList<QAccessibleInterface *> open{
                QAccessible::queryAccessibleInterface(page.widget.get())};
            while (!open.isEmpty()) {
                QAccessibleInterface *node = open.takeLast();
                if (node->object() == object)
                    return true;
                for (int i = 0; i < node->childCount(); ++i)
                    if (QAccessibleInterface *child = node->child(i))
                        open << child;
            }
            return false;
        };
        QVERIFY(exposed(page.view()));
        QVERIFY(!exposed(page.widget->tableView()));
        page.widget->detailViewButtonClicked();
        QVERIFY(exposed(page.widget->tableView()));
        QVERIFY(!exposed(page.view()));
        page.widget->listViewButtonClicked();
        QVERIFY(exposed(page.view()));
        QVERIFY(!exposed(page.widget->tableView()));
    }

    void editingTagsKeepsTheRest()
    {
        Page page({"Clip"});
        page.fixture.library->edits()->updateItem(0, QStringLiteral("Clip"),
                                                  QStringLiteral("Long\nday"), QStringLiteral("A"),
                                                  QStringLiteral("Ann"));
        QVERIFY(page.fixture.waitIdle());
        CorvMediaInformationEditDialog dialog(page.fixture.library.get(), 0);
        QCOMPARE(dialog.tagsLineEdit()->text(), QStringLiteral("A"));
        dialog.tagsLineEdit()->setText(QStringLiteral("A, B"));
        dialog.accept();
        QVERIFY(page.fixture.waitIdle());

        const LibraryItem item = page.fixture.library->model()->item(0);
        QCOMPARE(item.title(), QStringLiteral("Clip"));
        QCOMPARE(item.description(), QStringLiteral("Long\nday"));
        QCOMPARE(item.categories(), QStringLiteral("A, B"));
        QCOMPARE(item.stars(), QStringLiteral("Ann"));
        // The tile paints the new tags.
        page.view()->viewport()->grab();
        QVERIFY(page.tile(0)
                    ->findChild<QLabel *>(QStringLiteral("guiCategory"))
                    ->text()
                    .contains(QStringLiteral(">B</a>")));
    }
};

QTEST_MAIN(TestLibraryPage)
#include "tst_librarypage.moc"
