// Signing in on the demo site's own form in the real main window: the sidebar
// wakes up with the member's channels, and the counters show the engines' counts.
#include "DemoSiteProcess.h"
#include "ScriptedPrompt.h"
#include "WebTestView.h"

#include "core/SiteConfig.h"
#include "downloads/DownloadManager.h"
#include "engines/Engines.h"
#include "gui/mainwindow/CorvTreeView.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/mainwindow/SidebarModel.h"
#include "gui/web/CorvExtendedScrolledWebView.h"
#include "gui/web/WebWidget.h"
#include "library/Library.h"
#include "library/LibraryModel.h"

#include <QApplication>
#include <QTest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>

using namespace WebTestView;

class TestMainWindowSignIn : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signInOnTheSiteFormFillsTheSidebar()
    {
        DemoSiteProcess site;
        QVERIFY(site.isRunning());
        for (const char *key :
             {"membersUrl", "secureMembersUrl", "channelServerUrl", "updateUrl", "updatePlainUrl"})
            SiteConfig::setValue(QString::fromLatin1(key), site.url());
        ScriptedPrompt prompt;
        Engines engines(&prompt);
        QVERIFY(engines.openDatabase());
        MainWindow window(&engines);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        SidebarModel *model = window.sidebarModel();
        QCOMPARE(model->rowCount(), 3);

        auto *web = static_cast<WebWidget *>(window.page(MainWindow::WebPage));
        QWebEngineView *view = web->view(WebWidget::SiteView);
        QVERIFY(waitForPath(view, QStringLiteral("/start/index.php")));
        run(view, QStringLiteral("document.getElementById('user').value = 'demo';"
                                 "document.getElementById('password').value = 'demo';"));
        QVERIFY(click(view, QStringLiteral("#signin-button")));
        QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(), 5, 20000);
        QCOMPARE(model->index(2, 0).data().toString(), QStringLiteral("Featured"));
        QCOMPARE(model->index(3, 0).data().toString(), QStringLiteral("Nature"));
        QCOMPARE(model->libraryItem()->text(),
                 QStringLiteral("My Library (%1)").arg(engines.library()->model()->rowCount()));
        QCOMPARE(model->downloadsItem()->text(),
                 QStringLiteral("Downloads (%1)").arg(engines.downloadManager()->rowCount()));
        QCOMPARE(window.sidebar()->currentIndex(), model->indexFromItem(model->siteItem()));

        // The channel list arriving again (as after each sign-in) leaves the
        // members' page as it is: a click on it in that moment is not lost
        // to a reload. A page loaded after the list landed is the first load
        // the view starts; a reload asked for before it would come first.
        QVERIFY(waitForPath(view, QStringLiteral("/members/index.php")));
        QList<QUrl> started;
        connect(view->page(), &QWebEnginePage::loadingChanged, this,
                [&started](const QWebEngineLoadingInfo &info) {
                    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
                        started << info.url();
                });
        window.refreshChannels(QString());
        QCOMPARE(model->rowCount(), 3);
        QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(), 5, 20000);
        const QUrl probe = site.url(QStringLiteral("/members/search.php?q=probe"));
        view->load(probe);
        QVERIFY(waitForPath(view, QStringLiteral("/members/search.php")));
        QCOMPARE(started, QList<QUrl>{probe});
        QCOMPARE(web->currentIndex(), int(WebWidget::SiteView));
    }
};

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestMainWindowSignIn test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow_signin.moc"
