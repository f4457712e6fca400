// The player's slot in the main window: the player page, and the transport
// the window runs on its media player (m_mediaObject).
#include "gui/mainwindow/MainWindow.h"

#include "engines/Engines.h"
#include "gui/library/LibraryWidget.h"
#include "gui/mainwindow/InfoWidget.h"
#include "gui/mainwindow/SidebarModel.h"
#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/MediaVideoWidget.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/Toolbar.h"
#include "gui/player/TvMenu.h"
#include "gui/player/TvMode.h"

#include <QCoreApplication>

// Makes m_playerPage (the player widget), sets m_playerToolbar to its bar
// (hidden at height 0; the window slides it to 50) and m_transport to the
// transport over the window's media player, which also takes the bar's and
// the picture's play commands.
void MainWindow::createPlayerPage()
{
    auto *player = new CorvPlayerWidget(this);
    m_playerPage = player;
    m_playerToolbar = player->toolbar();
    m_transport = new PlayerTransport(player, m_engines->prompt(), m_mediaObject, this);
    connect(m_mediaObject, &MpvPlayer::hasVideoChanged, this, [this] {
        if (m_currentPage == PlayerPage)
            updateInfoWidget();
    });
    connect(m_mediaObject, &MpvPlayer::playbackStateChanged, this, &MainWindow::stateChanged);
    // A library video whose file is gone: the library page asks what to do.
    if (auto *library = qobject_cast<LibraryWidget *>(m_libraryPage))
        connect(m_transport, &PlayerTransport::fileMissing, library,
                &LibraryWidget::askAboutMissingVideo);
    createTvMode();
    // The video's title goes into the window's title while it is the player's.
    connect(m_transport, &PlayerTransport::nowPlaying, this, [this](const QString &title) {
        setWindowTitle(
            tr("%1 - Corvana Zelta %2").arg(title, QCoreApplication::applicationVersion()));
    });
}

// "Play on TV" on the player's bar and the tiles' menu; the page comes to the
// front when a push begins or the video comes back here.
void MainWindow::createTvMode()
{
    Engines *engines = m_engines;
    auto *player = static_cast<CorvPlayerWidget *>(m_playerPage);
    m_tvMode = new TvMode(
        player, m_transport, engines->library(), engines->rendererFinder(),
        [engines] { return engines->tv(); }, this);
    connect(m_tvMode, &TvMode::playerPageWanted, this, [this] {
        if (m_playerToolbar)
            m_playerToolbar->setEnabled(true);
        switchToPage(PlayerPage);
        selectItem(sidebarModel()->playerItem());
        m_infoWidget->hide();
    });
    auto *library = qobject_cast<LibraryWidget *>(m_libraryPage);
    if (!library)
        return;
    connect(m_tvMode, &TvMode::serverStarted, library, &LibraryWidget::updateTvSwitch);
    TvMenu *menu = m_tvMode->makeMenu(library);
    library->setPlayOnTvMenu(menu);
    connect(menu, &TvMenu::rendererChosen, this, [this, library](const QString &id) {
        m_tvMode->playOnTv(library->menuVideoPath(), id);
    });
    connect(menu, &TvMenu::thisComputerChosen, this, [this, library] {
        if (m_tvMode->isActive() && m_tvMode->videoPath() == library->menuVideoPath())
            m_tvMode->backToThisComputer();
        else
            library->play(library->menuVideoPath());
    });
}

// F11 on the window while the player page is shown (in full screen the
// player is a window of its own and takes the key itself).
void MainWindow::toggleFullScreen()
{
    if (m_currentPage == PlayerPage)
        static_cast<CorvPlayerWidget *>(m_playerPage)->toggleFullScreen();
}

void MainWindow::focusPlayer()
{
    static_cast<CorvPlayerWidget *>(m_playerPage)->videoWidget()->setFocus();
}

void MainWindow::openFile(const QString &path)
{
    if (m_playerToolbar)
        m_playerToolbar->setEnabled(true);
    m_currentMediaPath = path;
    switchToPage(PlayerPage);
    selectItem(sidebarModel()->playerItem());
    m_infoWidget->hide();
    // The player's keys work at once.
    focusPlayer();
    m_transport->openFile(path);
}

void MainWindow::addFile(const QString &path)
{
    m_transport->addFile(path);
}

void MainWindow::clearFiles()
{
    m_transport->clearFiles();
}

void MainWindow::playPause()
{
    if (m_tvMode && m_tvMode->isActive()) {
        m_tvMode->togglePlay();
        return;
    }
    m_transport->playPause();
}

void MainWindow::stop()
{
    m_transport->stop();
}

void MainWindow::rewind()
{
    m_transport->rewind();
}

void MainWindow::ffw()
{
    m_transport->ffw();
}

void MainWindow::setVolume(int vol)
{
    m_transport->setVolume(vol);
}

void MainWindow::playCommand(int command)
{
    m_transport->playCommand(command);
}

void MainWindow::updateTime()
{
    m_transport->updateTime();
}

// The transport gives the play button its looks; the window only follows
// whether there is a picture to show.
void MainWindow::stateChanged(QMediaPlayer::PlaybackState newState)
{
    Q_UNUSED(newState);
    if (m_currentPage == PlayerPage)
        updateInfoWidget();
}
