// The library page's slot in the main window.
#include "gui/mainwindow/MainWindow.h"

#include "engines/Engines.h"
#include "gui/library/LibraryWidget.h"

// Makes m_libraryPage over the engines' library; its playVideo(QString) opens
// the file in the player, a category or cast link searches the site. The TV
// server is built on the switch's first use.
void MainWindow::createLibraryPage()
{
    Engines *engines = m_engines;
    auto *page = new LibraryWidget(
        engines->library(), engines->prompt(), [engines] { return engines->tv(); }, this);
    connect(page, &LibraryWidget::playVideo, this, &MainWindow::openFile);
    connect(page, &LibraryWidget::searchRequested, this, &MainWindow::searchFor);
    page->setBurnProject(engines->project());
    page->setAccount(engines->account());
    // The program's desktop notifications hear of finished discs.
    connect(page, &LibraryWidget::burnFinished, engines, &Engines::burnFinished);
    m_libraryPage = page;
}
