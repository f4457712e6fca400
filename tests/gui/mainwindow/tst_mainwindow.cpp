// The main window with the real engines on the offscreen platform: sidebar
// rows and roles, channel lists from the demo site, counters, page switching,
// pictures over empty pages, keyboard and accessibility.
#include "DemoSiteProcess.h"
#include "Screenshots.h"
#include "ScriptedPrompt.h"
#include "TestSupport.h"

#include "core/SiteConfig.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "engines/Engines.h"
#include "gui/library/LibraryView.h"
#include "gui/mainwindow/Artwork.h"
#include "gui/mainwindow/ChannelList.h"
#include "gui/mainwindow/ChannelRequest.h"
#include "gui/mainwindow/CorvTreeView.h"
#include "gui/mainwindow/InfoWidget.h"
#include "gui/mainwindow/ItemDelegate.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/mainwindow/SidebarModel.h"
#include "library/ImportController.h"
#include "library/Library.h"
#include "library/LibraryModel.h"
#include "library/LibraryRemoval.h"
#include "library/LibraryStore.h"
#include "web/Account.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QCryptographicHash>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTest>
#include <QTimeLine>
#include <QUrlQuery>

#include <memory>

namespace {

QStringList g_messages;

void captureMessages(QtMsgType, const QMessageLogContext &, const QString &text)
{
    g_messages << text;
}

QString rowPath(const QModelIndex &index)
{
    return index.parent().isValid()
               ? rowPath(index.parent()) + QLatin1Char('/') + QString::number(index.row())
               : QString::number(index.row());
}

QStringList topLevelTexts(const QAbstractItemModel *model)
{
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, 0).data().toString();
    return texts;
}

