// The downloads page's slot in the main window.
#include "gui/mainwindow/MainWindow.h"

#include "engines/Engines.h"
#include "gui/downloads/DownloadWidget.h"
#include "gui/mainwindow/SidebarModel.h"

// Makes m_downloadsPage over the engines' download manager; a card's play
// button opens its (partly written) file in the player, its Sign In button
// the site's sign-in page.
void MainWindow::createDownloadsPage()
{
    auto *page = new DownloadWidget(m_engines->downloadManager(), m_engines->prompt(), this);
    connect(page, &DownloadWidget::playRequested, this, &MainWindow::openFile);
    connect(page, &DownloadWidget::signInRequested, this, [this] {
        selectItem(m_model->siteItem());
        webShowSignIn();
    });
    m_downloadsPage = page;
}
