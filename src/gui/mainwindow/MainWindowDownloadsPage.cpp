// The downloads page's slot in the main window.
#include "gui/mainwindow/MainWindow.h"

#include "engines/Engines.h"
#include "gui/downloads/DownloadWidget.h"

// Makes m_downloadsPage over the engines' download manager; a card's play
// button opens its (partly written) file in the player.
void MainWindow::createDownloadsPage()
{
    auto *page = new DownloadWidget(m_engines->downloadManager(), this);
    connect(page, &DownloadWidget::playRequested, this, &MainWindow::openFile);
    m_downloadsPage = page;
}
