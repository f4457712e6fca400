#pragma once

#include "tv/renderer/CastMedia.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <functional>

class CorvPlayerWidget;
class Library;
class LumiqoTv;
class MediaModel;
class PlayerTransport;
class QMessageBox;
class QToolButton;
class RendererFinder;
class RendererSession;
class ResumeBar;
class TvMenu;
class TvModePanel;

// The player page's TV mode: a library video pushed to a TV from the tile's
// "Play on TV" menu or the player's bar, then watched and controlled from the
// page (TvModePanel) until "Back to this computer" brings it home at the
// place the TV reached. The media server is started first when it is off
// (after one question); the video goes on at its resume place, as it does
// here. Everything that waits (the file's listing and probe, every SOAP
// call) happens off the window's thread or asynchronously.
class TvMode : public QObject
{
    Q_OBJECT

public:
    // While the TV plays, the place is kept this often (as the player does).
    static constexpr int SaveIntervalMs = 10000;

    // `tv` gives the media server (built on first use).
    TvMode(CorvPlayerWidget *page, PlayerTransport *transport, Library *library,
           RendererFinder *finder, std::function<LumiqoTv *()> tv, QObject *parent = nullptr);
    ~TvMode() override;

    // A "Play on TV" menu for another place (a tile's menu), owned by `parent`.
    TvMenu *makeMenu(QWidget *parent);
    TvMenu *barMenu() const { return m_barMenu; }
    QToolButton *barButton() const { return m_barButton; }
    TvModePanel *panel() const { return m_panel; }
    ResumeBar *resumeBar() const { return m_resumeBar; }
    // The question about the media server while it is open (else nullptr).
    QMessageBox *serverQuestion() const;
    RendererSession *session() const;
    bool isActive() const { return m_active; }
    QString videoPath() const { return m_path; }
    // What the TV does while the mode is active ("PLAYING", ... ; empty before it told).
    QString tvState() const;
    qint64 positionMs() const { return m_positionMs; }
    qint64 durationMs() const { return m_durationMs; }
    // 0..100, or -1 before the TV told it.
    int tvVolume() const { return m_volume; }
    bool tvMuted() const { return m_muted; }

public Q_SLOTS:
    // Plays the library video at `path` on the TV, at its resume place.
    void playOnTv(const QString &path, const QString &rendererId);
    // Hands what the player plays now over to the TV, at the same place.
    void playCurrentOnTv(const QString &rendererId);
    // Stops on the TV and goes on in the player here at the place it reached.
    void backToThisComputer();
    // The TV's controls, for the page's keys and the desktop's media keys
    // (they do nothing while no TV plays the video).
    void togglePlay();
    void play();
    void pause();
    void stop();
    void seekTo(qint64 ms);
    void seekBy(qint64 ms);
    void setTvVolume(int volume);
    void stepVolume(int percent);
    void toggleMute();

Q_SIGNALS:
    // The player page should be shown (a push began).
    void playerPageWanted();
    void activeChanged(bool active);
    // The media server was started for a push.
    void serverStarted();
    // The TV's state or volume changed (also when the mode begins or ends).
    void tvStateChanged(const QString &state);
    void tvVolumeChanged(int volume);

private:
    struct Request
    {
        QString path;
        QString rendererId;
        qint64 startMs = 0;
    };
    void preparePanelSoon(TvMenu *menu);
    void begin(const Request &request);
    void askForServer(const Request &request);
    void prepare(const Request &request);
    void push(const CastMedia &media, const Request &request);
    void enter(const Request &request);
    void leave();
    void endSession();
    void connectSession();
    void savePlace();
    void stateChanged(const QString &state);
    void failed(const QString &message);

    QPointer<CorvPlayerWidget> m_page;
    QPointer<PlayerTransport> m_transport;
    QPointer<Library> m_library;
    QPointer<RendererFinder> m_finder;
    std::function<LumiqoTv *()> m_tv;
    // The tree a push is being prepared from (its probe waits are cut short at the end).
    QPointer<MediaModel> m_preparingFrom;
    TvMenu *m_barMenu = nullptr;
    QToolButton *m_barButton = nullptr;
    TvModePanel *m_panel = nullptr;
    ResumeBar *m_resumeBar = nullptr;
    QPointer<QMessageBox> m_question;
    QPointer<RendererSession> m_session;
    QList<QPointer<TvMenu>> m_menus;
    bool m_active = false;
    // The pushed video: its file, library row and title; where the TV was last.
    QString m_path;
    qlonglong m_videoId = -1;
    qint64 m_positionMs = 0;
    qint64 m_durationMs = -1;
    qint64 m_startMs = 0;
    int m_volume = -1;
    bool m_panelPrepared = false;
    bool m_muted = false;
    int m_generation = 0;
    QElapsedTimer m_sinceSave;
};
