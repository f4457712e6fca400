#include "gui/player/PlayerTransport.h"

#include "core/UserPrompt.h"
#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/MediaVideoWidget.h"
#include "gui/player/MpvAudioOutput.h"
#include "gui/player/ResumeBar.h"
#include "gui/player/SeekSlider.h"
#include "gui/player/SubtitleChooser.h"
#include "gui/player/Toolbar.h"
#include "gui/player/VolumeSlider.h"
#include "library/Library.h"
#include "library/LibraryModel.h"
#include "library/LibraryStore.h"
#include "library/PlayPositions.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMediaMetaData>
#include <QMetaMethod>
#include <QToolButton>
#include <QUrl>

PlayerTransport::PlayerTransport(CorvPlayerWidget *page, UserPrompt *prompt, MpvPlayer *player,
                                 QObject *parent)
    : QObject(parent), m_page(page), m_prompt(prompt),
      m_player(player ? player : new MpvPlayer(this))
{
    page->videoWidget()->setPlayer(m_player);
    Toolbar *toolbar = page->toolbar();
    toolbar->seekSlider()->setMediaPlayer(m_player);
    toolbar->volumeSlider()->setAudioOutput(m_player->audioOutput());
    toolbar->playButton()->setEnabled(false);
    m_subtitles = new SubtitleChooser(m_player, page->videoWidget(), this);
    toolbar->addButton(m_subtitles->button());

    connect(page, &CorvPlayerWidget::playCommand, this, &PlayerTransport::playCommand);
    connect(page, &CorvPlayerWidget::volumeStepRequested, this, [this](int percent) {
        if (!m_handedOver)
            stepVolume(percent);
    });
    connect(page, &CorvPlayerWidget::muteToggleRequested, this, [this] {
        if (!m_handedOver)
            toggleMute();
    });
    connect(page, &CorvPlayerWidget::replayRequested, this, &PlayerTransport::play);
    connect(m_player, &MpvPlayer::playbackStateChanged, this, &PlayerTransport::stateChanged);
    connect(m_player, &MpvPlayer::mediaStatusChanged, this, &PlayerTransport::mediaStatusChanged);
    connect(m_player, &MpvPlayer::errorOccurred, this, &PlayerTransport::errorOccurred);
    connect(m_player, &MpvPlayer::positionChanged, this, &PlayerTransport::positionChanged);
    connect(m_player, &MpvPlayer::durationChanged, this, &PlayerTransport::updateTime);
    connect(m_player, &MpvPlayer::seekableChanged, this, &PlayerTransport::resumeIfPending);

    m_resumeBar = new ResumeBar(page->videoWidget());
    connect(m_resumeBar, &ResumeBar::startOverRequested, this, &PlayerTransport::startOver);
    m_saveTimer.setInterval(SaveIntervalMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &PlayerTransport::savePosition);
}

PlayerTransport::~PlayerTransport()
{
    savePosition();
    if (m_player)
        m_player->stop();
}

void PlayerTransport::setLibrary(Library *library)
{
    m_library = library;
}

void PlayerTransport::savePosition()
{
    if (!m_library || m_videoId < 0 || !m_player || m_failed || m_resumeAt > 0)
        return;
    const qint64 duration = m_player->duration();
    const qint64 position = m_player->position();
    if (duration <= 0)
        return;
    if (atEnd() || position >= duration - LibraryStore::watchedZoneMs(duration)) {
        if (!m_countedWatched)
            m_library->positions()->setWatched(m_videoId, true);
        m_countedWatched = true;
        return;
    }
    m_countedWatched = false;
    if (position > 0 || m_library->model()->playPosition(m_videoId) > 0)
        m_library->positions()->savePlayPosition(m_videoId, position);
}

void PlayerTransport::startOver()
{
    m_resumeAt = 0;
    m_resumeBar->dismiss();
    m_player->setPosition(0);
    Q_EMIT seeked(0);
    if (m_library && m_videoId >= 0)
        m_library->positions()->savePlayPosition(m_videoId, 0);
}

