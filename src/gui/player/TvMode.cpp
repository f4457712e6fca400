#include "gui/player/TvMode.h"

#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/ResumeBar.h"
#include "gui/player/Toolbar.h"
#include "gui/player/TvMenu.h"
#include "gui/player/TvModePanel.h"
#include "library/Library.h"
#include "library/LibraryItem.h"
#include "library/LibraryModel.h"
#include "library/LibraryStore.h"
#include "library/PlayPositions.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaModel.h"
#include "tv/MediaServer.h"
#include "tv/renderer/RendererFinder.h"
#include "tv/renderer/RendererSession.h"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// What the worker hands back: the video as the media server offers it, and its picture.
struct Prepared
{
    bool ok = false;
    CastMedia media;
    QImage picture;
    QImage scaled; // as the panel shows it
};

// A screen on a stand, for the bar's button.
QIcon tvIcon()
{
    QIcon icon;
    for (const int size : {24, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal unit = size / 24.0;
        painter.setPen(QPen(QColor(0xf0, 0xf2, 0xf5), 1.6 * unit));
        painter.setBrush(QColor(0x30, 0x36, 0x3d));
        painter.drawRoundedRect(QRectF(3 * unit, 4 * unit, 18 * unit, 12 * unit), 1.5 * unit,
                                1.5 * unit);
        painter.drawLine(QPointF(12 * unit, 16 * unit), QPointF(12 * unit, 19 * unit));
        painter.drawLine(QPointF(8 * unit, 20 * unit), QPointF(16 * unit, 20 * unit));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// How the TV's state reads on the page.
QString stateText(const QString &state)
{
    if (state == QLatin1String("PLAYING"))
        return TvMode::tr("Playing");
    if (state == QLatin1String("PAUSED_PLAYBACK"))
        return TvMode::tr("Paused");
    if (state == QLatin1String("TRANSITIONING"))
        return TvMode::tr("The TV is loading the video…");
    if (state == QLatin1String("STOPPED") || state == QLatin1String("NO_MEDIA_PRESENT"))
        return TvMode::tr("Stopped");
    return {};
}

} // namespace

TvMode::TvMode(CorvPlayerWidget *page, PlayerTransport *transport, Library *library,
               RendererFinder *finder, std::function<LumiqoTv *()> tv, QObject *parent)
    : QObject(parent), m_page(page), m_transport(transport), m_library(library), m_finder(finder),
      m_tv(std::move(tv))
{
    m_barMenu = new TvMenu(finder, page);
    m_menus.append(m_barMenu);
    preparePanelSoon(m_barMenu);
    connect(m_barMenu, &TvMenu::rendererChosen, this, &TvMode::playCurrentOnTv);
    connect(m_barMenu, &TvMenu::thisComputerChosen, this, &TvMode::backToThisComputer);
    m_barButton = new QToolButton(page->toolbar());
    m_barButton->setObjectName(QStringLiteral("playOnTvButton"));
    m_barButton->setIcon(tvIcon());
    m_barButton->setIconSize(QSize(24, 24));
    m_barButton->setAutoRaise(true);
    m_barButton->setPopupMode(QToolButton::InstantPopup);
    m_barButton->setMenu(m_barMenu);
    m_barButton->setAccessibleName(tr("Play on TV"));
    m_barButton->setToolTip(tr("Play on TV"));
    m_barButton->setStyleSheet(
        QStringLiteral("QToolButton { border: none; background: transparent; }"
                       "QToolButton::menu-indicator { image: none; }"
                       "QToolButton:focus { border: 1px solid #f0b429; }"));
    page->toolbar()->addButton(m_barButton);

    m_panel = new TvModePanel(page);
    m_panel->hide();
    connect(m_panel, &TvModePanel::playPauseClicked, this, &TvMode::togglePlay);
    connect(m_panel, &TvModePanel::stopClicked, this, [this] {
        if (m_session)
            m_session->stop();
        savePlace();
    });
    connect(m_panel, &TvModePanel::seekRequested, this, [this](qint64 ms) {
        if (!m_session)
            return;
        m_resumeBar->dismiss();
        m_session->seek(ms);
    });
    connect(m_panel, &TvModePanel::volumeRequested, this, &TvMode::setTvVolume);
    connect(m_panel, &TvModePanel::muteClicked, this, &TvMode::toggleMute);
    // Up, Down and M on the page are the TV's while it plays the video.
    connect(page, &CorvPlayerWidget::volumeStepRequested, this, [this](int percent) {
        if (m_active)
            stepVolume(percent);
    });
    connect(page, &CorvPlayerWidget::muteToggleRequested, this, [this] {
        if (m_active)
            toggleMute();
    });
    connect(m_panel, &TvModePanel::backRequested, this, &TvMode::backToThisComputer);
    m_resumeBar = new ResumeBar(m_panel->pictureLabel());
    connect(m_resumeBar, &ResumeBar::startOverRequested, this, [this] {
        if (m_session)
            m_session->seek(0);
    });
}

TvMode::~TvMode()
{
    if (m_session)
        savePlace();
    // The worker reads the media server's tree: it ends before the server
    // may go, and does not sit out the wait for the video's probe.
    for (auto *watcher : findChildren<QFutureWatcher<Prepared> *>()) {
        while (!watcher->isFinished()) {
            if (m_preparingFrom)
                m_preparingFrom->releaseWaits();
            QThread::msleep(2);
        }
    }
}

QMessageBox *TvMode::serverQuestion() const
{
    return m_question;
}

RendererSession *TvMode::session() const
{
    return m_session;
}

void TvMode::preparePanelSoon(TvMenu *menu)
{
    // The first time a menu opens, the panel is made ready at a quiet moment,
    // so pushing does not pay for its first showing.
    connect(
        menu, &QMenu::aboutToShow, this,
        [this] {
            if (m_panelPrepared)
                return;
            m_panelPrepared = true;
            QTimer::singleShot(100, m_panel, &TvModePanel::prepare);
        },
        Qt::SingleShotConnection);
}

TvMenu *TvMode::makeMenu(QWidget *parent)
{
    auto *menu = new TvMenu(m_finder, parent);
    preparePanelSoon(menu);
    menu->setCurrent(m_active && m_session ? m_session->renderer().id : QString());
    m_menus.append(menu);
    return menu;
}

void TvMode::playOnTv(const QString &path, const QString &rendererId)
{
    const qlonglong id = m_library ? m_library->model()->idOfVideo(path) : -1;
    // The same video on the same TV goes on where it is.
    const bool same = m_active && path == m_path;
    begin({path, rendererId,
           same ? m_positionMs : (id >= 0 ? m_library->model()->playPosition(id) : 0)});
}

void TvMode::playCurrentOnTv(const QString &rendererId)
{
    if (m_active) {
        if (!m_session || m_session->renderer().id != rendererId)
            begin({m_path, rendererId, m_positionMs});
        return;
    }
    if (!m_transport || m_transport->currentFile().isEmpty())
        return;
    begin({m_transport->currentFile(), rendererId, m_transport->mediaPlayer()->position()});
}

void TvMode::begin(const Request &request)
{
    if (m_question) {
        // One question at a time.
        m_question->raise();
        return;
    }
    LumiqoTv *tv = m_tv ? m_tv() : nullptr;
    if (!tv || request.path.isEmpty())
        return;
    if (tv->isRunning())
        prepare(request);
    else
        askForServer(request);
}

void TvMode::askForServer(const Request &request)
{
    const RendererInfo renderer =
        m_finder ? m_finder->renderer(request.rendererId) : RendererInfo();
    auto *box = new QMessageBox(QMessageBox::Question, tr("Play on TV"),
                                tr("The TV plays the video from this program's media server, "
                                   "which is off."),
                                QMessageBox::NoButton, m_page ? m_page->window() : nullptr);
    box->setObjectName(QStringLiteral("tvServerQuestion"));
    box->setInformativeText(tr("Start the media server and play the video on %1?")
                                .arg(renderer.isValid() ? renderer.name : tr("the TV")));
    QPushButton *start = box->addButton(tr("Start the Media Server"), QMessageBox::AcceptRole);
    start->setObjectName(QStringLiteral("startServerButton"));
    QPushButton *cancel = box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(start);
    box->setEscapeButton(cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &QMessageBox::finished, this, [this, box, start, request] {
        if (box->clickedButton() != start)
            return;
        LumiqoTv *tv = m_tv ? m_tv() : nullptr;
        if (tv && !tv->isRunning()) {
            tv->toggleServerStatus();
            Q_EMIT serverStarted();
        }
        if (!tv || !tv->isRunning()) {
            enter(request);
            failed(tr("The media server could not start, so the TV cannot fetch the video."));
            return;
        }
        prepare(request);
    });
    m_question = box;
    box->open();
}

void TvMode::prepare(const Request &request)
{
    enter(request);
    LumiqoTv *tv = m_tv ? m_tv() : nullptr;
    const RendererInfo renderer =
        m_finder ? m_finder->renderer(request.rendererId) : RendererInfo();
    if (!renderer.isValid()) {
        failed(tr("The TV is no longer on the network."));
        return;
    }
    const int generation = ++m_generation;
    MediaModel *model = tv->model();
    m_preparingFrom = model;
    const ServerDelegate *delegate = tv->delegate();
    const quint16 port = tv->server()->port();
    const QHostAddress peer = renderer.address;
    const QString path = request.path;
    QString title;
    QString picturePath;
    if (m_library && m_videoId >= 0) {
        const LibraryItem item = m_library->model()->item(m_library->model()->rowOfId(m_videoId));
        title = item.title();
        picturePath = QFileInfo::exists(item.coverPath()) ? item.coverPath() : item.thumbnailPath();
    }
    const QSize pictureSize = m_panel->pictureSize();
    auto *watcher = new QFutureWatcher<Prepared>(this);
    connect(watcher, &QFutureWatcher<Prepared>::finished, this,
            [this, watcher, generation, request] {
                watcher->deleteLater();
                if (generation != m_generation)
                    return; // another push, or back here, since
                const Prepared prepared = watcher->result();
                if (!prepared.picture.isNull())
                    m_panel->setVideo(prepared.media.title.isEmpty()
                                          ? QFileInfo(request.path).completeBaseName()
                                          : prepared.media.title,
                                      prepared.picture, prepared.scaled);
                if (!prepared.ok) {
                    failed(tr("The media server does not offer this video: only videos in the "
                              "library folder can play on a TV."));
                    return;
                }
                push(prepared.media, request);
            });
    // Listing the folders, the probe and the picture are read off the window's thread.
    watcher->setFuture(QtConcurrent::run([=] {
        Prepared prepared;
        QString error;
        prepared.ok = CastMedia::fromLibraryFile(model, delegate, path, title,
                                                 CastMedia::localAddressFor(peer), port,
                                                 &prepared.media, &error);
        if (!picturePath.isEmpty())
            prepared.picture.load(picturePath);
        prepared.scaled = TvModePanel::scaledPicture(prepared.picture, pictureSize);
        return prepared;
    }));
}

void TvMode::push(const CastMedia &media, const Request &request)
{
    const RendererInfo renderer =
        m_finder ? m_finder->renderer(request.rendererId) : RendererInfo();
    if (!renderer.isValid()) {
        failed(tr("The TV is no longer on the network."));
        return;
    }
    if (media.durationMs > 0)
        m_durationMs = media.durationMs;
    m_session = new RendererSession(renderer, this);
    connectSession();
    m_sinceSave.start();
    m_session->push(media, request.startMs);
}

void TvMode::enter(const Request &request)
{
    endSession();
    m_path = request.path;
    m_startMs = request.startMs;
    m_positionMs = request.startMs;
    m_videoId = m_library ? m_library->model()->idOfVideo(request.path) : -1;
    m_durationMs = -1;
    QString title = QFileInfo(request.path).completeBaseName();
    if (m_library && m_videoId >= 0) {
        const LibraryItem item = m_library->model()->item(m_library->model()->rowOfId(m_videoId));
        if (!item.title().isEmpty())
            title = item.title();
        if (item.mediaLengthInSecs() > 0)
            m_durationMs = qint64(item.mediaLengthInSecs()) * 1000;
    }
    // The player here stops where it is (and keeps that place) while the TV plays.
    if (m_transport && m_transport->mediaPlayer()->playbackState() != QMediaPlayer::StoppedState) {
        m_transport->savePosition();
        m_transport->pause();
    }
    const RendererInfo renderer =
        m_finder ? m_finder->renderer(request.rendererId) : RendererInfo();
    if (m_page)
        m_page->exitFullScreen();
    m_panel->setVideo(title, QImage());
    m_panel->setTvName(renderer.isValid() ? renderer.name : tr("the TV"));
    m_panel->setStatus(tr("Starting on the TV…"));
    m_panel->setControlsEnabled(false);
    m_panel->setPlaying(false);
    m_panel->setPosition(m_positionMs, m_durationMs);
    m_panel->show();
    m_panel->raise();
    // The page's keys go to the TV's controls, not to the picture underneath.
    m_panel->backButton()->setFocus();
    m_resumeBar->dismiss();
    const bool wasActive = m_active;
    m_active = true;
    m_volume = -1;
    m_muted = false;
    m_panel->setMuted(false);
    if (m_transport)
        m_transport->setHandedOver(true);
    for (const QPointer<TvMenu> &menu : std::as_const(m_menus)) {
        if (menu)
            menu->setCurrent(request.rendererId);
    }
    if (!wasActive)
        Q_EMIT activeChanged(true);
    Q_EMIT playerPageWanted();
}

void TvMode::connectSession()
{
    RendererSession *session = m_session;
    connect(session, &RendererSession::started, this, [this] {
        m_panel->setControlsEnabled(true);
        m_panel->setPlaying(true);
        m_panel->setStatus(stateText(QStringLiteral("PLAYING")));
        if (m_startMs > 0)
            m_resumeBar->showResumed(Toolbar::formatTime(m_startMs, m_durationMs >= 3600 * 1000));
        m_session->readVolume();
    });
    connect(session, &RendererSession::positionChanged, this,
            [this](qint64 position, qint64 duration) {
                m_positionMs = position;
                if (duration > 0)
                    m_durationMs = duration;
                m_panel->setPosition(m_positionMs, m_durationMs);
                if (m_sinceSave.elapsed() >= SaveIntervalMs)
                    savePlace();
            });
    connect(session, &RendererSession::stateChanged, this, &TvMode::stateChanged);
    connect(session, &RendererSession::volumeRead, this, [this](int volume) {
        m_volume = volume;
        m_panel->setVolume(volume);
        Q_EMIT tvVolumeChanged(volume);
    });
    connect(session, &RendererSession::muteRead, this, [this](bool muted) {
        m_muted = muted;
        m_panel->setMuted(muted);
    });
    connect(session, &RendererSession::failed, this, &TvMode::failed);
    connect(session, &RendererSession::finished, this, [this](qint64 last) {
        if (last > 0)
            m_positionMs = last;
        savePlace();
    });
    connect(session, &RendererSession::actionDone, this,
            [this](const QString &, bool ok, const QString &message) {
                if (!ok)
                    m_panel->setError(message);
            });
    if (m_finder) {
        const QString id = session->renderer().id;
        connect(m_finder, &RendererFinder::rendererRemoved, session,
                [session, id](const QString &gone) {
                    if (gone == id)
                        session->rendererGone();
                });
    }
}

void TvMode::stateChanged(const QString &state)
{
    const QString text = stateText(state);
    m_panel->setPlaying(state == QLatin1String("PLAYING"));
    if (!text.isEmpty())
        m_panel->setStatus(text);
    if (state == QLatin1String("PAUSED_PLAYBACK"))
        savePlace();
    Q_EMIT tvStateChanged(state);
}

void TvMode::failed(const QString &message)
{
    m_panel->setError(message);
    m_panel->setControlsEnabled(false);
    m_panel->setPlaying(false);
    m_resumeBar->dismiss();
    savePlace();
}

QString TvMode::tvState() const
{
    return m_active && m_session ? m_session->transportState() : QString();
}

void TvMode::togglePlay()
{
    if (!m_active || !m_session)
        return;
    if (m_session->transportState() == QLatin1String("PLAYING"))
        m_session->pause();
    else
        m_session->play();
}

void TvMode::play()
{
    if (m_active && m_session)
        m_session->play();
}

void TvMode::pause()
{
    if (m_active && m_session)
        m_session->pause();
}

void TvMode::stop()
{
    if (!m_active || !m_session)
        return;
    m_session->stop();
    savePlace();
}

void TvMode::seekTo(qint64 ms)
{
    if (!m_active || !m_session)
        return;
    m_resumeBar->dismiss();
    qint64 target = qMax<qint64>(0, ms);
    if (m_durationMs > 0)
        target = qMin(target, m_durationMs);
    m_session->seek(target);
}

void TvMode::seekBy(qint64 ms)
{
    seekTo(m_positionMs + ms);
}

void TvMode::setTvVolume(int volume)
{
    if (!m_active || !m_session)
        return;
    m_volume = qBound(0, volume, 100);
    m_panel->setVolume(m_volume);
    m_session->setVolume(m_volume);
    Q_EMIT tvVolumeChanged(m_volume);
}

void TvMode::stepVolume(int percent)
{
    if (!m_active || !m_session || m_volume < 0)
        return;
    // As here: a step unmutes.
    if (m_muted) {
        m_muted = false;
        m_panel->setMuted(false);
        m_session->setMute(false);
    }
    setTvVolume(m_volume + percent);
}

void TvMode::toggleMute()
{
    if (!m_active || !m_session)
        return;
    m_muted = !m_muted;
    m_panel->setMuted(m_muted);
    m_session->setMute(m_muted);
}

void TvMode::savePlace()
{
    m_sinceSave.restart();
    if (!m_library || m_videoId < 0)
        return;
    const qint64 duration = m_durationMs;
    if (duration > 0 && m_positionMs >= duration - LibraryStore::watchedZoneMs(duration))
        m_library->positions()->setWatched(m_videoId, true);
    else if (m_positionMs > 0 || m_library->model()->playPosition(m_videoId) > 0)
        m_library->positions()->savePlayPosition(m_videoId, m_positionMs);
}

void TvMode::endSession()
{
    ++m_generation;
    if (!m_session)
        return;
    RendererSession *session = m_session;
    m_session = nullptr;
    disconnect(session, nullptr, this, nullptr);
    // It goes once the TV answered the stop (or could not).
    // (Answers to earlier actions may still come in before it.)
    connect(session, &RendererSession::actionDone, session, [session](const QString &action) {
        if (action == QLatin1String("Stop"))
            session->deleteLater();
    });
    connect(session, &RendererSession::failed, session, &QObject::deleteLater);
    QTimer::singleShot(2 * RendererSession::StartLimitMs, session, &QObject::deleteLater);
    session->stop();
}

void TvMode::leave()
{
    m_panel->hide();
    m_resumeBar->dismiss();
    m_active = false;
    if (m_transport)
        m_transport->setHandedOver(false);
    for (const QPointer<TvMenu> &menu : std::as_const(m_menus)) {
        if (menu)
            menu->setCurrent(QString());
    }
    Q_EMIT activeChanged(false);
    Q_EMIT tvStateChanged(QString());
}

void TvMode::backToThisComputer()
{
    if (!m_active)
        return;
    savePlace();
    endSession();
    leave();
    Q_EMIT playerPageWanted();
    if (m_transport)
        m_transport->openFileAt(m_path, m_positionMs);
}
