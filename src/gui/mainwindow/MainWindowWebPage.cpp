// The web page's slot in the main window: the page is made here, and every
// request the window makes of it goes through the web*() methods below.
// This file is the only one in the window that knows the page's class.
#include "gui/mainwindow/MainWindow.h"

#include "gui/mainwindow/PagePlaceholder.h"

#include <QStandardItem>
#include <QUrl>

// Makes m_webPage (the library page exists already, for its tile view) and
// connects its loggedIn(), loggedOut() and searchFor(QString) to the slots of
// the same names.
void MainWindow::createWebPage()
{
    m_webPage = new PagePlaceholder(tr("Corvana"), this);
}

// The sign-in page (the page's login()).
void MainWindow::webShowSignIn()
{
}

// The members' home (corvana()).
void MainWindow::webShowHome()
{
}

// The view of a channel registered under `name` (channel(name)).
void MainWindow::webShowChannel(const QString &name)
{
    Q_UNUSED(name);
}

// Pauses media playing inside the page (stopPlayer()).
void MainWindow::webStopPlayer()
{
}

// A search from the "SEARCHES" rows (doSearchFor(text)).
void MainWindow::webDoSearchFor(const QString &text)
{
    Q_UNUSED(text);
}

// Shows the site view and loads its search address with the query item "q" = text.
void MainWindow::webSearchAllChannels(const QString &text)
{
    Q_UNUSED(text);
}

// Loads `url` in the site view (load(url)).
void MainWindow::webLoad(const QUrl &url)
{
    Q_UNUSED(url);
}

// The offline view, when the machine has no network at start.
void MainWindow::webShowOffline()
{
}

// The developer tools of the current view (setVisibleWebInspectorCurrentPage(true)).
void MainWindow::webShowInspector()
{
}

// A channel row was made: the page creates its view (name, url, search address
// from SidebarModel::UrlRole / SearchRole).
void MainWindow::webRegisterChannel(QStandardItem *item, const ChannelEntry &entry)
{
    Q_UNUSED(item);
    Q_UNUSED(entry);
}

// A channel row is about to go: the page drops its view.
void MainWindow::webUnregisterChannel(QStandardItem *item)
{
    Q_UNUSED(item);
}

// After the channels arrived: "corvana" shows the main view, "discaveo" and
// "lumiqotv" the add-on pages, a known channel its view, anything else the main view.
void MainWindow::webReopen(const QString &pageName)
{
    Q_UNUSED(pageName);
}
