#pragma once

#include "tv/renderer/CastMedia.h"
#include "tv/renderer/RendererClient.h"
#include "tv/renderer/RendererEvents.h"

#include <QHash>
#include <QPointer>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// One renderer driven by the program: a video pushed to it (the resource it
// plays, SetAVTransportURI with metadata, Play, the resume place), then
// controlled and watched. The renderer's events tell its state, the video's
// length and the volume at once; the place is asked for (GetPositionInfo),
// and the state too when the renderer sends no events.
// Lives in one thread; every call returns at once and reports by signal.
class RendererSession : public QObject
{
    Q_OBJECT

public:
    // How long a pushed video may take to start playing (ms).
    static constexpr int StartLimitMs = 15000;
    // A stop told by an event is checked this much later (ms).
    static constexpr int StopConfirmMs = 1500;
    // After a volume is set, other volumes the renderer tells for this long
    // are taken as older news (answers to earlier steps), not as changes (ms).
    static constexpr int VolumeSettleMs = 2000;

    explicit RendererSession(const RendererInfo &renderer, QObject *parent = nullptr);
    ~RendererSession() override;

    const RendererInfo &renderer() const { return m_renderer; }
    // Poll period while playing (ms); 1000 by default.
    void setPollInterval(int ms) { m_poll.setInterval(ms); }
    void setStartLimit(int ms) { m_startLimitMs = ms; }
    // With events (on by default), push() subscribes to the renderer's.
    void setEventsEnabled(bool enabled) { m_eventsEnabled = enabled; }
    // The renderer's events tell its state (so it is not asked for).
    bool hasEvents() const;
    RendererEvents *events() const { return m_events; }

    // Hands the video over and starts it; at `startMs` when above 0.
    // started() or failed() follows.
    void push(const CastMedia &media, qint64 startMs = 0);

    void play();
    void pause();
    void stop();
    void seek(qint64 ms);
    void setVolume(int volume);
    void setMute(bool mute);
    // The volume and whether it is muted, read once (events tell changes).
    void readVolume();
    // The renderer was seen leaving (bye-bye, expiry).
    void rendererGone();

    QString transportState() const { return m_state; }
    qint64 positionMs() const { return m_positionMs; }
    qint64 durationMs() const { return m_durationMs; }
    UpnpDidlResource pushedResource() const { return m_pushed; }

    // "H:MM:SS" as AVTransport writes times, and back (-1 when unreadable).
    static QString timeText(qint64 ms);
    static qint64 parseTime(const QString &text);

Q_SIGNALS:
    // The video plays (and has been asked to go to its place).
    void started();
    // A failure in words for the user; after a push's failure nothing is polled.
    void failed(const QString &message);
    // A control action was answered (ok, or the reason it was refused).
    void actionDone(const QString &action, bool ok, const QString &message);
    void positionChanged(qint64 positionMs, qint64 durationMs);
    void stateChanged(const QString &transportState);
    void volumeRead(int volume);
    void muteRead(bool muted);
    // The video ended or was stopped on the renderer after it had played.
    void finished(qint64 lastPositionMs);

private:
    void call(RendererClient::Service service, const QString &action,
              const QList<QPair<QString, QString>> &arguments,
              const std::function<void(const RendererSoap::Reply &)> &then);
    void waitForPlaying();
    void afterStart();
    void pollOnce();
    void startEvents();
    void eventsChanged(RendererClient::Service service, const QHash<QString, QString> &variables);
    void readState();
    void setState(const QString &state);
    void control(const QString &action, const QList<QPair<QString, QString>> &arguments,
                 RendererClient::Service service = RendererClient::AVTransport,
                 const std::function<void()> &answered = {});
    void fail(const QString &message);
    void volumeTold(int volume);
    void sendVolume();
    QString refusal(const QString &action, const RendererSoap::Reply &reply) const;
    QString vanishedText() const;

    RendererInfo m_renderer;
    RendererClient m_client;
    QPointer<RendererEvents> m_events;
    bool m_eventsEnabled = true;
    int m_polls = 0;
    QTimer m_poll;
    QTimer m_startCheck;
    QElapsedTimer m_startClock;
    // Since the place was last read from the renderer.
    QElapsedTimer m_positionClock;
    int m_startLimitMs = StartLimitMs;
    UpnpDidlResource m_pushed;
    qint64 m_startMs = 0;
    bool m_starting = false;
    // Play was answered during the start (what the TV tells before is of what it played before).
    bool m_playAnswered = false;
    bool m_playedOnce = false;
    bool m_failed = false;
    int m_unreached = 0;
    QString m_state;
    qint64 m_positionMs = 0;
    qint64 m_durationMs = -1;
    // The volume last set from here, until the renderer tells it back.
    int m_wantedVolume = -1;
    QElapsedTimer m_wantedClock;
    // One SetVolume at a time, so that quick steps arrive in their order;
    // the one sent is followed by the latest wanted, if it differs.
    bool m_volumeSending = false;
};
