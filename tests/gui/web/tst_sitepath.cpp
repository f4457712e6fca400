// The member's whole path through the program's main window against the demo
// site: sign in on the site's form, click a video's download link, watch it on
// the downloads page until it is in the library with its thumbnail.
#include "DemoSiteProcess.h"
#include "ScriptedPrompt.h"
#include "WebTestView.h"

#include "core/AppIdentity.h"
#include "core/SiteConfig.h"
#include "downloads/DownloadManager.h"
#include "engines/Engines.h"
#include "gui/downloads/DownloadView.h"
#include "gui/downloads/DownloadWidget.h"
#include "gui/mainwindow/CorvTreeView.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/web/CorvExtendedScrolledWebView.h"
#include "gui/web/WebWidget.h"
#include "library/Library.h"
#include "library/LibraryItem.h"
#include "library/LibraryModel.h"

#include <QApplication>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace WebTestView;

class TestSitePath : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signInDownloadAndFindTheVideoInTheLibrary()
    {
        AppIdentity::apply();
        DemoSiteProcess site(QStringList{}); // with the sample videos
        QVERIFY(site.isRunning());
        for (const char *key : {"membersUrl", "secureMembersUrl", "channelServerUrl"})
            SiteConfig::setValue(QString::fromLatin1(key), site.url());
        ScriptedPrompt prompt;
        Engines engines(&prompt);
        QVERIFY(engines.openDatabase());
        MainWindow window(&engines);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        auto *web = static_cast<WebWidget *>(window.page(MainWindow::WebPage));
        QWebEngineView *view = web->view(WebWidget::SiteView);
        QVERIFY(waitForPath(view, QStringLiteral("/start/index.php")));
        QVERIFY(submitSignIn(view, QStringLiteral("demo"), QStringLiteral("demo")));
        QVERIFY(waitForPath(view, QStringLiteral("/members/index.php")));
        // The channel list came in: its views are in the page.
        QTRY_VERIFY_WITH_TIMEOUT(web->hasChannel(QStringLiteral("featured")), 20000);

        auto *downloads = static_cast<DownloadWidget *>(window.page(MainWindow::DownloadsPage));
        // A short clip may come and go quickly: the page's list is watched as it changes.
        QSignalSpy listed(downloads->view()->model(), &QAbstractItemModel::rowsInserted);
        QVERIFY(click(view, QStringLiteral("#get-harbour")));
        QTRY_VERIFY_WITH_TIMEOUT(listed.count() >= 1, 20000);
        QCOMPARE(view->url().path(), QStringLiteral("/members/index.php"));

        Library *library = engines.library();
        QTRY_VERIFY_WITH_TIMEOUT(library->model()->rowCount() >= 1, 120000);
        const LibraryItem item = library->model()->item(0);
        QCOMPARE(item.title(), QStringLiteral("Harbour Lights"));
        QVERIFY(QFileInfo(item.videoPath()).size() > 0);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(library->model()->item(0).thumbnailPath()),
                                 60000);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestSitePath test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sitepath.moc"