void PlayerTransport::resumeIfPending()
{
    if (m_resumeAt <= 0 || !m_player->isSeekable())
        return;
    const qint64 at = m_resumeAt;
    m_resumeAt = 0;
    m_player->setPosition(at);
    const qint64 duration = m_player->duration();
    m_resumeBar->showResumed(Toolbar::formatTime(at, duration >= 3600 * 1000));
    Q_EMIT seeked(at);
}

bool PlayerTransport::hasValidSource() const
{
    return !m_player->source().isEmpty() && !m_failed;
}

void PlayerTransport::openFile(const QString &path)
{
    openFileAt(path, -1);
}

void PlayerTransport::openFileAt(const QString &path, qint64 startMs)
{
    // The video that was playing keeps its place.
    savePosition();
    m_resumeBar->dismiss();
    m_videoId = m_library ? m_library->model()->idOfVideo(path) : -1;
    if (startMs >= 0)
        m_resumeAt = startMs;
    else
        m_resumeAt = m_videoId >= 0 ? m_library->model()->playPosition(m_videoId) : 0;
    m_countedWatched = false;
    if (m_page)
        m_page->toolbar()->setEnabled(true);
    m_queue.clear();
    m_currentFile = path;
    m_failed = false;
    m_shownSecond = -1;
    m_titlePending = true;
    if (m_page)
        m_page->hideEnded();
    m_player->setSource(QUrl::fromLocalFile(path));
    m_player->play();
    // The same file again is loaded already: no new status will come.
    const QMediaPlayer::MediaStatus status = m_player->mediaStatus();
    if (status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia)
        resumeIfPending();
}

void PlayerTransport::addFile(const QString &path)
{
    m_queue.append(path);
}

void PlayerTransport::clearFiles()
{
    m_queue.clear();
}

bool PlayerTransport::atEnd() const
{
    const qint64 duration = m_player->duration();
    return m_player->mediaStatus() == QMediaPlayer::EndOfMedia ||
           (duration > 0 && m_player->position() >= duration);
}

void PlayerTransport::playPause()
{
    if (m_player->playbackState() == QMediaPlayer::PlayingState)
        pause();
    else
        play();
}

void PlayerTransport::play()
{
    if (m_player->source().isEmpty())
        return;
    if (atEnd())
        m_player->setPosition(0);
    m_player->play();
}

void PlayerTransport::pause()
{
    m_player->pause();
}

void PlayerTransport::stop()
{
    savePosition();
    m_player->stop();
    m_shownSecond = -1;
    updateTime();
}

void PlayerTransport::rewind()
{
    seekTo(m_player->position() - SeekStepMs);
}

void PlayerTransport::ffw()
{
    seekTo(m_player->position() + SeekStepMs);
}

void PlayerTransport::seekTo(qint64 ms)
{
    const qint64 duration = m_player->duration();
    m_player->setPosition(qBound(qint64(0), ms, duration > 0 ? duration : qMax(qint64(0), ms)));
}

void PlayerTransport::setVolume(int volume)
{
    m_player->audioOutput()->setVolume(float(volume) / 100.0f);
}

void PlayerTransport::stepVolume(int percent)
{
    MpvAudioOutput *audio = m_player->audioOutput();
    const int now = qRound(audio->volume() * 100.0f);
    audio->setMuted(false);
    setVolume(qBound(0, now + percent, 100));
}

void PlayerTransport::toggleMute()
{
    MpvAudioOutput *audio = m_player->audioOutput();
    audio->setMuted(!audio->isMuted());
}

QString PlayerTransport::currentTitle() const
{
    const QString tagged = m_player->metaData().stringValue(QMediaMetaData::Title).trimmed();
    if (!tagged.isEmpty())
        return tagged;
    // A library video untagged: its title there, which a file name may
    // only approach (it cannot hold every sign of a title).
    if (m_library && m_videoId >= 0) {
        const LibraryModel *model = m_library->model();
        const QString listed = model->item(model->rowOfId(m_videoId)).title().trimmed();
        if (!listed.isEmpty())
            return listed;
    }
    return QFileInfo(m_currentFile).completeBaseName();
}

