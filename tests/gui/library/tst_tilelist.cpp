// The tile list's geometry, keys and scrolling, side by side with the
// framework's list view set up as the library page's list used to be: both
// must put every row in the same place, move the cursor to the same row and
// scroll to the same position, while rows come and go.
#include "gui/library/TileListView.h"

#include <QAbstractItemModelTester>
#include <QHBoxLayout>
#include <QListView>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QtTest>

#include <memory>

namespace {

constexpr int kRowWidth = 400;
constexpr int kRowHeight = 86;

// Every row the size of a tile.
class TileDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return QSize(kRowWidth, kRowHeight);
    }
};

QString rowName(int number)
{
    return QStringLiteral("row %1").arg(number, 6, 10, QLatin1Char('0'));
}

// The widths a widget was painted at.
class PaintWidths : public QObject
{
public:
    explicit PaintWidths(QWidget *widget) { widget->installEventFilter(this); }
    QList<int> widths;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            widths << static_cast<QWidget *>(watched)->width();
        return false;
    }
};

// The two lists over one model, each in a viewport of the same size.
struct Pair
{
    QWidget window;
    QStandardItemModel source;
    QSortFilterProxyModel proxy;
    QListView *old = nullptr;
    TileListView *tiles = nullptr;
    std::unique_ptr<QAbstractItemModelTester> tester;

    Pair(int rows, int viewportHeight)
    {
        for (int row = 0; row < rows; ++row)
            source.appendRow(new QStandardItem(rowName(row * 10)));
        proxy.setSourceModel(&source);
        proxy.sort(0);
        tester = std::make_unique<QAbstractItemModelTester>(
            &proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
        old = new QListView(&window);
        old->setFlow(QListView::TopToBottom);
        old->setUniformItemSizes(true);
        old->setSpacing(0);
        tiles = new TileListView(&window);
        auto *layout = new QHBoxLayout(&window);
        for (QAbstractItemView *view : views()) {
            view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
            view->setSelectionBehavior(QAbstractItemView::SelectRows);
            view->setSelectionMode(QAbstractItemView::SingleSelection);
            view->setEditTriggers(QAbstractItemView::NoEditTriggers);
            view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            view->setFrameShape(QFrame::NoFrame);
            view->setItemDelegate(new TileDelegate(view));
            view->setModel(&proxy);
            view->setFixedSize(kRowWidth + 100, viewportHeight);
            layout->addWidget(view);
        }
        window.show();
    }

    QList<QAbstractItemView *> views() const { return {old, tiles}; }
    // The old list lays its rows out a turn of the event loop after a change.
    bool settled() const { return old->verticalScrollBar()->maximum() == expectedMaximum(); }
    int expectedMaximum() const
    {
        return std::max(0, proxy.rowCount() * kRowHeight - old->viewport()->height());
    }
    QModelIndex row(int number) const { return proxy.index(number, 0); }
};

} // namespace

