// The search fields and the small widgets around the pages, driven with
// real key and mouse events on the offscreen platform.
#include "gui/mainwindow/CorvLibSearchWidget.h"
#include "gui/mainwindow/CorvSearchLineEdit.h"
#include "gui/mainwindow/CorvWebSearchWidget.h"
#include "gui/mainwindow/InfoWidget.h"
#include "gui/mainwindow/WindowPlacement.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringListModel>
#include <QTest>

class TestSearchFields : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void siteSearchEmitsOncePerSearch_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("searches");
        QTest::newRow("empty Return") << QString() << 0;
        QTest::newRow("text Return") << QStringLiteral("harbour") << 1;
    }

    void siteSearchEmitsOncePerSearch()
    {
        QFETCH(QString, typed);
        QFETCH(int, searches);
        QStringListModel suggestions;
        CorvSearchLineEdit field(nullptr, &suggestions);
        field.show();
        QSignalSpy spy(&field, &CorvSearchLineEdit::signalReturnSearchString);
        QTest::keyClicks(&field, typed);
        QTest::keyClick(&field, Qt::Key_Return);
        QCOMPARE(spy.size(), searches);
        if (searches)
            QCOMPARE(spy.first().first().toString(), typed);
    }

    void suggestionChosenSearchesOnce()
    {
        QStringListModel suggestions({QStringLiteral("harbour lights"), QStringLiteral("hills"),
                                      QStringLiteral("meadow")});
        CorvSearchLineEdit field(nullptr, &suggestions);
        field.show();
        QVERIFY(QTest::qWaitForWindowExposed(&field));
        QSignalSpy spy(&field, &CorvSearchLineEdit::signalReturnSearchString);
        // Earlier searches must not make a later suggestion search twice.
        for (int i = 0; i < 3; ++i) {
            field.clear();
            QTest::keyClicks(&field, QStringLiteral("meadow"));
            QTest::keyClick(&field, Qt::Key_Return);
        }
        QCOMPARE(spy.size(), 3);
        spy.clear();

        field.clear();
        QTest::keyClicks(&field, QStringLiteral("HA"));
        QAbstractItemView *popup = field.suggestionCompleter()->popup();
        QTRY_VERIFY(popup->isVisible());
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().first().toString(), QStringLiteral("harbour lights"));
    }

    void webSearchBoxForwardsAndButtonSearches()
    {
        CorvWebSearchWidget box;
        box.show();
        QSignalSpy spy(&box, &CorvWebSearchWidget::signalReturnStringSearch);
        auto *button = box.findChild<QPushButton *>(QStringLiteral("pushButton"));
        QVERIFY(button);
        QVERIFY(!button->accessibleName().isEmpty());
        QVERIFY(!box.lineEdit()->accessibleName().isEmpty());
        QCOMPARE(box.lineEdit()->placeholderText(), QStringLiteral("Search..."));

        QTest::mouseClick(button, Qt::LeftButton); // empty field: nothing
        QCOMPARE(spy.size(), 0);
        QTest::keyClicks(box.lineEdit(), QStringLiteral("coast"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(spy.size(), 1);
        QTest::keyClick(box.lineEdit(), Qt::Key_Return);
        QCOMPARE(spy.size(), 2);
        QVERIFY(button->isDown()); // shown pushed for a moment after Return
        QTRY_VERIFY(!button->isDown());
        box.setSearchText(QStringLiteral("forest"));
        QCOMPARE(spy.size(), 3);
        QCOMPARE(spy.last().first().toString(), QStringLiteral("forest"));
        // The button lies over the field's right end, inside it.
        QVERIFY(box.lineEdit()->rect().contains(button->geometry()));
    }

    void librarySearchClearButton()
    {
        CorvLibSearchWidget box;
        box.show();
        QSignalSpy changed(&box, &CorvLibSearchWidget::textChanged);
        auto *clear = box.findChild<QPushButton *>(QStringLiteral("pushButton"));
        QVERIFY(clear);
        QVERIFY(!clear->isVisible());
        QCOMPARE(box.lineEdit()->placeholderText(), QStringLiteral("Search My Library"));
        QTest::keyClicks(box.lineEdit(), QStringLiteral("a"));
        QVERIFY(clear->isVisible());
        QCOMPARE(changed.size(), 1);
        QTest::mouseClick(clear, Qt::LeftButton);
        QVERIFY(box.text().isEmpty());
        QVERIFY(!clear->isVisible());
        QCOMPARE(changed.last().first().toString(), QString());
    }

    void windowPlacementKeepsTheWindowOnScreen_data()
    {
        QTest::addColumn<QRect>("saved");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QRect>("expected");
        const QRect primary(0, 0, 1920, 1080);
        const QRect second(1920, 0, 1280, 1024);
        QTest::newRow("fits") << QRect(100, 80, 1149, 614) << QList<QRect>{primary}
                              << QRect(100, 80, 1149, 614);
        QTest::newRow("screen gone") << QRect(2500, 100, 1149, 614) << QList<QRect>{primary}
                                     << QRect(385, 232, 1149, 614);
        QTest::newRow("on second screen") << QRect(2500, 100, 600, 400)
                                          << QList<QRect>{primary, second}
                                          << QRect(2500, 100, 600, 400);
        QTest::newRow("hangs off the right") << QRect(1500, 100, 1149, 614)
                                             << QList<QRect>{primary}
                                             << QRect(771, 100, 1149, 614);
        QTest::newRow("title bar above the top") << QRect(100, -200, 800, 600)
                                                 << QList<QRect>{primary}
                                                 << QRect(100, 0, 800, 600);
        QTest::newRow("larger than the screen") << QRect(0, 0, 2400, 1400)
                                                << QList<QRect>{QRect(0, 0, 1366, 740)}
                                                << QRect(0, 0, 1366, 740);
    }

    void windowPlacementKeepsTheWindowOnScreen()
    {
        QFETCH(QRect, saved);
        QFETCH(QList<QRect>, screens);
        QFETCH(QRect, expected);
        QCOMPARE(WindowPlacement::fit(saved, screens), expected);
    }

    void infoWidgetTakesThePictureSize()
    {
        QWidget page;
        InfoWidget info(&page);
        QPixmap picture(120, 80);
        picture.fill(Qt::red);
        info.setPicture(picture);
        QCOMPARE(info.size(), QSize(120, 80));
        // A text longer than the picture has room for makes the card taller, never wider.
        info.setPicture(picture, QStringLiteral("Nothing here"),
                        QStringLiteral("A line of text far too long for so small a picture"));
        QCOMPARE(info.width(), 120);
        QVERIFY2(info.height() > 80, qPrintable(QString::number(info.height())));
        info.showPicture(true);
        QVERIFY(info.autoFillBackground());
        info.showPicture(false);
        QVERIFY(!info.autoFillBackground());
    }
};

QTEST_MAIN(TestSearchFields)
#include "tst_searchfields.moc"