QString PlayerTransport::currentChannel() const
{
    return m_player->metaData().stringValue(QMediaMetaData::Publisher).trimmed();
}

void PlayerTransport::playCommand(int command)
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

void PlayerTransport::positionChanged(qint64 position)
{
    // The labels show whole seconds: refresh them once a second, not on
    // every position report.
    if (position / 1000 != m_shownSecond)
        updateTime();
}

void PlayerTransport::updateTime()
{
    const qint64 position = m_player->position();
    const qint64 total = m_player->duration();
    if ((position == 0 && total == 0) || !m_page)
        return;
    m_shownSecond = position / 1000;
    const bool hours = total >= 3600 * 1000;
    Toolbar *toolbar = m_page->toolbar();
    toolbar->currentTimeLabel()->setText(Toolbar::formatTime(position, hours));
    if (total != 0)
        toolbar->totalTimeLabel()->setText(Toolbar::formatTime(total, hours));
}

void PlayerTransport::stateChanged(QMediaPlayer::PlaybackState state)
{
    // While playing the place is kept every few seconds, and when paused.
    if (state == QMediaPlayer::PlayingState)
        m_saveTimer.start();
    else
        m_saveTimer.stop();
    if (state == QMediaPlayer::PausedState)
        savePosition();
    if (!m_page)
        return;
    Toolbar *toolbar = m_page->toolbar();
    if (state == QMediaPlayer::PlayingState) {
        toolbar->playButton()->setEnabled(true);
        toolbar->setPauseLook(true);
        m_page->hideEnded();
        announceIfDue();
    } else {
        toolbar->setPauseLook(false);
        toolbar->playButton()->setEnabled(hasValidSource());
    }
}

// A new file is announced once it is open and playing.
void PlayerTransport::announceIfDue()
{
    if (!m_titlePending || !m_page || m_player->playbackState() != QMediaPlayer::PlayingState ||
        m_player->mediaStatus() != QMediaPlayer::BufferedMedia)
        return;
    m_titlePending = false;
    m_page->showTitle(currentTitle(), currentChannel());
    Q_EMIT nowPlaying(currentTitle());
}

void PlayerTransport::mediaStatusChanged(QMediaPlayer::MediaStatus status)
{
    announceIfDue();
    if (status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia)
        resumeIfPending();
    if (status != QMediaPlayer::EndOfMedia)
        return;
    savePosition();
    if (m_queue.isEmpty()) {
        // The last picture stays; Replay (or Space) starts again from the top.
        if (m_page)
            m_page->showEnded(currentTitle());
        Q_EMIT ended();
        return;
    }
    // The next queued file follows the one that ended.
    const QString next = m_queue.takeFirst();
    const QStringList rest = m_queue;
    openFile(next);
    m_queue = rest;
}

void PlayerTransport::errorOccurred(QMediaPlayer::Error error, const QString &text)
{
    if (error == QMediaPlayer::NoError || m_failed)
        return;
    // A file that cannot be read or decoded stays unplayable; a network
    // hiccup only pauses.
    const bool fatal = error != QMediaPlayer::NetworkError;
    if (fatal)
        m_failed = true;
    // "Resource not found" says nothing of which file or what to do: the
    // library offers to find the file or to remove its video.
    const bool missing = !m_currentFile.isEmpty() && !QFileInfo::exists(m_currentFile) &&
                         isSignalConnected(QMetaMethod::fromSignal(&PlayerTransport::fileMissing));
    if (missing)
        Q_EMIT fileMissing(m_currentFile);
    else
        m_prompt->warning(QCoreApplication::translate("MainWindow", "CorvanaZELTA"), text);
    if (fatal) {
        if (m_page)
            m_page->toolbar()->playButton()->setEnabled(false);
    } else {
        m_player->pause();
    }
}
