// The members' site page with real web views against the demo site on
// 127.0.0.1; a second site on another port stands for foreign origins.
#include "DemoSiteProcess.h"
#include "ScriptedHttpServer.h"
#include "ScriptedPrompt.h"
#include "TestSupport.h"
#include "WebTestView.h"

#include "core/AppIdentity.h"
#include "core/SiteConfig.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "engines/Engines.h"
#include "gui/mainwindow/AutoSizeLabel.h"
#include "gui/web/BridgeScripts.h"
#include "gui/web/CorvExtendedScrolledWebView.h"
#include "gui/web/NewWindowPage.h"
#include "gui/web/WebWidget.h"
#include "gui/web/WheelCoalescer.h"
#include "gui/web/ZeltaPage.h"
#include "gui/web/ZeltaProxy.h"
#include "web/Account.h"
#include "web/CookieJar.h"
#include "web/NetworkManager.h"

#include <QApplication>
#include <QDesktopServices>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>
#include <QUrlQuery>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

#include <memory>

using namespace WebTestView;

namespace {

QStringList g_log;

void captureLog(QtMsgType, const QMessageLogContext &, const QString &message)
{
    g_log << message;
}

QByteArray get(NetworkManager *network, const QUrl &url,
               QNetworkReply::NetworkError *error = nullptr)
{
    QNetworkReply *reply = network->get(QNetworkRequest(url));
    if (!QTest::qWaitFor([reply] { return reply->isFinished(); }, 20000))
        reply->abort(); // an answer that never came is an error, not an empty body
    if (error)
        *error = reply->error();
    const QByteArray body = reply->readAll();
    reply->deleteLater();
    return body;
}

// Receives what the bridge hands to the desktop's browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

} // namespace

class TestWebWidget : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DemoSiteProcess> m_site;
    std::unique_ptr<DemoSiteProcess> m_foreign;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<Engines> m_engines;
    std::unique_ptr<WebWidget> m_web;

    CorvExtendedScrolledWebView *site() const { return m_web->view(WebWidget::SiteView); }

    bool showMembersHome()
    {
        return loaded(site(), [this] { m_web->corvana(); }) &&
               waitForPath(site(), QStringLiteral("/members/index.php"));
    }

    bool signIn()
    {
        if (!loaded(site(), [this] { site()->load(WebWidget::startPage()); }) ||
            !waitForPath(site(), QStringLiteral("/start/index.php")))
            return false;
        return submitSignIn(site(), QStringLiteral("demo"), QStringLiteral("demo")) &&
               waitForPath(site(), QStringLiteral("/members/index.php"));
    }

    // Adds a link to the current site page.
    void addLink(const QString &id, const QString &href)
    {
        run(site(), QStringLiteral("var a = document.createElement('a'); a.id = '%1';"
                                   "a.href = '%2'; a.textContent = 'link %1';"
                                   "document.body.prepend(a);")
                        .arg(id, href));
    }

    // A link on the current site page that asks for a new window.
    void addNewWindowLink(const QString &id, const QString &href)
    {
        run(site(), QStringLiteral("var a = document.createElement('a'); a.id = '%1';"
                                   "a.href = '%2'; a.target = '_blank'; a.textContent = 'link %1';"
                                   "document.body.prepend(a);")
                        .arg(id, href));
    }

    // A page of another host, 127.0.0.2, in a frame at the top of the site
    // page; true once it has loaded.
    bool addForeignFrame(ScriptedHttpServer &foreign, const QByteArray &html)
    {
        foreign.setResponse(ScriptedHttpServer::answer(
            200, "Content-Type: text/html\r\n",
            "<script>addEventListener('load', function () { parent.postMessage('ready', '*'); });"
            "</script>" +
                html));
        if (!foreign.listen())
            return false;
        run(site(), QStringLiteral("window.frameReady = false;"
                                   "window.addEventListener('message', function () {"
                                   "  window.frameReady = true; });"
                                   "var f = document.createElement('iframe'); f.id = 'foreign';"
                                   "f.style = 'width: 300px; height: 200px; border: 0';"
                                   "f.src = '%1'; document.body.prepend(f);")
                        .arg(foreign.url(QStringLiteral("/ad.html")).toString()));
        return QTest::qWaitFor([this] { return run(site(), "window.frameReady").toBool(); }, 20000);
    }

    // Waits for the program to say it refused something.
    static bool refusalLogged()
    {
        return QTest::qWaitFor(
            [] {
                for (const QString &line : std::as_const(g_log)) {
                    if (line.contains(QLatin1String("refused")) ||
                        line.contains(QLatin1String("filtred")))
                        return true;
                }
                return false;
            },
            20000);
    }

    Download *downloadFor(const QString &path) const
    {
        DownloadManager *manager = m_engines->downloadManager();
        for (Download *d : manager->activeDownloads() + manager->queuedDownloads()) {
            if (d->url().path() == path || d->item().mediaUrl().path() == path)
                return d;
        }
        return nullptr;
    }

