// The downloads page's slot in the main window.
#include "gui/mainwindow/MainWindow.h"

#include "gui/mainwindow/PagePlaceholder.h"

// Makes m_downloadsPage over the engines' download manager.
void MainWindow::createDownloadsPage()
{
    m_downloadsPage = new PagePlaceholder(tr("Downloads"), this);
}