class TestTileList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A row's place, the row at a point and the scroll range, at the first, a
    // middle and the last row, in a viewport holding a whole number of rows
    // and in one that does not.
    void geometryAsTheOldList_data()
    {
        QTest::addColumn<int>("viewportHeight");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("scroll");
        for (int height : {600, 8 * kRowHeight}) {
            const QByteArray tag = QByteArray::number(height) + " px: ";
            QTest::newRow(tag + "first row, at the top") << height << 0 << 0;
            QTest::newRow(tag + "middle row, scrolled to it") << height << 12345 << 12345 * 86;
            QTest::newRow(tag + "middle row, scrolled between rows")
                << height << 500 << 499 * 86 + 40;
            QTest::newRow(tag + "last row, at the end") << height << 19999 << -1;
        }
    }

    void geometryAsTheOldList()
    {
        QFETCH(int, viewportHeight);
        QFETCH(int, row);
        QFETCH(int, scroll);
        Pair pair(20000, viewportHeight);
        QVERIFY(QTest::qWaitForWindowExposed(&pair.window));
        QTRY_VERIFY(pair.settled());
        QCOMPARE(pair.tiles->verticalScrollBar()->maximum(),
                 pair.old->verticalScrollBar()->maximum());
        QCOMPARE(pair.tiles->verticalScrollBar()->pageStep(),
                 pair.old->verticalScrollBar()->pageStep());
        QCOMPARE(pair.tiles->verticalScrollBar()->singleStep(),
                 pair.old->verticalScrollBar()->singleStep());
        for (QAbstractItemView *view : pair.views())
            view->verticalScrollBar()->setValue(scroll < 0 ? view->verticalScrollBar()->maximum()
                                                           : scroll);
        QCOMPARE(pair.tiles->verticalScrollBar()->value(), pair.old->verticalScrollBar()->value());

        const QModelIndex index = pair.row(row);
        const QRect rect = pair.old->visualRect(index);
        QCOMPARE(pair.tiles->visualRect(index), rect);
        QCOMPARE(rect.height(), kRowHeight);
        // Round trip: every corner and the middle of the row lead back to it,
        // one pixel out leads to its neighbour (or to nothing) in both.
        for (const QPoint &point :
             {rect.topLeft(), rect.center(), rect.bottomRight(), rect.topLeft() - QPoint(0, 1),
              rect.bottomLeft() + QPoint(0, 1), QPoint(rect.right() + 1, rect.center().y())}) {
            QCOMPARE(pair.tiles->indexAt(point), pair.old->indexAt(point));
        }
        QCOMPARE(pair.tiles->indexAt(rect.center()), index);
        QCOMPARE(pair.tiles->indexAt(QPoint(5, pair.tiles->viewport()->height() - 1)),
                 pair.old->indexAt(QPoint(5, pair.old->viewport()->height() - 1)));
    }

    // The keys move the cursor to the row the old list moved it to, and the
    // list scrolls as it did.
    void keysAsTheOldList_data()
    {
        QTest::addColumn<int>("viewportHeight");
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<int>>("keys");
        const QList<int> walk{Qt::Key_Down,   Qt::Key_Down,     Qt::Key_PageDown, Qt::Key_PageDown,
                              Qt::Key_Up,     Qt::Key_PageUp,   Qt::Key_End,      Qt::Key_Up,
                              Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Down,     Qt::Key_Home,
                              Qt::Key_PageUp, Qt::Key_Up,       Qt::Key_Left,     Qt::Key_Right};
        for (int height : {600, 8 * kRowHeight, 3 * kRowHeight + 10}) {
            const QByteArray tag = QByteArray::number(height) + " px";
            QTest::newRow(tag + ", from the top") << height << 0 << walk;
            QTest::newRow(tag + ", from a middle row") << height << 777 << walk;
            QTest::newRow(tag + ", near the end")
                << height << 997
                << QList<int>{Qt::Key_PageDown, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown};
        }
    }

    void keysAsTheOldList()
    {
        QFETCH(int, viewportHeight);
        QFETCH(int, start);
        QFETCH(QList<int>, keys);
        Pair pair(1000, viewportHeight);
        QVERIFY(QTest::qWaitForWindowExposed(&pair.window));
        QTRY_VERIFY(pair.settled());
        for (QAbstractItemView *view : pair.views())
            view->setCurrentIndex(pair.row(start));
        for (int key : keys) {
            for (QAbstractItemView *view : pair.views())
                QTest::keyClick(view, Qt::Key(key));
            const QString what = QKeySequence(key).toString();
            QVERIFY2(pair.tiles->currentIndex().row() == pair.old->currentIndex().row(),
                     qPrintable(QStringLiteral("%1: row %2, the old list's %3")
                                    .arg(what)
                                    .arg(pair.tiles->currentIndex().row())
                                    .arg(pair.old->currentIndex().row())));
            QVERIFY2(pair.tiles->verticalScrollBar()->value() ==
                         pair.old->verticalScrollBar()->value(),
                     qPrintable(QStringLiteral("%1: scrolled to %2, the old list to %3")
                                    .arg(what)
                                    .arg(pair.tiles->verticalScrollBar()->value())
                                    .arg(pair.old->verticalScrollBar()->value())));
            QVERIFY(pair.tiles->selectionModel()->isRowSelected(pair.tiles->currentIndex().row()));
        }
    }

    // Rows that come above, below or among the rows in sight, and rows that
    // go: the scroll position, the rows in sight and the scroll range are the
    // old list's; the model tester watches the rows change under the view.
    void rowsComeAndGo_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("where");
        QTest::addColumn<int>("count");
        QTest::newRow("insert above the rows in sight") << "insert" << 10 << 25;
        QTest::newRow("insert one above") << "insert" << 0 << 1;
        QTest::newRow("insert among them") << "insert" << 402 << 3;
        QTest::newRow("insert below them") << "insert" << 900 << 50;
        QTest::newRow("remove above them") << "remove" << 5 << 30;
        QTest::newRow("remove the rows in sight") << "remove" << 395 << 20;
        QTest::newRow("remove up to the end") << "remove" << 100 << 900;
        QTest::newRow("remove all") << "remove" << 0 << 1000;
    }

    void rowsComeAndGo()
    {
        QFETCH(QString, change);
        QFETCH(int, where);
        QFETCH(int, count);
        Pair pair(1000, 600);
        QVERIFY(QTest::qWaitForWindowExposed(&pair.window));
        QTRY_VERIFY(pair.settled());
        for (QAbstractItemView *view : pair.views())
            view->scrollTo(pair.row(400), QAbstractItemView::PositionAtTop);
        QCOMPARE(pair.tiles->verticalScrollBar()->value(), 400 * kRowHeight);

        // The proxy sorts by name: a row named after row 10 * n + 5 lands
        // after row n.
        if (change == QLatin1String("insert")) {
            for (int i = 0; i < count; ++i) {
                const int before = std::max(0, where - 1);
                pair.source.appendRow(new QStandardItem(rowName(before * 10 + 5) +
                                                        QChar(u'a' + i % 26) + QString::number(i)));
            }
        } else {
            const QModelIndex first = pair.proxy.mapToSource(pair.row(where));
            QVERIFY(pair.source.removeRows(first.row(), count));
        }
        QTRY_VERIFY(pair.settled());
        QCoreApplication::processEvents();
        QCOMPARE(pair.tiles->verticalScrollBar()->maximum(),
                 pair.old->verticalScrollBar()->maximum());
        QCOMPARE(pair.tiles->verticalScrollBar()->value(), pair.old->verticalScrollBar()->value());
        const QPoint top(5, 0);
        QCOMPARE(pair.tiles->indexAt(top), pair.old->indexAt(top));
        if (pair.proxy.rowCount() > 0) {
            const QModelIndex last = pair.row(pair.proxy.rowCount() - 1);
            QCOMPARE(pair.tiles->visualRect(last), pair.old->visualRect(last));
        } else {
            QCOMPARE(pair.tiles->indexAt(top), QModelIndex());
        }
    }

    // Rows that replace all others (the first read of a library, a new
    // model) bring the scroll bar with them, before they are drawn: a list
    // drawn first at the width without it draws every tile twice.
    void scrollBarComesWithTheRows()
    {
        QStringListModel model;
        TileListView view;
        view.setItemDelegate(new TileDelegate(&view));
        view.setModel(&model);
        view.resize(kRowWidth + 100, 600);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(!view.verticalScrollBar()->isVisible());
        const int wide = view.viewport()->width();
        PaintWidths paints(view.viewport());

        QStringList names;
        for (int row = 0; row < 1000; ++row)
            names << rowName(row);
        model.setStringList(names);
        QCOMPARE(view.verticalScrollBar()->maximum(),
                 1000 * kRowHeight - view.viewport()->height());
        QTRY_VERIFY(view.verticalScrollBar()->isVisible());
        const int narrow = view.viewport()->width();
        QVERIFY(narrow < wide);
        QTRY_VERIFY(paints.widths.contains(narrow));
        QCOMPARE(paints.widths, QList<int>{narrow});
    }
};

QTEST_MAIN(TestTileList)
#include "tst_tilelist.moc"
