// The main window's moving parts: the picture over empty pages, the player
// toolbar sliding in and out, and the library row's import animation.
#include "gui/mainwindow/MainWindow.h"

#include "core/LogFile.h"
#include "gui/mainwindow/Artwork.h"
#include "gui/mainwindow/CorvTreeView.h"
#include "gui/mainwindow/InfoWidget.h"
#include "gui/mainwindow/SidebarModel.h"
#include "gui/player/MpvPlayer.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QStackedWidget>
#include <QTimeLine>
#include <QTimer>
#include <QUrl>

void MainWindow::updateInfoWidget()
{
    QString picture;
    QString title;
    QString text;
    int reserve = 43;
    bool dark = false;
    if (m_currentPage == DownloadsPage && downloadCount() == 0) {
        picture = QStringLiteral(":/images/messages/downloadmanager_message.png");
        title = tr("No downloads");
        text = tr("Videos you download from the site appear here while they arrive.");
    } else if (m_currentPage == LibraryPage && libraryCount() == 0) {
        picture = QStringLiteral(":/images/messages/library_message.png");
        title = tr("Your library is empty");
        text = tr("Download videos from the site, or import your own with Import.");
    } else if (m_currentPage == PlayerPage && !m_mediaObject->hasVideo()) {
        picture = QStringLiteral(":/images/messages/player_message.png");
        title = tr("Nothing is playing");
        text = tr("Choose a video in your library and press its play button.");
        reserve = 63;
        dark = true;
    }
    if (picture.isEmpty()) {
        m_infoWidget->lower();
        m_infoWidget->hide();
        return;
    }
    m_infoWidget->setPicture(Artwork::pixmap(picture, devicePixelRatio()), title, text);
    m_infoWidget->showPicture(dark);
    m_infoWidget->raise();
    setMinimumHeight(m_infoWidget->height() + reserve);
    placeInfoWidget();
}

void MainWindow::placeInfoWidget()
{
    const QRect area = m_pages->geometry().translated(centralWidget()->pos());
    const int bottom = (m_currentPage == LibraryPage || m_currentPage == DownloadsPage)
                           ? 42
                           : m_toolbarHeight + 11;
    const int x = area.left() + (area.width() - m_infoWidget->width()) / 2;
    const int y = area.top() + (area.height() - bottom - m_infoWidget->height()) / 2;
    m_infoWidget->move(x, qMax(area.top(), y));
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    placeInfoWidget();
}

void MainWindow::showToolbar()
{
    if (!m_playerToolbar || m_playerToolbar->isVisible())
        return;
    m_toolbarTimeLine->stop();
    m_playerToolbar->setFixedHeight(0);
    m_playerToolbar->show();
    m_toolbarTimeLine->setDirection(QTimeLine::Forward);
    m_toolbarTimeLine->start();
}

void MainWindow::hideToolbar()
{
    if (!m_playerToolbar || !m_playerToolbar->isVisible())
        return;
    m_toolbarTimeLine->stop();
    m_toolbarTimeLine->setDirection(QTimeLine::Backward);
    m_toolbarTimeLine->start();
}

void MainWindow::animateToolbar(qreal value)
{
    if (m_playerToolbar)
        m_playerToolbar->setFixedHeight(int(m_toolbarHeight * value));
}

void MainWindow::animationComplete()
{
    if (m_playerToolbar && m_toolbarTimeLine->direction() == QTimeLine::Backward)
        m_playerToolbar->hide();
}

void MainWindow::ImportstartProgressIndicator()
{
    if (!m_importProgressTimer->isActive())
        m_importProgressTimer->start();
}

void MainWindow::ImportanimateProgressIndicator()
{
    m_model->setLibraryIcon(QStringLiteral(":/images/progress/progress%1.png").arg(s_progressFrame));
    s_progressFrame = s_progressFrame % 12 + 1;
}

void MainWindow::ImportstopProgressIndicator()
{
    m_importProgressTimer->stop();
    m_model->setLibraryIcon(QString());
}

void MainWindow::openLogFolder()
{
    // The folder that holds the log file, not the temporary folder.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(ZR::LogFile::logFilePath()).absolutePath()));
}