const QByteArray kThreeChannels =
    "<channels>"
    "<channel><name>Featured</name><url>http://127.0.0.1:1/f</url><search>http://127.0.0.1:1/s?q=</"
    "search>"
    "<search_disabled></search_disabled><search_text>Search "
    "Featured</search_text><expand>true</expand>"
    "<channel><name>Picks</name><url>https://127.0.0.1:1/p</url></channel></channel>"
    "<channel><name>Nature</name><url>http://127.0.0.1:1/n</url><search>http://127.0.0.1:1/s?q=</"
    "search>"
    "<search_disabled>1</search_disabled></channel>"
    "<channel><name></name><url>http://127.0.0.1:1/x</url><channel><name>Orphan</name></channel></"
    "channel>"
    "<channel><name>Local</name><url>file:///etc/passwd</url></channel>"
    "<channel><name>SEARCHES</name><channel><name>beach</name></channel></channel>"
    "</channels>";

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DemoSiteProcess> m_site;
    ScriptedPrompt m_prompt;
    std::unique_ptr<Engines> m_engines;
    std::unique_ptr<MainWindow> m_window;

    SidebarModel *model() const { return m_window->sidebarModel(); }

    void press(QStandardItem *item)
    {
        CorvTreeView *tree = m_window->sidebar();
        const QModelIndex index = model()->indexFromItem(item);
        tree->scrollTo(index);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(index).center());
    }

    void fastToolbar()
    {
        for (QTimeLine *line : m_window->findChildren<QTimeLine *>())
            line->setDuration(1);
    }

    // Stores rows the way an import does, through the engines' store.
    void addLibraryRows(int count)
    {
        LibraryItems items;
        for (int i = 0; i < count; ++i) {
            LibraryItem item;
            item.title(QStringLiteral("Clip%1").arg(i));
            item.videoPath(QStringLiteral("/nowhere/clip%1.mp4").arg(i));
            item.guid(QStringLiteral("g%1").arg(i));
            // Size and date make it a whole row, shown as a tile with its texts.
            item.sizeInBytes(1000000 * (i + 1));
            item.creationDate(1700000000 + 86400 * i);
            items << item;
        }
        LibraryStore *store = m_engines->store();
        QCOMPARE(store->call([&] { return store->insertItems(items); }).size(), count);
    }

    void signIn()
    {
        m_engines->account()->login(QStringLiteral("demo"), QStringLiteral("demo"));
        QVERIFY(QMetaObject::invokeMethod(m_window.get(), "loggedIn"));
        QTRY_VERIFY_WITH_TIMEOUT(model()->findByName(QStringLiteral("Nature")), 15000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_site = std::make_unique<DemoSiteProcess>();
        QVERIFY(m_site->isRunning());
        for (const char *key : {"membersUrl", "secureMembersUrl", "channelServerUrl", "updateUrl",
                                "updatePlainUrl", "errorReportUrl", "productSiteUrl", "helpUrl"})
            SiteConfig::setValue(QLatin1String(key), m_site->url());
        m_engines = std::make_unique<Engines>(&m_prompt);
        QVERIFY(m_engines->openDatabase());
        RUN_CHECKED(addLibraryRows(3));
    }

    void init()
    {
        m_window = std::make_unique<MainWindow>(m_engines.get());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void cleanupTestCase() { m_engines.reset(); }

    // Nobody signed in: the library, player and downloads rows work; the
    // site row leads to the form.
    void signedOutWindow()
    {
        m_window.reset();
        m_engines->account()->logout();
        m_window = std::make_unique<MainWindow>(m_engines.get());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QCOMPARE(m_window->currentPage(), MainWindow::WebPage);
        QVERIFY(m_window->sidebar()->isEnabled());
        QCOMPARE(m_window->sidebar()->currentIndex(), model()->indexFromItem(model()->siteItem()));
        Screenshots::keep(m_window.get(), QStringLiteral("signed-out"));

        const struct
        {
            QStandardItem *row;
            MainWindow::Page page;
        } rows[] = {{model()->libraryItem(), MainWindow::LibraryPage},
                    {model()->playerItem(), MainWindow::PlayerPage},
                    {model()->downloadsItem(), MainWindow::DownloadsPage},
                    {model()->siteItem(), MainWindow::WebPage}};
        for (const auto &row : rows) {
            press(row.row);
            QCOMPARE(m_window->currentPage(), row.page);
            QVERIFY(m_window->page(row.page)->isVisible());
        }
        QCOMPARE(static_cast<QStackedWidget *>(m_window->page(MainWindow::WebPage)->parentWidget())
                     ->currentIndex(),
                 int(MainWindow::WebPage));
    }

    // Space plays and pauses, but not while a button, a field or a list has the
    // focus: there it presses, types or chooses as everywhere else.
    void spaceStaysWithTheFocusedControl()
    {
        QAbstractButton *button = nullptr;
        for (QAbstractButton *candidate : m_window->findChildren<QAbstractButton *>()) {
            if (candidate->isVisible() && candidate->isEnabled()) {
                button = candidate;
                break;
            }
        }
        QVERIFY(button);
        button->setFocusPolicy(Qt::StrongFocus);
        button->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(button->hasFocus(), TestSupport::SlowWaitMs);
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(clicked.size(), 1);

        auto *field = m_window->findChild<QLineEdit *>();
        QVERIFY(field);
        field->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(field->hasFocus(), TestSupport::SlowWaitMs);
        field->clear();
        QTest::keyClicks(field, QStringLiteral("a b"));
        QCOMPARE(field->text(), QStringLiteral("a b"));
    }

    void fixedRows_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("selectable");
        QTest::addColumn<QString>("icon");
        QTest::newRow("spacer") << "0"
                                << "" << -1 << false << false << "";
        QTest::newRow("site") << "1"
                              << "Corvana" << 14 << true << true << "corvana";
        QTest::newRow("group") << "2"
                               << "Library" << 14 << true << false << "";
        QTest::newRow("library") << "2/0"
                                 << "My Library (3)" << 12 << false << true << "library";
        QTest::newRow("player") << "2/1"
                                << "Player" << 12 << false << true << "player";
        QTest::newRow("downloads") << "2/2"
                                   << "Downloads (0)" << 12 << false << true << "download";
    }

    void fixedRows()
    {
        QFETCH(QString, path);
        QFETCH(QString, text);
        QFETCH(int, pixelSize);
        QFETCH(bool, bold);
        QFETCH(bool, selectable);
        QFETCH(QString, icon);
        QAbstractItemModelTester tester(model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model()->rowCount(), 3);
        QModelIndex index;
        for (const QString &row : path.split(QLatin1Char('/')))
            index = model()->index(row.toInt(), 0, index);
        QCOMPARE(index.data().toString(), text);
        QCOMPARE(bool(model()->flags(index) & Qt::ItemIsSelectable), selectable);
        if (pixelSize > 0) {
            const QFont font = index.data(Qt::FontRole).value<QFont>();
            QCOMPARE(font.family(), QStringLiteral("Tahoma"));
            QCOMPARE(font.pixelSize(), pixelSize);
            QCOMPARE(font.bold(), bold);
        }
        for (int role : {int(SidebarModel::IconRole), int(SidebarModel::SelectedIconRole)}) {
            const QIcon shown = index.data(role).value<QIcon>();
            QCOMPARE(shown.isNull(), icon.isEmpty());
            if (icon.isEmpty())
                continue;
            // The row shows the picture of its name, and it is really there.
            const QString file =
                QStringLiteral(":/images/sidebar/%1_icon_%2.png")
                    .arg(icon, role == SidebarModel::IconRole ? "normal" : "selected");
            const QImage expected = Artwork::pixmap(file, 1.0).toImage();
            QVERIFY(!expected.isNull());
            QCOMPARE(shown.pixmap(QSize(20, 20), 1.0).toImage().convertToFormat(expected.format()),
                     expected);
        }
        QCOMPARE(model()->siteItem()->data(SidebarModel::UrlRole).toUrl(),
                 m_site->url(QStringLiteral("/members/index.php")));
        for (QStandardItem *item :
             {model()->libraryItem(), model()->playerItem(), model()->downloadsItem()})
            QVERIFY(!item->data(SidebarModel::UrlRole).isValid());
    }

    // Every row shows its whole text, even with six-digit counters; only a
    // text wider than the widest sidebar is elided.
    void sidebarRowsShowWholeTexts_data()
    {
        QTest::addColumn<QString>("channel");
        QTest::newRow("counters") << QString();
        QTest::newRow("long channel")
            << QStringLiteral("A channel whose name is far longer than any sidebar could be");
    }

    void sidebarRowsShowWholeTexts()
    {
        QFETCH(QString, channel);
        CorvTreeView *tree = m_window->sidebar();
        // Unhinted text has fractional widths, as on many desktops.
        QFont font = tree->font();
        font.setHintingPreference(QFont::PreferNoHinting);
        tree->setFont(font);
        if (!channel.isEmpty())
            model()->addChannels({ChannelEntry{channel, QStringLiteral("http://127.0.0.1:1/c")}},
                                 {});
        const auto *delegate = qobject_cast<ItemDelegate *>(tree->itemDelegate());
        QVERIFY(delegate);
        for (int count : {3, 42, 301, 4096, 12345, 99999, 118275, 123456, 999999}) {
            model()->setLibraryCount(count);
            model()->setDownloadCount(count / 3);
            QVERIFY(tree->width() >= 160 && tree->width() <= 280);
            int rows = 0;
            for (QModelIndex index = model()->index(1, 0); index.isValid();
                 index = tree->indexBelow(index)) {
                const QString text = index.data().toString();
                QStyleOptionViewItem option;
                option.initFrom(tree);
                option.font = tree->font();
                option.rect = tree->visualRect(index);
                QVERIFY(option.rect.right() < tree->viewport()->width());
                for (const bool selected : {false, true}) {
                    option.state.setFlag(QStyle::State_Selected, selected);
                    const QString shown = delegate->shownText(option, index);
                    if (text == channel) {
                        QCOMPARE(tree->width(), 280);
                        QVERIFY2(shown.contains(QChar(0x2026)) && shown.size() > 10,
                                 qPrintable(shown));
                    } else {
                        QCOMPARE(shown, text);
                    }
                }
                ++rows;
            }
            QCOMPARE(rows, channel.isEmpty() ? 5 : 6);
        }
        Screenshots::keep(
            m_window.get(),
            QStringLiteral("sidebar-%1").arg(QTest::currentDataTag()).replace(' ', '-'));
        model()->setLibraryCount(3);
        model()->setDownloadCount(0);
        QCOMPARE(tree->width(), channel.isEmpty() ? 160 : 280);
    }

    void sidebarKeepsRoomForLastTimesLibrary()
    {
        // A window closed over 3 rows remembers one digit; one digit more
        // than that widens the sidebar as the count comes.
        QTRY_VERIFY_WITH_TIMEOUT(m_engines->library()->model()->isLoaded(),
                                 TestSupport::SlowWaitMs);
        m_window.reset();
        QCOMPARE(QSettings().value(QLatin1String(MainWindow::SidebarCountDigitsKey)).toInt(), 1);
        RUN_CHECKED(init());
        const int narrow = m_window->sidebar()->width();
        model()->setLibraryCount(123456);
        QVERIFY(m_window->sidebar()->width() > narrow);

        // Last time's 100,000 videos: the sidebar is as wide from the start,
        // so the site's page is not laid out again when the rows are in.
        m_window.reset();
        QSettings().setValue(QLatin1String(MainWindow::SidebarCountDigitsKey), 6);
        RUN_CHECKED(init());
        const int wide = m_window->sidebar()->width();
        QVERIFY(wide > narrow);
        const QRect page = m_window->page(MainWindow::WebPage)->geometry();
        for (int count : {0, 3, 100, 100000, 999999}) {
            model()->setLibraryCount(count);
            QCOMPARE(m_window->sidebar()->width(), wide);
        }
        QCOMPARE(m_window->page(MainWindow::WebPage)->geometry(), page);
        QCOMPARE(model()->libraryItem()->text(), QStringLiteral("My Library (999999)"));
        Screenshots::keep(m_window.get(), QStringLiteral("sidebar-six-digits"));
        m_window.reset();
        QSettings().remove(QLatin1String(MainWindow::SidebarCountDigitsKey));
        RUN_CHECKED(init());
    }

    void channelListGrafting_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QStringList>("topLevel");
        QTest::newRow("three channels")
            << kThreeChannels
            << QStringList{"", "Corvana", "Featured", "Nature", "SEARCHES", "Library"};
        QTest::newRow("not well-formed") << QByteArray("<channels><channel><name>A</name>")
                                         << QStringList{"", "Corvana", "Library"};
        QTest::newRow("other root") << QByteArray("<html><channel><name>A</name></channel></html>")
                                    << QStringList{"", "Corvana", "Library"};
        QTest::newRow("too large")
            << QByteArray(
                   "<channels><channel><name>A</name><url>http://127.0.0.1/</url></channel>") +
                   QByteArray(ChannelList::MaxBytes, ' ') + "</channels>"
            << QStringList{"", "Corvana", "Library"};
        // Refused before it reaches the tree parser, which slows quadratically
        // with depth and overflows the stack on a deep enough document.
        QTest::newRow("nested too deep")
            << "<channels>" +
                   QByteArray("<channel><name>A</name>").repeated(ChannelList::MaxDepth) +
                   QByteArray("</channel>").repeated(ChannelList::MaxDepth) + "</channels>"
            << QStringList{"", "Corvana", "Library"};
    }

    void channelListGrafting()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QStringList, topLevel);
        SidebarModel sidebar;
        QAbstractItemModelTester tester(&sidebar,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QString error;
        const QList<ChannelEntry> channels = ChannelList::parse(xml, &error);
        QCOMPARE(error.isEmpty(), topLevel.size() > 3);
        QStringList made;
        sidebar.addChannels(
            channels, [&](QStandardItem *item, const ChannelEntry &) { made << item->text(); });
        QCOMPARE(topLevelTexts(&sidebar), topLevel);
        if (topLevel.size() == 3)
            return;
        QCOMPARE(made, (QStringList{"Featured", "Picks", "Nature", "SEARCHES", "beach"}));
        QStandardItem *featured = sidebar.findByName(QStringLiteral("featured"));
        QCOMPARE(featured->index().row(), 2);
        QCOMPARE(featured->data(SidebarModel::SearchRole).toString(),
                 QStringLiteral("http://127.0.0.1:1/s?q="));
        QCOMPARE(featured->data(SidebarModel::SelectedIconRole).toString(),
                 QStringLiteral("Search Featured"));
        QCOMPARE(featured->child(0)->text(), QStringLiteral("Picks"));
        QStandardItem *nature = sidebar.findByName(QStringLiteral("Nature"));
        QVERIFY(!nature->data(SidebarModel::SearchRole).isValid()); // search_disabled
        QCOMPARE(nature->data(SidebarModel::SelectedIconRole).toString(),
                 QStringLiteral("Search... "));
        QCOMPARE(nature->data(SidebarModel::UrlRole).toString(),
                 QStringLiteral("http://127.0.0.1:1/n"));
        QStandardItem *searches = sidebar.findByName(QStringLiteral("SEARCHES"));
        QVERIFY(!searches->isSelectable()); // no url
        QVERIFY(!sidebar.findByName(QStringLiteral("Orphan")));
        QVERIFY(!sidebar.findByName(QStringLiteral("Local")));

        sidebar.removeChannels({});
        QCOMPARE(topLevelTexts(&sidebar), (QStringList{"", "Corvana", "Library"}));
        QCOMPARE(sidebar.libraryItem()->parent()->rowCount(), 3);
    }

    void channelRequestForm()
    {
        SiteConfig::setValue(QStringLiteral("channelServerUrl"),
                             QUrl(QStringLiteral("https://channels.example:8443")));
        const QNetworkRequest request =
            ChannelRequest::requestFor(QStringLiteral("ann marie"), QStringLiteral("pässword"));
        SiteConfig::setValue(QStringLiteral("channelServerUrl"), m_site->url());
        const QByteArray hash =
            QCryptographicHash::hash(QStringLiteral("pässword").toUtf8(), QCryptographicHash::Sha1)
                .toHex();
        QCOMPARE(request.url().scheme(), QStringLiteral("https"));
        QCOMPARE(request.url().port(), 8443);
        QCOMPARE(request.url().path(), QStringLiteral("/sidebar.php"));
        const QUrlQuery query(request.url());
        QCOMPARE(query.queryItemValue(QStringLiteral("username"), QUrl::FullyDecoded),
                 QStringLiteral("ann marie"));
        QCOMPARE(query.queryItemValue(QStringLiteral("password")).toLatin1(), hash);
        QVERIFY(request.rawHeader("Authorization").startsWith("?username=ann"));
        QVERIFY(request.rawHeader("Authorization").endsWith("&password=" + hash));
    }

    void signInGraftsChannelsAndSignOutRemovesThem()
    {
        const QByteArray hash = QCryptographicHash::hash("demo", QCryptographicHash::Sha1).toHex();
        g_messages.clear();
        const QtMessageHandler previous = qInstallMessageHandler(captureMessages);
        m_site->control(QStringLiteral("/control/clear"));
        RUN_CHECKED(signIn());
        qInstallMessageHandler(previous);
        QVERIFY(m_window->sidebar()->isEnabled());
        QCOMPARE(topLevelTexts(model()),
                 (QStringList{"", "Corvana", "Featured", "Nature", "Library"}));
        QCOMPARE(
            model()->findByName(QStringLiteral("Featured"))->data(SidebarModel::UrlRole).toString(),
            m_site->url(QStringLiteral("/members/channel.php?c=featured")).toString());
        // The channel icons arrive from the site.
        QTRY_VERIFY_WITH_TIMEOUT(model()->findByName(QStringLiteral("Nature"))
                                         ->data(SidebarModel::IconRole)
                                         .canConvert<QIcon>() &&
                                     model()->findByName(QStringLiteral("Nature"))
                                             ->data(SidebarModel::IconRole)
                                             .userType() == QMetaType::QIcon,
                                 10000);
        // The password's hash never reaches the log.
        QVERIFY(g_messages.filter(QStringLiteral("Send Channel request...")).size() == 1);
        QVERIFY(g_messages.filter(QString::fromLatin1(hash)).isEmpty());
        QCOMPARE(m_window->sidebar()->currentIndex(), model()->indexFromItem(model()->siteItem()));
        // Each sign-in runs the update check.
        QTRY_VERIFY_WITH_TIMEOUT(
            !m_site->requests().filter(QStringLiteral("GET /zelta/update.xml")).isEmpty(), 10000);

        QVERIFY(QMetaObject::invokeMethod(m_window.get(), "loggedOut"));
        QCOMPARE(topLevelTexts(model()), (QStringList{"", "Corvana", "Library"}));
        QVERIFY(m_window->sidebar()->isEnabled()); // the library stays usable

        // In again: the old rows go before the new list lands, no doubles.
        m_site->control(QStringLiteral("/control/clear"));
        QVERIFY(QMetaObject::invokeMethod(m_window.get(), "loggedIn"));
        QTRY_COMPARE_WITH_TIMEOUT(topLevelTexts(model()),
                                  (QStringList{"", "Corvana", "Featured", "Nature", "Library"}),
                                  15000);
        QTRY_VERIFY_WITH_TIMEOUT(
            !m_site->requests().filter(QStringLiteral("GET /zelta/update.xml")).isEmpty(), 10000);
        m_window->refreshChannels(QStringLiteral("Nature"));
        QCOMPARE(topLevelTexts(model()), (QStringList{"", "Corvana", "Library"}));
        QTRY_VERIFY_WITH_TIMEOUT(model()->findByName(QStringLiteral("Nature")), 15000);
        QCOMPARE(m_window->sidebar()->currentIndex().data().toString(), QStringLiteral("Nature"));
        QCOMPARE(model()->rowCount(), 5);
    }

    void channelRequestToADeadServerKeepsTheFixedRows()
    {
        // Signed in, or no request would be sent at all.
        m_engines->account()->login(QStringLiteral("demo"), QStringLiteral("demo"));
        auto *request = m_window->findChild<ChannelRequest *>();
        QVERIFY(request);
        QSignalSpy failed(request, &ChannelRequest::failed);
        QSignalSpy arrived(request, &ChannelRequest::channelsArrived);
        SiteConfig::setValue(QStringLiteral("channelServerUrl"),
                             QUrl(QStringLiteral("http://127.0.0.1:9")));
        m_window->refreshChannels();
        const bool answered = failed.wait(TestSupport::SlowWaitMs);
        SiteConfig::setValue(QStringLiteral("channelServerUrl"), m_site->url());
        QVERIFY(answered);
        QVERIFY(arrived.isEmpty());
        QCOMPARE(topLevelTexts(model()), (QStringList{"", "Corvana", "Library"}));
    }

    void groupRowOnlyToggles()
    {
        RUN_CHECKED(signIn());
        press(model()->playerItem());
        QCOMPARE(m_window->currentPage(), MainWindow::PlayerPage);
        QStandardItem *group = model()->libraryItem()->parent();
        const QModelIndex index = model()->indexFromItem(group);
        QVERIFY(m_window->sidebar()->isExpanded(index));
        press(group);
        QVERIFY(!m_window->sidebar()->isExpanded(index));
        QCOMPARE(m_window->currentPage(), MainWindow::PlayerPage);
        press(group);
        QVERIFY(m_window->sidebar()->isExpanded(index));
        QCOMPARE(m_window->currentPage(), MainWindow::PlayerPage);
    }

    void pagesAndPictures_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<int>("reserve");
        QTest::newRow("web") << int(MainWindow::WebPage) << QString() << 0;
        QTest::newRow("library with videos") << int(MainWindow::LibraryPage) << QString() << 0;
        QTest::newRow("downloads, none") << int(MainWindow::DownloadsPage)
                                         << ":/images/messages/downloadmanager_message.png" << 43;
        QTest::newRow("player, nothing playing")
            << int(MainWindow::PlayerPage) << ":/images/messages/player_message.png" << 63;
    }

    void pagesAndPictures()
    {
        QFETCH(int, page);
        QFETCH(QString, picture);
        QFETCH(int, reserve);
        RUN_CHECKED(signIn());
        fastToolbar();
        QStandardItem *rows[] = {model()->siteItem(), model()->libraryItem(),
                                 model()->downloadsItem(), model()->playerItem()};
        press(rows[page]);
        QCOMPARE(int(m_window->currentPage()), page);
        QCOMPARE(m_window->page(MainWindow::Page(page))->isVisible(), true);
        InfoWidget *info = m_window->infoWidget();
        QCOMPARE(info->isVisible(), !picture.isEmpty());
        if (!picture.isEmpty()) {
            const QPixmap expected = Artwork::pixmap(picture);
            QVERIFY(!expected.isNull());
            QCOMPARE(info->size(), expected.deviceIndependentSize().toSize());
            QCOMPARE(m_window->minimumHeight(), info->height() + reserve);
            QVERIFY(!info->findChild<QLabel *>()->accessibleName().isEmpty());
            // Centred over the page, right of the sidebar.
            const QRect pages = m_window->page(MainWindow::Page(page))->geometry();
            const int pageCentre =
                m_window->centralWidget()
                    ->mapTo(
                        m_window.get(),
                        m_window->page(MainWindow::Page(page))->parentWidget()->geometry().center())
                    .x();
            QVERIFY2(qAbs(info->geometry().center().x() - pageCentre) <= 1,
                     qPrintable(QString::number(pages.width())));
            QVERIFY(info->x() >= m_window->sidebar()->width());
        }
        Screenshots::keep(m_window.get(), QStringLiteral("page%1").arg(page));
        // The player toolbar is in on the player page only.
        QWidget *toolbar = m_window->playerToolbar();
        if (page == MainWindow::PlayerPage) {
            QVERIFY(toolbar->isEnabled());
            QTRY_COMPARE_WITH_TIMEOUT(toolbar->height(), 50, TestSupport::SlowWaitMs);
            press(model()->siteItem());
            QTRY_VERIFY_WITH_TIMEOUT(!toolbar->isVisible(), TestSupport::SlowWaitMs);
            QVERIFY(!info->isVisible());
        } else {
            QVERIFY(!toolbar->isVisible());
        }
    }

    void countersFollowTheEngines()
    {
        RUN_CHECKED(signIn());
        Library *library = m_engines->library();
        QCOMPARE(model()->libraryItem()->text(),
                 QStringLiteral("My Library (%1)").arg(library->model()->rowCount()));
        library->removal()->removeItem(0, false);
        QTRY_COMPARE_WITH_TIMEOUT(model()->libraryItem()->text(), QStringLiteral("My Library (2)"),
                                  TestSupport::SlowWaitMs);

        press(model()->downloadsItem());
        QVERIFY(m_window->infoWidget()->isVisible());
        m_site->control(QStringLiteral("/control/fault?name=slow&value=20000"));
        DownloadManager *downloads = m_engines->downloadManager();
        downloads->initializeDirectDownload(
            m_site->url(QStringLiteral("/media/blob/slow.mp4?bytes=50000000")));
        QTRY_COMPARE_WITH_TIMEOUT(model()->downloadsItem()->text(), QStringLiteral("Downloads (1)"),
                                  10000);
        QVERIFY(!m_window->infoWidget()->isVisible());
        m_prompt.answers = {UserPrompt::Yes};
        downloads->removeAll();
        QTRY_COMPARE_WITH_TIMEOUT(model()->downloadsItem()->text(), QStringLiteral("Downloads (0)"),
                                  10000);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->infoWidget()->isVisible(), TestSupport::SlowWaitMs);
        m_site->control(QStringLiteral("/control/fault?name="));
    }

    void importAnimationOnTheLibraryRow()
    {
        QStandardItem *row = model()->libraryItem();
        const QImage still =
            row->data(SidebarModel::IconRole).value<QIcon>().pixmap(QSize(20, 20), 1.0).toImage();
        Q_EMIT m_engines->library()->imports()->importStarted();
        QTRY_VERIFY_WITH_TIMEOUT(
            row->data(SidebarModel::IconRole).value<QIcon>().pixmap(QSize(20, 20), 1.0).toImage() !=
                still,
            TestSupport::SlowWaitMs);
        Q_EMIT m_engines->library()->imports()->importFinished();
        QCOMPARE(
            row->data(SidebarModel::IconRole).value<QIcon>().pixmap(QSize(20, 20), 1.0).toImage(),
            still);
    }

    void keyboardAndScreenReader()
    {
        RUN_CHECKED(signIn());
        CorvTreeView *tree = m_window->sidebar();
        tree->setFocus();
        QVERIFY(tree->hasFocus());
        for (int i = 0; i < 10 && !tree->currentIndex().data().toString().startsWith("Downloads");
             ++i)
            QTest::keyClick(tree, Qt::Key_Down);
        QTest::keyClick(tree, Qt::Key_Return);
        QCOMPARE(m_window->currentPage(), MainWindow::DownloadsPage);
        QTest::keyClick(tree, Qt::Key_Up);
        QTest::keyClick(tree, Qt::Key_Up);
        QTest::keyClick(tree, Qt::Key_Enter);
        QCOMPARE(m_window->currentPage(), MainWindow::LibraryPage);

        // The rows reach assistive technology with their texts.
        QAccessibleInterface *sidebar = QAccessible::queryAccessibleInterface(tree);
        QVERIFY(sidebar);
        QCOMPARE(sidebar->text(QAccessible::Name), QStringLiteral("Sidebar"));
        QStringList names;
        std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
            for (int i = 0; i < node->childCount(); ++i) {
                QAccessibleInterface *child = node->child(i);
                names << child->text(QAccessible::Name);
                walk(child);
            }
        };
        walk(sidebar);
        for (const QString &row :
             {QString("Corvana"), model()->libraryItem()->text(), QString("Player"),
              model()->downloadsItem()->text(), QString("Featured")})
            QVERIFY2(names.contains(row), qPrintable(row + " not in " + names.join('|')));

        // Every control that takes the focus says what it is.
        for (QWidget *widget : m_window->findChildren<QWidget *>()) {
            if (!widget->isVisibleTo(m_window.get()) || widget->focusPolicy() == Qt::NoFocus ||
                widget->focusProxy())
                continue;
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
            QVERIFY(face);
            QVERIFY2(!face->text(QAccessible::Name).isEmpty(), widget->metaObject()->className());
        }
    }

    void shortcutsAndWindowPlace()
    {
        QStringList shortcuts;
        for (QAction *action : m_window->actions())
            shortcuts << action->shortcut().toString();
        QCOMPARE(shortcuts, (QStringList{"Ctrl+Alt+F", "Ctrl+Alt+I", "Space", "F11"}));

        m_window->move(40, 30);
        // Above the least width the pages need (the library's header with its import
        // buttons and its search field's placeholder shown whole).
        m_window->resize(900, 520);
        const QSize size = m_window->size();
        QVERIFY(size.width() >= 900);
        const QPoint position = m_window->pos();
        m_window.reset();
        QSettings settings;
        QCOMPARE(settings.value(QStringLiteral("WindowSize")).toSize(), size);
        QCOMPARE(settings.value(QStringLiteral("WindowPosition")).toPoint(), position);
        m_window = std::make_unique<MainWindow>(m_engines.get());
        // Brought back as it was, within the screen.
        const QRect screen = m_window->screen()->availableGeometry();
        QCOMPARE(m_window->size(), size.boundedTo(screen.size()));
        if (screen.contains(QRect(position, size)))
            QCOMPARE(m_window->pos(), position);
        else
            QVERIFY(screen.contains(m_window->geometry()));
    }

    // A screen reader walking the window finds each tile's buttons below
    // the tile, with their names, roles and actions; a press does what a
    // click does. The detail table behind the tiles is not there, and no
    // stray top-level frame is either.
    void tileButtonsOnTheAccessibleTree()
    {
        Library *library = m_engines->library();
        LibraryItem gone;
        gone.title(QStringLiteral("Harbour at night"));
        gone.videoPath(QDir::temp().absoluteFilePath(QStringLiteral("zelta-a11y-gone.mp4")));
        gone.sizeInBytes(10);
        gone.creationDate(2000000000);
        LibraryStore *store = library->store();
        const QList<qlonglong> ids = store->call([&] { return store->insertItems({gone}); });
        QCOMPARE(ids.size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(library->model()->rowOfId(ids.first()) >= 0,
                                 TestSupport::SlowWaitMs);
        press(model()->libraryItem());
        QCOMPARE(m_window->currentPage(), MainWindow::LibraryPage);

        using Match = std::function<bool(QAccessibleInterface *)>;
        std::function<QAccessibleInterface *(QAccessibleInterface *, const Match &)> find =
            [&](QAccessibleInterface *node, const Match &match) -> QAccessibleInterface * {
            for (int i = 0; i < node->childCount(); ++i) {
                QAccessibleInterface *child = node->child(i);
                if (!child || child->state().invisible)
                    continue;
                if (match(child))
                    return child;
                // Into the tiles of the list only (they are its children).
                if (QAccessibleInterface *found = find(child, match))
                    return found;
            }
            return nullptr;
        };
        const auto named = [](QAccessible::Role role, const QString &name) -> Match {
            return [=](QAccessibleInterface *node) {
                return node->role() == role && node->text(QAccessible::Name) == name;
            };
        };
        QAccessibleInterface *root = QAccessible::queryAccessibleInterface(m_window.get());
        QAccessibleInterface *list = find(root, named(QAccessible::List, "My videos"));
        QVERIFY(list);
        QVERIFY(!find(root, named(QAccessible::Table, "My videos in detail")));
        QCOMPARE(list->childCount(), library->model()->rowCount());
        QCOMPARE(list->tableInterface()->rowCount(), library->model()->rowCount());

        QAccessibleInterface *tile = find(list, named(QAccessible::ListItem, "Harbour at night"));
        QVERIFY(tile);
        QCOMPARE(tile->parent(), list);
        QCOMPARE(list->indexOfChild(tile), tile->tableCellInterface()->rowIndex());
        QVERIFY(tile->text(QAccessible::Description).contains(QStringLiteral("File missing")));
        QStringList buttons;
        for (int i = 0; i < tile->childCount(); ++i) {
            QAccessibleInterface *button = tile->child(i);
            QCOMPARE(button->role(), QAccessible::Button);
            QCOMPARE(button->parent(), tile);
            QCOMPARE(tile->indexOfChild(button), i);
            QVERIFY(button->actionInterface()->actionNames().contains(
                QAccessibleActionInterface::pressAction()));
            buttons << button->text(QAccessible::Name);
            // A button a screen reader is told is shown has a place on the screen.
            QCOMPARE(button->state().invisible, button->rect().isEmpty());
        }
        QCOMPARE(buttons, (QStringList{"Play", "Delete", "More"}));
        // Delete and More are drawn on the selected tile only.
        auto *view = m_window->findChild<LibraryView *>();
        QVERIFY(view);
        view->selectionModel()->clear();
        QTRY_VERIFY_WITH_TIMEOUT(tile->child(1)->state().invisible, TestSupport::SlowWaitMs);
        QVERIFY(tile->child(2)->state().invisible);
        QVERIFY(!tile->child(0)->state().invisible);

        // Delete asks first (declined here), naming the video.
        m_prompt.messages.clear();
        m_prompt.answers = {UserPrompt::No};
        tile->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE_WITH_TIMEOUT(m_prompt.messages.size(), 1, TestSupport::SlowWaitMs);
        QVERIFY(m_prompt.messages.first().text.contains(QStringLiteral("\"Harbour at night\"")));
        QVERIFY(library->model()->rowOfId(ids.first()) >= 0);

        // Play on a video whose file is gone asks what to do about it.
        QAccessibleInterface *play = find(tile, named(QAccessible::Button, "Play"));
        QVERIFY(play);
        play->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QMessageBox *question = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(
            (question = m_window->findChild<QMessageBox *>(QStringLiteral("missingVideoQuestion"))),
            TestSupport::SlowWaitMs);
        QVERIFY(question->text().contains(QStringLiteral("\"Harbour at night\"")));
        question->reject();

        // The program's top-level windows are its own, each with a name.
        QAccessibleInterface *application = QAccessible::queryAccessibleInterface(qApp);
        for (int i = 0; i < application->childCount(); ++i) {
            const QString name = application->child(i)->text(QAccessible::Name);
            QVERIFY2(name != QLatin1String("Offscreen"), qPrintable(name));
        }

        library->removal()->removeItem(library->model()->rowOfId(ids.first()), false);
        QTRY_COMPARE_WITH_TIMEOUT(library->model()->rowOfId(ids.first()), -1,
                                  TestSupport::SlowWaitMs);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