private Q_SLOTS:
    void initTestCase()
    {
        AppIdentity::apply();
        m_site = std::make_unique<DemoSiteProcess>();
        m_foreign = std::make_unique<DemoSiteProcess>();
        QVERIFY(m_site->isRunning() && m_foreign->isRunning());
        SiteConfig::setValue(QStringLiteral("membersUrl"), m_site->url());
        SiteConfig::setValue(QStringLiteral("secureMembersUrl"), m_site->url());
        SiteConfig::setValue(QStringLiteral("channelServerUrl"), m_site->url());
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_engines = std::make_unique<Engines>(m_prompt.get());
        QVERIFY(m_engines->openDatabase());
        m_web = std::make_unique<WebWidget>(m_engines.get());
        m_web->resize(1000, 800);
        m_web->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_web.get()));
    }

    void cleanupTestCase()
    {
        m_web.reset();
        m_engines.reset();
    }

    // Only the bridge's own members reach the page (never deleteLater & co).
    void bridgeExposesItsOwnMembersOnly()
    {
        const QStringList slotList = BridgeScripts::slotNames(ZeltaProxy::staticMetaObject);
        const QStringList signalList = BridgeScripts::signalNames(ZeltaProxy::staticMetaObject);
        QCOMPARE(signalList, (QStringList{"loggedIn", "loggedOut", "checkConnectionAgain"}));
        QCOMPARE(slotList, (QStringList{"login", "logout", "launchBrowser", "checkConnection",
                                        "tabFocus", "refreshChannels", "search", "clearSession",
                                        "clearCache", "clearCookies"}));
    }

    void linkKinds_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");
        QTest::newRow("descriptor")
            << "/members/videos/a.corvana" << int(ZeltaPage::DescriptorLink);
        QTest::newRow("descriptor inside") << "/x.corvana/y" << int(ZeltaPage::DescriptorLink);
        QTest::newRow("descriptor at first char") << "/.corvana" << int(ZeltaPage::DescriptorLink);
        QTest::newRow("mp4") << "/media/a.mp4" << int(ZeltaPage::MediaLink);
        QTest::newRow("any char before mp4") << "/media/clipxmp4" << int(ZeltaPage::MediaLink);
        QTest::newRow("installer") << "/files/setup.exe" << int(ZeltaPage::MediaLink);
        QTest::newRow("upper case") << "/media/a.MP4" << int(ZeltaPage::OtherLink);
        QTest::newRow("page") << "/members/index.php" << int(ZeltaPage::OtherLink);
    }

    void linkKinds()
    {
        QFETCH(QString, path);
        QFETCH(int, kind);
        QUrl url(QStringLiteral("http://127.0.0.1"));
        url.setPath(path);
        QCOMPARE(int(ZeltaPage::linkKind(url)), kind);
    }

    void wheelCoalescing_data()
    {
        // Events as "time:delta"; the deltas the view scrolls by, in order.
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QList<int>>("scrolled");
        QTest::newRow("burst combined")
            << QStringList{"10:120", "20:120", "70:120"} << QList<int>{360};
        QTest::newRow("same millisecond ignored")
            << QStringList{"0:120", "70:120"} << QList<int>{120};
        QTest::newRow("opposite turns cancel")
            << QStringList{"61:120", "62:-120", "100:120", "130:0"} << QList<int>{120};
        QTest::newRow("next step after 60 ms")
            << QStringList{"61:120", "100:120", "122:120"} << QList<int>{120, 240};
    }

    void wheelCoalescing()
    {
        QFETCH(QStringList, events);
        QFETCH(QList<int>, scrolled);
        WheelCoalescer wheel(0);
        QList<int> out;
        for (const QString &event : events) {
            const int combined =
                wheel.feed(event.section(':', 0, 0).toLongLong(), event.section(':', 1).toInt());
            if (combined)
                out << combined;
        }
        QCOMPARE(out, scrolled);
    }

    void titleLabelElides()
    {
        AutoSizeLabel label;
        label.show();
        const QString text = QStringLiteral("Corvana members: the whole long title of a page");
        label.setText(text);
        label.resize(label.fontMetrics().horizontalAdvance(text) / 3, 30);
        QVERIFY(label.text().endsWith(QChar(0x2026)));
        QCOMPARE(label.fullText(), text);
        label.resize(label.fontMetrics().horizontalAdvance(text) + 20, 30);
        QCOMPARE(label.text(), text);
    }

    void foreignOriginGetsNoBridge()
    {
        site()->load(m_site->url(QStringLiteral("/start/index.php")));
        QVERIFY(waitForPath(site(), QStringLiteral("/start/index.php")));
        QCOMPARE(run(site(), QStringLiteral("typeof zelta.login")).toString(), "function");
        // Even the site's own world never holds the channel transport.
        QCOMPARE(run(site(), QStringLiteral("typeof qt")).toString(), "undefined");

        site()->load(m_foreign->url(QStringLiteral("/start/index.php")));
        QTRY_COMPARE_WITH_TIMEOUT(site()->url().port(), m_foreign->url().port(), 20000);
        QVERIFY(waitForPath(site(), QStringLiteral("/start/index.php")));
        QCOMPARE(run(site(), QStringLiteral("typeof zelta")).toString(), "undefined");
        QCOMPARE(run(site(), QStringLiteral("typeof qt")).toString(), "undefined");
        // Speaking the glue's own language gets the foreign page nowhere.
        QSignalSpy loggedIn(m_web.get(), &WebWidget::loggedIn);
        run(site(), QStringLiteral("document.dispatchEvent(new CustomEvent('zelta-call', "
                                   "{detail: JSON.stringify({m: 'login', a: ['x', 'y']})}));"));
        QVERIFY(
            loaded(site(), [&] { site()->load(m_site->url(QStringLiteral("/start/index.php"))); }));
        QCOMPARE(run(site(), QStringLiteral("typeof zelta.login")).toString(), "function");
        QCOMPARE(loggedIn.count(), 0);
        QVERIFY(!m_engines->account()->isLoggedIn());
    }

    void signInThroughTheSiteForm()
    {
        QSignalSpy loggedIn(m_web.get(), &WebWidget::loggedIn);
        QSignalSpy channels(m_web.get(), &WebWidget::refreshChannelsRequested);
        QVERIFY(loaded(site(), [this] { m_web->login(); }));
        QCOMPARE(m_web->currentIndex(), int(WebWidget::SiteView));
        QVERIFY(signIn());
        QCOMPARE(loggedIn.count(), 1);
        QVERIFY(channels.count() >= 1);
        QVERIFY(m_engines->account()->isLoggedIn());
        QCOMPARE(m_engines->account()->userName(), QStringLiteral("demo"));
        // The members pages ask for HTTP authentication: answered with the member's credentials.
        QCOMPARE(run(site(), QStringLiteral("document.title")).toString(), "Corvana members");
    }

    void credentialsGoOnlyToTheSite()
    {
        site()->load(m_foreign->url(QStringLiteral("/members/index.php")));
        QTRY_COMPARE_WITH_TIMEOUT(site()->url().port(), m_foreign->url().port(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(
            run(site(), QStringLiteral("document.body ? document.body.innerText : ''"))
                .toString()
                .contains(QLatin1String("Sign in first")),
            20000);
        QVERIFY(showMembersHome());
        QCOMPARE(run(site(), QStringLiteral("document.title")).toString(), "Corvana members");
    }

    void descriptorLinkDownloadsWithoutNavigating()
    {
        QVERIFY(showMembersHome());
        QSignalSpy added(m_engines->downloadManager(), &DownloadManager::added);
        m_site->control(QStringLiteral("/control/clear"));
        QVERIFY(click(site(), QStringLiteral("#get-harbour")));
        QTRY_VERIFY_WITH_TIMEOUT(
            m_site->requests().contains(QStringLiteral("GET /members/videos/harbour.corvana ")),
            20000);
        QTRY_VERIFY_WITH_TIMEOUT(added.count() >= 1, 20000);
        QCOMPARE(site()->url().path(), QStringLiteral("/members/index.php"));
        QCOMPARE(run(site(), QStringLiteral("document.title")).toString(), "Corvana members");
    }

    // A frame of another host must not make the program fetch anything: a
    // script setting its own location counts as a link click, and a link
    // with a new-window target comes through the stand-in window.
    void foreignFrameStartsNoDownload_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<bool>("clickFrame");
        const QByteArray descriptor =
            m_site->url(QStringLiteral("/members/videos/harbour.corvana")).toEncoded();
        const QByteArray filling = "<style>html, body, a { margin: 0; display: block;"
                                   " width: 100%; height: 100% }</style>";
        QTest::newRow("script navigation")
            << QByteArray("<script>addEventListener('load', function () { setTimeout(function () {"
                          " location.href = '" +
                          descriptor + "'; }, 50); });</script>")
            << false;
        QTest::newRow("new-window link")
            << QByteArray(filling + "<a target=\"_blank\" href=\"" + descriptor + "\">ad</a>")
            << true;
        QTest::newRow("descriptor in a frame link")
            << QByteArray(filling + "<a href=\"" + descriptor + "\">ad</a>") << true;
    }

    void foreignFrameStartsNoDownload()
    {
        QFETCH(QByteArray, html);
        QFETCH(bool, clickFrame);
        QVERIFY(m_engines->account()->hasCredentials());
        QVERIFY(showMembersHome());
        m_site->control(QStringLiteral("/control/clear"));
        QSignalSpy added(m_engines->downloadManager(), &DownloadManager::added);
        g_log.clear();
        const QtMessageHandler previous = qInstallMessageHandler(captureLog);
        ScriptedHttpServer foreign{QHostAddress(QStringLiteral("127.0.0.2"))};
        const bool frameLoaded = addForeignFrame(foreign, html);
        if (frameLoaded && clickFrame)
            click(site(), QStringLiteral("#foreign"));
        const bool refused = refusalLogged();
        qInstallMessageHandler(previous);
        QVERIFY(frameLoaded);
        QVERIFY2(refused, qPrintable(g_log.join('\n')));
        QVERIFY(
            !m_site->requests().contains(QStringLiteral("GET /members/videos/harbour.corvana ")));
        QCOMPARE(added.count(), 0);
        QCOMPARE(site()->url().path(), QStringLiteral("/members/index.php"));
    }

    // The site's own new-window descriptor link still downloads: the
    // stand-in window tells where it was asked from.
    void siteNewWindowDescriptorLinkDownloads()
    {
        QVERIFY(showMembersHome());
        m_site->control(QStringLiteral("/control/clear"));
        QSignalSpy added(m_engines->downloadManager(), &DownloadManager::added);
        addNewWindowLink(QStringLiteral("popup-descriptor"),
                         QStringLiteral("/members/synthetic.corvana?count=1&bytes=1000&tag=popup"));
        QVERIFY(click(site(), QStringLiteral("#popup-descriptor")));
        QTRY_VERIFY_WITH_TIMEOUT(added.count() >= 1, 20000);
        QCOMPARE(site()->url().path(), QStringLiteral("/members/index.php"));
    }

    // A "data:" page may not take the place of the site, even through a
    // new-window link in a frame of another host.
    void foreignFrameDataWindowIsRefused()
    {
        QVERIFY(showMembersHome());
        g_log.clear();
        const QtMessageHandler previous = qInstallMessageHandler(captureLog);
        ScriptedHttpServer foreign{QHostAddress(QStringLiteral("127.0.0.2"))};
        const bool frameLoaded = addForeignFrame(
            foreign, "<style>html, body, a { margin: 0; display: block; width: 100%;"
                     " height: 100% }</style><a target=\"_blank\" href=\"data:text/html,"
                     "<title>Owned</title>owned\">ad</a>");
        if (frameLoaded)
            click(site(), QStringLiteral("#foreign"));
        const bool refused = refusalLogged();
        qInstallMessageHandler(previous);
        QVERIFY(frameLoaded);
        QVERIFY2(refused, qPrintable(g_log.join('\n')));
        QCOMPARE(site()->url().scheme(), QStringLiteral("http"));
        QCOMPARE(site()->url().path(), QStringLiteral("/members/index.php"));
        QCOMPARE(run(site(), QStringLiteral("document.title")).toString(), "Corvana members");
    }

    // Each "javascript:" new-window click made a stand-in page that was
    // never deleted.
    void javascriptNewWindowsLeaveNothingBehind()
    {
        if (!m_engines->account()->isLoggedIn())
            QVERIFY(signIn());
        QVERIFY(showMembersHome());
        addNewWindowLink(QStringLiteral("js-window"), QStringLiteral("javascript:void(0)"));
        // The witness: a new-window link to a page of the site that needs no
        // sign-in. Once it has loaded, every click before it was seen.
        addNewWindowLink(QStringLiteral("witness"),
                         m_site->url(QStringLiteral("/sidebar.php")).toString());
        for (int i = 0; i < 5; ++i)
            QVERIFY(click(site(), QStringLiteral("#js-window")));
        QVERIFY(click(site(), QStringLiteral("#witness")));
        QVERIFY(waitForPath(site(), QStringLiteral("/sidebar.php")));
        QTRY_COMPARE_WITH_TIMEOUT(site()->page()->findChildren<NewWindowPage *>().size(), 0,
                                  NewWindowPage::LifetimeMs * 2);
    }

    // Views load web addresses only, whoever asks: the program (typed), the
    // bridge, or a redirect. And the bridge names only the site's pages.
    void onlySiteWebAddressesLoad_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("address");
        QTest::newRow("typed file") << "typed"
                                    << "file:///etc/hostname";
        QTest::newRow("typed data") << "typed"
                                    << "data:text/html,<title>Owned</title>";
        QTest::newRow("bridge file") << "bridge"
                                     << "file:///etc/hostname";
        QTest::newRow("bridge data") << "bridge"
                                     << "data:text/html,<title>Owned</title>";
        QTest::newRow("bridge foreign host") << "bridge"
                                             << "http://127.0.0.2:9/";
        QTest::newRow("redirect to a file") << "redirect"
                                            << "file:///etc/hostname";
        QTest::newRow("redirect to data") << "redirect"
                                          << "data:text/html,<title>Owned</title>";
    }

    void onlySiteWebAddressesLoad()
    {
        QFETCH(QString, how);
        QFETCH(QString, address);
        QVERIFY(showMembersHome());
        QList<QUrl> shown;
        const auto connection = connect(site(), &QWebEngineView::urlChanged, this,
                                        [&shown](const QUrl &url) { shown << url; });
        ScriptedHttpServer redirector{QHostAddress(QStringLiteral("127.0.0.2"))};
        if (how == QLatin1String("typed")) {
            site()->load(QUrl(address));
        } else if (how == QLatin1String("bridge")) {
            run(site(), QStringLiteral("zelta.tabFocus('corvana', '%1');").arg(address));
        } else {
            redirector.setResponse(
                ScriptedHttpServer::answer(302, "Location: " + address.toUtf8() + "\r\n"));
            QVERIFY(redirector.listen());
            site()->load(redirector.url(QStringLiteral("/go")));
        }
        // A page of the site after it: once that shows, the refused load had its turn.
        run(site(), QStringLiteral("zelta.tabFocus('corvana', '/members/about.php');"));
        QVERIFY(waitForPath(site(), QStringLiteral("/members/about.php")));
        disconnect(connection);
        for (const QUrl &url : std::as_const(shown)) {
            const bool sitePage =
                url.scheme() == QLatin1String("http") && url.port() == m_site->url().port();
            const bool redirect =
                how == QLatin1String("redirect") && url == redirector.url(QStringLiteral("/go"));
            QVERIFY2(sitePage || redirect, qPrintable(url.toString()));
        }
        QCOMPARE(m_web->currentIndex(), int(WebWidget::SiteView));
    }

    void mediaPatternLinkDownloadsDirectly()
    {
        QVERIFY(showMembersHome());
        QSignalSpy downloadsPage(m_web.get(), &WebWidget::downloadsPageRequested);
        addLink(QStringLiteral("clip"), QStringLiteral("/media/clipxmp4"));
        QVERIFY(click(site(), QStringLiteral("#clip")));
        QTRY_COMPARE_WITH_TIMEOUT(downloadsPage.count(), 1, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(downloadFor(QStringLiteral("/media/clipxmp4")),
                                 TestSupport::SlowWaitMs);
        QVERIFY(downloadFor(QStringLiteral("/media/clipxmp4"))->isDirect());
        QCOMPARE(site()->url().path(), QStringLiteral("/members/index.php"));
    }

    void signOutPausesAndSignInResumes()
    {
        QVERIFY(showMembersHome());
        const QString path = QStringLiteral("/members/synthetic.corvana");
        addLink(QStringLiteral("slow"),
                path + QStringLiteral("?count=1&bytes=20000000&tag=slow&rate=200000"));
        QVERIFY(click(site(), QStringLiteral("#slow")));
        QTRY_VERIFY_WITH_TIMEOUT(downloadFor(QStringLiteral("/media/blob/slow-1.mp4")), 20000);
        Download *download = downloadFor(QStringLiteral("/media/blob/slow-1.mp4"));
        QTRY_COMPARE_WITH_TIMEOUT(download->state(), Download::Downloading, 20000);

        QSignalSpy loggedOut(m_web.get(), &WebWidget::loggedOut);
        QVERIFY(click(site(), QStringLiteral("#signout button")));
        QTRY_COMPARE_WITH_TIMEOUT(loggedOut.count(), 1, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(download->state(), Download::Paused, 20000);
        QVERIFY(waitForPath(site(), QStringLiteral("/start/index.php")));

        QVERIFY(signIn());
        QTRY_COMPARE_WITH_TIMEOUT(download->state(), Download::Downloading, 20000);
        m_engines->downloadManager()->pauseAll();
    }

    void newWindowLinkOpensInTheSameView()
    {
        QVERIFY(showMembersHome());
        const int windows = QApplication::topLevelWidgets().size();
        QVERIFY(click(site(), QStringLiteral("#new-window")));
        QVERIFY(waitForPath(site(), QStringLiteral("/members/about.php")));
        QCOMPARE(m_web->currentIndex(), int(WebWidget::SiteView));
        QCOMPARE(QApplication::topLevelWidgets().size(), windows);
    }

    void localFileIsRefused()
    {
        QVERIFY(showMembersHome());
        g_log.clear();
        const QtMessageHandler previous = qInstallMessageHandler(captureLog);
        QVERIFY(click(site(), QStringLiteral("#local-file")));
        QVERIFY(waitForPath(site(), QStringLiteral("/members/local.php")));
        // The page marks itself a while after trying: a file that had opened would have replaced
        // it.
        QTRY_COMPARE_WITH_TIMEOUT(run(site(), QStringLiteral("document.title")).toString(),
                                  QStringLiteral("Still here"), 10000);
        QCOMPARE(site()->url().scheme(), QStringLiteral("http"));
        // The program's own rule, for navigations the engine leaves to it.
        QVERIFY(!loaded(
                    site(),
                    [this] {
                        site()->page()->runJavaScript(
                            QStringLiteral("window.open('file:///etc/hostname')"));
                    },
                    3000) ||
                site()->url().scheme() == QLatin1String("http"));
        qInstallMessageHandler(previous);
    }

    void launchBrowserOpensOnlyWebAddresses()
    {
        QVERIFY(showMembersHome());
        UrlCatcher catcher;
        for (const char *scheme : {"http", "https", "file", "mailto"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "open");
        run(site(), QStringLiteral("zelta.launchBrowser('file:///etc/passwd');"
                                   "zelta.launchBrowser('mailto:x@corvana.example');"
                                   "zelta.launchBrowser('http://127.0.0.1:9/about');"));
        QTRY_COMPARE_WITH_TIMEOUT(catcher.urls.size(), 1, 10000);
        QCOMPARE(catcher.urls.constFirst(), QUrl(QStringLiteral("http://127.0.0.1:9/about")));
        for (const char *scheme : {"http", "https", "file", "mailto"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }

    void tabFocusThroughTheBridge_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("path");
        QTest::newRow("burner add-on") << "Discaveo" << 1 << "/members/plugins/discaveo/";
        QTest::newRow("tv add-on") << "lumiqotv" << 1 << "/members/plugins/lumiqo/";
        QTest::newRow("channel") << "Featured" << 3 << "/members/channel.php";
        QTest::newRow("site") << "corvana" << 0 << "/members/index.php";
    }

    void tabFocusThroughTheBridge()
    {
        QFETCH(QString, tab);
        QFETCH(int, index);
        QFETCH(QString, path);
        if (!m_web->hasChannel(QStringLiteral("featured"))) {
            QVERIFY(m_web->createChannel(
                QStringLiteral("Featured"),
                m_site->url(QStringLiteral("/members/channel.php?c=featured")),
                m_site->url(QStringLiteral("/members/search.php?c=featured&q="))));
            QVERIFY(!m_web->createChannel(QStringLiteral("featured"), m_site->url(), QUrl()));
        }
        QVERIFY(showMembersHome());
        QSignalSpy sidebar(m_web.get(), &WebWidget::sidebarItemRequested);
        run(site(), QStringLiteral("zelta.tabFocus('%1');").arg(tab));
        QTRY_COMPARE_WITH_TIMEOUT(sidebar.count(), 1, 10000);
        QCOMPARE(sidebar.constFirst().constFirst().toString(), tab.toLower());
        QCOMPARE(m_web->currentIndex(), index);
        QVERIFY(waitForPath(m_web->currentView(), path));
    }

    void offlineShowsTheOfflinePageAndComesBack()
    {
        QVERIFY(QMetaObject::invokeMethod(m_web.get(), "networkStatusChanged", Q_ARG(bool, false)));
        QCOMPARE(m_web->currentIndex(), int(WebWidget::OfflineView));
        QTRY_COMPARE_WITH_TIMEOUT(m_web->currentView()->title(),
                                  QStringLiteral("Corvana cannot be reached"), 20000);
        QVERIFY(QMetaObject::invokeMethod(m_web.get(), "networkStatusChanged", Q_ARG(bool, true)));
        QCOMPARE(m_web->currentIndex(), int(WebWidget::SiteView));
        QVERIFY(waitForPath(site(), QStringLiteral("/members/index.php")));

        // The offline page's Retry button tries the site again.
        m_web->showOffline();
        CorvExtendedScrolledWebView *offline = m_web->view(WebWidget::OfflineView);
        QVERIFY(waitForPath(offline, QStringLiteral("/error.html")));
        QVERIFY(click(offline, QStringLiteral("#retry")));
        QTRY_COMPARE_WITH_TIMEOUT(m_web->currentIndex(), int(WebWidget::SiteView), 20000);
        QVERIFY(waitForPath(site(), QStringLiteral("/members/index.php")));
    }

    void clearSessionReloadsHomesWithAutorefresh()
    {
        QVERIFY(showMembersHome());
        run(site(), QStringLiteral("zelta.clearSession();"));
        QTRY_COMPARE_WITH_TIMEOUT(
            QUrlQuery(site()->url()).queryItemValue(QStringLiteral("autorefresh")), "1", 20000);
        QCOMPARE(site()->url().path(), QStringLiteral("/members/index.php"));
        // Every view but the add-on and offline views.
        QVERIFY(m_web->viewCount() > 3);
        QTRY_COMPARE_WITH_TIMEOUT(
            QUrlQuery(m_web->view(3)->url()).queryItemValue(QStringLiteral("autorefresh")), "1",
            TestSupport::SlowWaitMs);
        QVERIFY(!m_web->view(WebWidget::OfflineView)->url().hasQuery());
    }

    void cookiesAreSharedAndKept()
    {
        QVERIFY(showMembersHome()); // the site sets corvana_seen=1
        QTRY_VERIFY_WITH_TIMEOUT(
            get(m_engines->networkManager(), m_site->url(QStringLiteral("/control/cookies")))
                .contains("corvana_seen=1"),
            10000);
        // From the program's side to the pages.
        QNetworkCookie fromProgram("from_program", "2");
        fromProgram.setExpirationDate(QDateTime::currentDateTime().addDays(1));
        m_engines->networkManager()->cookieJar()->setCookiesFromUrl({fromProgram}, m_site->url());
        QTRY_VERIFY_WITH_TIMEOUT(
            run(site(), QStringLiteral("document.cookie")).toString().contains("from_program=2"),
            10000);
        // Kept by the program's jar: a new jar reads them back.
        m_engines->networkManager()->cookieJar()->saveNow();
        CookieJar restarted;
        QStringList names;
        for (const QNetworkCookie &cookie : restarted.cookiesForUrl(m_site->url()))
            names << QString::fromLatin1(cookie.name());
        QVERIFY2(names.contains("corvana_seen") && names.contains("from_program"),
                 qPrintable(names.join(',')));

        run(site(), QStringLiteral("zelta.clearCookies();"));
        QTRY_VERIFY_WITH_TIMEOUT(m_engines->networkManager()->cookieJar()->allCookies().isEmpty(),
                                 10000);
        QTRY_COMPARE_WITH_TIMEOUT(run(site(), QStringLiteral("document.cookie")).toString(),
                                  QString(), 10000);
    }

    void certificateQuestionOncePerHost()
    {
        QTemporaryDir keys;
        const QString key = keys.filePath(QStringLiteral("key.pem"));
        const QString cert = keys.filePath(QStringLiteral("cert.pem"));
        QCOMPARE(TestSupport::run(QStringLiteral("openssl"),
                                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                                   "-out", cert, "-days", "2", "-subj", "/CN=127.0.0.1"}),
                 0);
        DemoSiteProcess tls(QStringList{"--no-media", "--tls-cert", cert, "--tls-key", key});
        QVERIFY(tls.tlsUrl().isValid());
        m_prompt->messages.clear();
        m_prompt->answers = {UserPrompt::Yes};

        site()->load(tls.tlsUrl(QStringLiteral("/start/index.php")));
        QTRY_COMPARE_WITH_TIMEOUT(site()->url().scheme(), QStringLiteral("https"), 20000);
        QVERIFY(waitForPath(site(), QStringLiteral("/start/index.php")));
        QCOMPARE(run(site(), QStringLiteral("document.title")).toString(), "Sign in to Corvana");
        QCOMPARE(m_prompt->messages.size(), 1);
        QVERIFY(m_prompt->messages.constFirst().text.startsWith(QLatin1String("SSL Errors:")));

        // The program's own requests to that host take the same answer.
        QNetworkReply::NetworkError error = QNetworkReply::UnknownNetworkError;
        get(m_engines->networkManager(), tls.tlsUrl(QStringLiteral("/zelta/update.xml")), &error);
        QCOMPARE(error, QNetworkReply::NoError);
        QCOMPARE(m_prompt->messages.size(), 1);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestWebWidget test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_webwidget.moc"
