// The library page's slot in the main window.
#include "gui/mainwindow/MainWindow.h"

#include "gui/mainwindow/PagePlaceholder.h"

// Makes m_libraryPage and connects its playVideo(QString) to openFile().
void MainWindow::createLibraryPage()
{
    m_libraryPage = new PagePlaceholder(tr("My Library"), this);
}
