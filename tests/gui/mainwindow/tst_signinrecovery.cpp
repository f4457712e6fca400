// The main window against the demo site as a member meets it: a wrong
// password brings the site's form back with a message (never a browser error
// page), the right one then signs in; with the site down the library, player
// and downloads work, the site's row shows the offline page, and Retry signs
// in once the site is back. Quitting with downloads running asks first.
#include "DemoSiteProcess.h"
#include "RefusedPort.h"
#include "Screenshots.h"
#include "ScriptedPrompt.h"
#include "TestSupport.h"
#include "WebTestView.h"

#include "core/SiteConfig.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "engines/Engines.h"
#include "gui/mainwindow/CorvTreeView.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/mainwindow/SidebarModel.h"
#include "gui/player/PlayerTransport.h"
#include "gui/web/CorvExtendedScrolledWebView.h"
#include "gui/web/WebWidget.h"
#include "web/Account.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

using namespace WebTestView;

namespace {

void pointSiteAt(const QUrl &url)
{
    for (const char *key :
         {"membersUrl", "secureMembersUrl", "channelServerUrl", "updateUrl", "updatePlainUrl"})
        SiteConfig::setValue(QString::fromLatin1(key), url);
}

void press(MainWindow &window, QStandardItem *item)
{
    CorvTreeView *tree = window.sidebar();
    const QModelIndex index = window.sidebarModel()->indexFromItem(item);
    tree->scrollTo(index);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(index).center());
}

int requestsFor(const DemoSiteProcess &site, const QString &path)
{
    return site.requests().filter(QStringLiteral("GET ") + path + QLatin1Char(' ')).size();
}

QMessageBox *quitQuestion(MainWindow &window)
{
    auto *box = window.findChild<QMessageBox *>(QStringLiteral("QuitWithDownloadsQuestion"));
    return box && box->isVisible() ? box : nullptr;
}

int downloading(const DownloadManager &downloads)
{
    const QList<Download *> active = downloads.activeDownloads();
    return int(std::count_if(active.begin(), active.end(), [](const Download *download) {
        return download->state() == Download::Downloading;
    }));
}

// What each download is doing, for a failure's message.
QString states(const DownloadManager &downloads)
{
    QStringList states;
    for (const QList<Download *> &list : {downloads.activeDownloads(), downloads.queuedDownloads()})
        for (const Download *download : list)
            states << QStringLiteral("%1: %2").arg(download->mediaPath()).arg(download->state());
    return states.join(QStringLiteral("; "));
}

} // namespace

