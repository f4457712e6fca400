// The web page's slot in the main window: the page is made here, and every
// request the window makes of it goes through the web*() methods below.
// This file is the only one in the window that knows the page's class.
#include "gui/mainwindow/MainWindow.h"

#include "gui/web/WebWidget.h"

#include <QStandardItem>
#include <QUrl>
#include <QUrlQuery>

namespace {

WebWidget *web(QWidget *page)
{
    return static_cast<WebWidget *>(page);
}

} // namespace

// Makes m_webPage (the library page exists already, for its tile view) and
// connects its loggedIn(), loggedOut() and searchFor(QString) to the slots of
// the same names, and what its bridge asks of the window.
void MainWindow::createWebPage()
{
    auto *page = new WebWidget(m_engines, this);
    m_webPage = page;
    connect(page, &WebWidget::loggedIn, this, &MainWindow::loggedIn);
    connect(page, &WebWidget::loggedOut, this, &MainWindow::loggedOut);
    connect(page, &WebWidget::searchFor, this, &MainWindow::searchFor);
    connect(page, &WebWidget::refreshChannelsRequested, this,
            [this](const QString &name) { refreshChannels(name); });
    connect(page, &WebWidget::sidebarItemRequested, this, &MainWindow::selectSidebarItem);
    connect(page, &WebWidget::downloadsPageRequested, this, &MainWindow::setDownloadSelected);
}

// The sign-in page (the page's login()).
void MainWindow::webShowSignIn()
{
    web(m_webPage)->login();
}

// The members' home (corvana()).
void MainWindow::webShowHome()
{
    web(m_webPage)->corvana();
}

// The view of a channel registered under `name` (channel(name)).
void MainWindow::webShowChannel(const QString &name)
{
    web(m_webPage)->channel(name);
}

// Pauses media playing inside the page (stopPlayer()).
void MainWindow::webStopPlayer()
{
    web(m_webPage)->stopPlayer();
}

// A search from the "SEARCHES" rows (doSearchFor(text)).
void MainWindow::webDoSearchFor(const QString &text)
{
    web(m_webPage)->doSearchFor(text);
}

// Shows the site view and loads its search address with the query item "q" = text.
void MainWindow::webSearchAllChannels(const QString &text)
{
    WebWidget *page = web(m_webPage);
    QUrl url = page->searchUrl(WebWidget::SiteView);
    QUrlQuery query(url);
    query.removeAllQueryItems(QStringLiteral("q")); // the address ends in an empty "q="
    query.addQueryItem(QStringLiteral("q"), text);
    url.setQuery(query);
    page->corvana();
    page->load(url);
}

// Loads `url` in the site view (load(url)).
void MainWindow::webLoad(const QUrl &url)
{
    web(m_webPage)->load(url);
}

// The offline view, when the machine has no network at start.
void MainWindow::webShowOffline()
{
    web(m_webPage)->showOffline();
}

// The developer tools of the current view (setVisibleWebInspectorCurrentPage(true)).
void MainWindow::webShowInspector()
{
    web(m_webPage)->setVisibleWebInspectorCurrentPage(true);
}

// A channel row was made: the page creates its view (name, url, search address
// from SidebarModel::UrlRole / SearchRole).
void MainWindow::webRegisterChannel(QStandardItem *item, const ChannelEntry &entry)
{
    if (entry.url.isEmpty())
        return; // a heading row without a page of its own
    const QUrl search = entry.searchDisabled.isEmpty() ? QUrl(entry.search) : QUrl();
    web(m_webPage)->createChannel(item->text(), QUrl(entry.url), search);
}

// A channel row is about to go: the page drops its view.
void MainWindow::webUnregisterChannel(QStandardItem *item)
{
    web(m_webPage)->removeChannel(item->text());
}

// After the channels arrived: "corvana" shows the main view, "discaveo" and
// "lumiqotv" the add-on pages, a known channel its view, anything else the main view.
void MainWindow::webReopen(const QString &pageName)
{
    WebWidget *page = web(m_webPage);
    if (pageName == QLatin1String("discaveo") || pageName == QLatin1String("lumiqotv") ||
        page->hasChannel(pageName))
        page->tabFocus(pageName, QString());
    else
        page->showSite(); // the page the member is on stays as it is
}