class TestSignInRecovery : public QObject
{
    Q_OBJECT

private:
    ScriptedPrompt m_prompt;

private Q_SLOTS:
    void initTestCase()
    {
        // The windows come and go between the cases.
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void wrongPasswordThenRightPassword()
    {
        DemoSiteProcess site;
        QVERIFY(site.isRunning());
        pointSiteAt(site.url());
        Engines engines(&m_prompt);
        QVERIFY(engines.openDatabase());
        MainWindow window(&engines);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *web = static_cast<WebWidget *>(window.page(MainWindow::WebPage));
        CorvExtendedScrolledWebView *view = web->view(WebWidget::SiteView);
        QVERIFY(waitForPath(view, QStringLiteral("/start/index.php")));

        site.control(QStringLiteral("/control/clear"));
        QVERIFY(submitSignIn(view, QStringLiteral("demo"), QStringLiteral("wrongpass")));
        QTRY_COMPARE_WITH_TIMEOUT(web->message(), WebWidget::signInFailedText(), 30000);
        // The site's own form again, not a browser error page.
        QVERIFY(waitForPath(view, QStringLiteral("/start/index.php")));
        QCOMPARE(web->currentIndex(), int(WebWidget::SiteView));
        QVERIFY(run(view, QStringLiteral("!!document.getElementById('signin')")).toBool());
        QVERIFY(!engines.account()->isLoggedIn());
        QCOMPARE(window.sidebarModel()->rowCount(), 3);
        Screenshots::keepScreen(QStringLiteral("signin-failed"));
        // The refused credentials went to the site once: no retry loop.
        QVERIFY2(requestsFor(site, QStringLiteral("/members/index.php")) <= 2,
                 qPrintable(site.requests().join(QLatin1Char('\n'))));

        // The site row and Home lead back to the form while signed out.
        press(window, window.sidebarModel()->libraryItem());
        QCOMPARE(window.currentPage(), MainWindow::LibraryPage);
        QVERIFY(loaded(view, [&] { press(window, window.sidebarModel()->siteItem()); }));
        QCOMPARE(window.currentPage(), MainWindow::WebPage);
        QVERIFY(waitForPath(view, QStringLiteral("/start/index.php")));
        QVERIFY(loaded(view, [&] { web->home(); }));
        QVERIFY(waitForPath(view, QStringLiteral("/start/index.php")));
        QVERIFY(!engines.account()->isLoggedIn());

        // The form's answer is one load; the channels, once they came in,
        // leave the page as it is. A link is put into the page once its load
        // is over.
        QSignalSpy started(view, &QWebEngineView::loadStarted);
        QSignalSpy finished(view, &QWebEngineView::loadFinished);
        QVERIFY(submitSignIn(view, QStringLiteral("demo"), QStringLiteral("demo")));
        QVERIFY(waitForPath(view, QStringLiteral("/members/index.php")));
        QTRY_VERIFY_WITH_TIMEOUT(engines.account()->isLoggedIn(), 20000);
        QVERIFY(web->message().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(window.sidebarModel()->rowCount(), 5, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(started.size() >= 1 && finished.size() >= started.size(),
                                 TestSupport::SlowWaitMs);
        QVERIFY(waitForPath(view, QStringLiteral("/members/index.php")));
        QCOMPARE(window.sidebarModel()->index(2, 0).data().toString(), QStringLiteral("Featured"));

        // A descriptor link says how many downloads it queued.
        const QUrl slow =
            site.syntheticDescriptor(QStringLiteral("slowquit"), 3, 20000000, 100000);
        run(view, QStringLiteral("var a = document.createElement('a'); a.id = 'slow';"
                                 "a.href = '%1'; a.textContent = 'Download three';"
                                 "document.body.prepend(a);")
                      .arg(slow.toString(QUrl::FullyEncoded)));
        QVERIFY(click(view, QStringLiteral("#slow")));
        QTRY_COMPARE_WITH_TIMEOUT(
            web->message(),
            QStringLiteral("3 downloads were queued. You find them under Downloads."), 20000);
        DownloadManager *downloads = engines.downloadManager();
        QTRY_COMPARE_WITH_TIMEOUT(downloads->rowCount(), 3, 20000);

        // Quitting with downloads running asks; No keeps the window.
        QTRY_VERIFY2_WITH_TIMEOUT(downloading(*downloads) > 0, qPrintable(states(*downloads)),
                                  TestSupport::SlowWaitMs);
        QVERIFY(!window.close());
        QTRY_VERIFY_WITH_TIMEOUT(quitQuestion(window), TestSupport::SlowWaitMs);
        QMessageBox *box = quitQuestion(window);
        Screenshots::keepScreen(QStringLiteral("quit-question"));
        QCOMPARE(box->text(), QStringLiteral("Downloads are still running. They will continue the "
                                             "next time you start CorvanaZELTA. Quit now?"));
        QCOMPARE(box->checkBox()->text(), QStringLiteral("Don't ask again"));
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!quitQuestion(window), TestSupport::SlowWaitMs);
        QVERIFY(window.isVisible());
        // Yes with "Don't ask again" quits and is remembered.
        QVERIFY(!window.close());
        QTRY_VERIFY_WITH_TIMEOUT(quitQuestion(window), TestSupport::SlowWaitMs);
        box = quitQuestion(window);
        box->checkBox()->setChecked(true);
        QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), TestSupport::SlowWaitMs);
        QCOMPARE(QSettings().value(QLatin1String(MainWindow::AskBeforeQuittingKey)).toBool(),
                 false);
        QSettings().remove(QLatin1String(MainWindow::AskBeforeQuittingKey));
        downloads->pauseAll();
    }

    void siteOnAPortTheBrowserRefusesShowsTheOfflinePage()
    {
        // The browser will not talk to some ports at all (6000 is X11's) and
        // answers with an error page of its own; the member sees the offline
        // page with its Retry button instead.
        pointSiteAt(QUrl(QStringLiteral("http://127.0.0.1:6000")));
        Engines engines(&m_prompt);
        QVERIFY(engines.openDatabase());
        MainWindow window(&engines);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *web = static_cast<WebWidget *>(window.page(MainWindow::WebPage));
        QTRY_COMPARE_WITH_TIMEOUT(web->currentIndex(), int(WebWidget::OfflineView), 30000);
        QVERIFY(waitForPath(web->view(WebWidget::OfflineView), QStringLiteral("/error.html")));
    }

    void siteDownAtStartThenRetry()
    {
        const RefusedPort down; // until the site starts on it
        const quint16 port = down.port();
        QVERIFY(port != 0);
        const QUrl address(QStringLiteral("http://127.0.0.1:%1").arg(port));
        pointSiteAt(address);
        const QString clip = TestSupport::sampleClip(QStringLiteral("signin-offline-4s.mp4"), 4);
        QVERIFY(!clip.isEmpty());
        Engines engines(&m_prompt);
        QVERIFY(engines.openDatabase());
        MainWindow window(&engines);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *web = static_cast<WebWidget *>(window.page(MainWindow::WebPage));
        QTRY_COMPARE_WITH_TIMEOUT(web->currentIndex(), int(WebWidget::OfflineView), 30000);
        CorvExtendedScrolledWebView *offline = web->view(WebWidget::OfflineView);
        QVERIFY(waitForPath(offline, QStringLiteral("/error.html")));
        QVERIFY(run(offline, QStringLiteral("!!document.getElementById('retry')")).toBool());
        Screenshots::keepScreen(QStringLiteral("offline-start"));

        // The member's own things work from the first second.
        SidebarModel *model = window.sidebarModel();
        QVERIFY(window.sidebar()->isEnabled());
        press(window, model->libraryItem());
        QCOMPARE(window.currentPage(), MainWindow::LibraryPage);
        press(window, model->downloadsItem());
        QCOMPARE(window.currentPage(), MainWindow::DownloadsPage);
        window.openFile(clip);
        QCOMPARE(window.currentPage(), MainWindow::PlayerPage);
        MpvPlayer *player = window.mediaObject();
        QTRY_VERIFY_WITH_TIMEOUT(player->playbackState() == QMediaPlayer::PlayingState ||
                                     player->mediaStatus() == QMediaPlayer::EndOfMedia,
                                 20000);
        QTRY_VERIFY_WITH_TIMEOUT(
            window.windowTitle().startsWith(QStringLiteral("signin-offline-4s - ")),
            TestSupport::SlowWaitMs);
        Screenshots::keepScreen(QStringLiteral("offline-player-title"));
        window.stop();

        // The site's row while the site is down: the offline page again, once
        // the site's page has tried and failed (the offline page is already
        // showing, so only the failed load tells the try is over).
        QSignalSpy tried(web->view(WebWidget::SiteView), &QWebEngineView::loadFinished);
        press(window, model->siteItem());
        QCOMPARE(window.currentPage(), MainWindow::WebPage);
        QTRY_VERIFY_WITH_TIMEOUT(!tried.isEmpty(), 30000);
        QCOMPARE(tried.last().first().toBool(), false);
        QTRY_COMPARE_WITH_TIMEOUT(web->currentIndex(), int(WebWidget::OfflineView), 30000);

        DemoSiteProcess site(
            {QStringLiteral("--no-media"), QStringLiteral("--port"), QString::number(port)});
        QVERIFY(site.isRunning());
        QCOMPARE(site.url().port(), int(port));
        QVERIFY(waitForPath(offline, QStringLiteral("/error.html")));
        QVERIFY(click(offline, QStringLiteral("#retry")));
        QTRY_COMPARE_WITH_TIMEOUT(web->currentIndex(), int(WebWidget::SiteView), 20000);
        CorvExtendedScrolledWebView *view = web->view(WebWidget::SiteView);
        QVERIFY(waitForPath(view, QStringLiteral("/start/index.php")));
        QVERIFY(submitSignIn(view, QStringLiteral("demo"), QStringLiteral("demo")));
        QTRY_VERIFY_WITH_TIMEOUT(engines.account()->isLoggedIn(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(), 5, 20000);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestSignInRecovery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_signinrecovery.moc"
