#include "tv/renderer/RendererSession.h"

#include "core/Logging.h"
#include "tv/renderer/RendererEvents.h"

#include <algorithm>

namespace {

const QString instance = QStringLiteral("InstanceID");
const QString zero = QStringLiteral("0");
// Polls that find the renderer unreachable in a row before it counts as gone.
constexpr int unreachedLimit = 3;
// With events, the state is still asked for now and then, in case some were lost.
constexpr int pollsPerStateCheck = 10;

} // namespace

RendererSession::RendererSession(const RendererInfo &renderer, QObject *parent)
    : QObject(parent), m_renderer(renderer), m_client(this)
{
    m_poll.setInterval(1000);
    connect(&m_poll, &QTimer::timeout, this, &RendererSession::pollOnce);
    m_startCheck.setSingleShot(true);
    m_startCheck.setInterval(300);
    connect(&m_startCheck, &QTimer::timeout, this, &RendererSession::waitForPlaying);
}

RendererSession::~RendererSession() = default;

bool RendererSession::hasEvents() const
{
    return m_events && m_events->hasEvents(RendererClient::AVTransport);
}

void RendererSession::startEvents()
{
    if (!m_eventsEnabled || m_events)
        return;
    auto *events = new RendererEvents(m_renderer, this);
    connect(events, &RendererEvents::changed, this, &RendererSession::eventsChanged);
    connect(events, &RendererEvents::missed, this, [this](RendererClient::Service service) {
        if (service == RendererClient::AVTransport)
            readState();
        else
            readVolume();
    });
    if (!events->start()) {
        delete events;
        return;
    }
    m_events = events;
}

void RendererSession::eventsChanged(RendererClient::Service service,
                                    const QHash<QString, QString> &variables)
{
    if (m_failed)
        return;
    if (service == RendererClient::RenderingControl) {
        bool ok = false;
        const int volume = variables.value(QStringLiteral("Volume")).toInt(&ok);
        if (ok && volume >= 0)
            volumeTold(qMin(volume, 100));
        const QString mute = variables.value(QStringLiteral("Mute"));
        if (!mute.isEmpty())
            Q_EMIT muteRead(mute == QLatin1String("1") ||
                            mute.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0);
        return;
    }
    const qint64 duration = parseTime(variables.value(QStringLiteral("CurrentTrackDuration")));
    if (duration > 0 && duration != m_durationMs && !m_starting) {
        m_durationMs = duration;
        Q_EMIT positionChanged(m_positionMs, m_durationMs);
    }
    const QString state = variables.value(QStringLiteral("TransportState"));
    if (state.isEmpty() || (m_starting && !m_playAnswered))
        return;
    if (m_playedOnce && !m_starting &&
        (state == QLatin1String("STOPPED") || state == QLatin1String("NO_MEDIA_PRESENT"))) {
        // Some renderers tell a stop for a moment while they buffer: the end
        // is believed once the TV still says so when asked a little later.
        QTimer::singleShot(StopConfirmMs, this, &RendererSession::readState);
        return;
    }
    setState(state);
    if (m_starting && state == QLatin1String("PLAYING"))
        afterStart();
}

void RendererSession::readState()
{
    call(RendererClient::AVTransport, QStringLiteral("GetTransportInfo"), {{instance, zero}},
         [this](const RendererSoap::Reply &reply) {
             if (reply.ok && !m_starting)
                 setState(reply.arguments.value(QStringLiteral("CurrentTransportState")));
         });
}

QString RendererSession::timeText(qint64 ms)
{
    const qint64 seconds = qMax<qint64>(0, ms) / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

qint64 RendererSession::parseTime(const QString &text)
{
    // H+:MM:SS[.F+] (and F0/F1 fractions, which are dropped)
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() != 3)
        return -1;
    bool ok1 = false;
    bool ok2 = false;
    bool ok3 = false;
    const qint64 hours = parts.at(0).toLongLong(&ok1);
    const int minutes = parts.at(1).toInt(&ok2);
    const double seconds = parts.at(2).section(QLatin1Char('/'), 0, 0).toDouble(&ok3);
    if (!ok1 || !ok2 || !ok3 || hours < 0 || hours > 100000 || minutes < 0 || minutes > 59 ||
        seconds < 0 || seconds >= 60)
        return -1;
    return (hours * 3600 + minutes * 60) * 1000 + qint64(seconds * 1000);
}

QString RendererSession::vanishedText() const
{
    return tr("The TV \"%1\" is no longer on the network.").arg(m_renderer.name);
}

QString RendererSession::refusal(const QString &action, const RendererSoap::Reply &reply) const
{
    if (reply.errorCode == 714 || reply.errorCode == 716)
        return tr("The TV \"%1\" refused the video's format (UPnP error %2).")
            .arg(m_renderer.name)
            .arg(reply.errorCode);
    if (reply.errorCode > 0)
        return tr("The TV \"%1\" refused %2 (UPnP error %3: %4).")
            .arg(m_renderer.name, action)
            .arg(reply.errorCode)
            .arg(reply.errorDescription);
    return tr("The TV \"%1\" gave no usable answer to %2.").arg(m_renderer.name, action);
}

void RendererSession::call(RendererClient::Service service, const QString &action,
                           const QList<QPair<QString, QString>> &arguments,
                           const std::function<void(const RendererSoap::Reply &)> &then)
{
    m_client.call(m_renderer, service, action, arguments,
                  [this, action, then](const RendererSoap::Reply &reply, bool reached) {
                      if (m_failed)
                          return;
                      if (!reached) {
                          fail(vanishedText());
                          return;
                      }
                      then(reply);
                  });
}

void RendererSession::fail(const QString &message)
{
    if (m_failed)
        return;
    m_failed = true;
    m_starting = false;
    m_poll.stop();
    m_startCheck.stop();
    qCWarning(lcUpnp).noquote() << "RendererSession:" << message;
    Q_EMIT failed(message);
}

void RendererSession::rendererGone()
{
    fail(vanishedText());
}

void RendererSession::push(const CastMedia &media, qint64 startMs)
{
    UpnpDidlResource chosen;
    if (!media.choose(m_renderer.sinks, &chosen)) {
        fail(tr("The TV \"%1\" does not play this video's format.").arg(m_renderer.name));
        return;
    }
    m_pushed = chosen;
    m_startMs = startMs;
    m_starting = true;
    m_playAnswered = false;
    m_playedOnce = false;
    m_durationMs = media.durationMs;
    qCInfo(lcUpnp).noquote() << "RendererSession: pushing" << chosen.url << "to" << m_renderer.name;
    startEvents();
    const QList<QPair<QString, QString>> arguments{
        {instance, zero},
        {QStringLiteral("CurrentURI"), chosen.url},
        {QStringLiteral("CurrentURIMetaData"), media.metadata(chosen)}};
    call(RendererClient::AVTransport, QStringLiteral("SetAVTransportURI"), arguments,
         [this](const RendererSoap::Reply &reply) {
             if (!reply.ok) {
                 fail(refusal(QStringLiteral("SetAVTransportURI"), reply));
                 return;
             }
             call(RendererClient::AVTransport, QStringLiteral("Play"),
                  {{instance, zero}, {QStringLiteral("Speed"), QStringLiteral("1")}},
                  [this](const RendererSoap::Reply &played) {
                      if (!played.ok) {
                          fail(refusal(QStringLiteral("Play"), played));
                          return;
                      }
                      m_startClock.start();
                      m_playAnswered = true;
                      // With events the TV tells when it plays; asking stays for the time limit.
                      if (m_starting && hasEvents())
                          m_startCheck.start(1000);
                      else if (m_starting)
                          waitForPlaying();
                  });
         });
}

void RendererSession::waitForPlaying()
{
    call(RendererClient::AVTransport, QStringLiteral("GetTransportInfo"), {{instance, zero}},
         [this](const RendererSoap::Reply &reply) {
             if (!m_starting)
                 return;
             const QString state = reply.arguments.value(QStringLiteral("CurrentTransportState"));
             if (reply.ok)
                 setState(state);
             if (reply.ok && state == QLatin1String("PLAYING")) {
                 afterStart();
                 return;
             }
             if (m_startClock.elapsed() >= m_startLimitMs) {
                 fail(tr("The TV \"%1\" did not start playing within %2 seconds.")
                          .arg(m_renderer.name)
                          .arg(m_startLimitMs / 1000));
                 return;
             }
             // Events tell the start at once; the check stays for the time limit.
             m_startCheck.start(hasEvents() ? 1000 : 300);
         });
}

void RendererSession::afterStart()
{
    m_starting = false;
    m_startCheck.stop();
    m_playedOnce = true;
    if (m_startMs > 0) {
        call(RendererClient::AVTransport, QStringLiteral("Seek"),
             {{instance, zero},
              {QStringLiteral("Unit"), QStringLiteral("REL_TIME")},
              {QStringLiteral("Target"), timeText(m_startMs)}},
             [this](const RendererSoap::Reply &reply) {
                 if (!reply.ok)
                     qCWarning(lcUpnp).noquote()
                         << "RendererSession:" << refusal(QStringLiteral("Seek"), reply);
                 else
                     m_positionMs = m_startMs;
                 Q_EMIT started();
                 m_poll.start();
             });
        return;
    }
    Q_EMIT started();
    m_poll.start();
}

void RendererSession::setState(const QString &state)
{
    if (state == m_state || state.isEmpty())
        return;
    const bool wasPlaying = m_state == QLatin1String("PLAYING");
    m_state = state;
    Q_EMIT stateChanged(state);
    if (m_playedOnce && !m_starting &&
        (state == QLatin1String("STOPPED") || state == QLatin1String("NO_MEDIA_PRESENT"))) {
        // The last answer about the place may be a few polls old when the
        // video ran out: it went on playing since then.
        qint64 reached = m_positionMs;
        if (wasPlaying && m_positionClock.isValid()) {
            reached += m_positionClock.elapsed();
            if (m_durationMs > 0)
                reached = std::max(m_positionMs, std::min(reached, m_durationMs));
        }
        Q_EMIT finished(reached);
    }
}

void RendererSession::pollOnce()
{
    m_client.call(m_renderer, RendererClient::AVTransport, QStringLiteral("GetPositionInfo"),
                  {{instance, zero}}, [this](const RendererSoap::Reply &reply, bool reached) {
                      if (m_failed)
                          return;
                      if (!reached) {
                          if (++m_unreached >= unreachedLimit)
                              fail(vanishedText());
                          return;
                      }
                      m_unreached = 0;
                      if (!reply.ok)
                          return;
                      const qint64 position =
                          parseTime(reply.arguments.value(QStringLiteral("RelTime")));
                      const qint64 duration =
                          parseTime(reply.arguments.value(QStringLiteral("TrackDuration")));
                      if (duration > 0)
                          m_durationMs = duration;
                      if (position >= 0 && (position > 0 || m_state == QLatin1String("PLAYING"))) {
                          m_positionMs = position;
                          m_positionClock.start();
                          Q_EMIT positionChanged(m_positionMs, m_durationMs);
                      }
                  });
    if (hasEvents() && ++m_polls % pollsPerStateCheck != 0)
        return;
    m_client.call(m_renderer, RendererClient::AVTransport, QStringLiteral("GetTransportInfo"),
                  {{instance, zero}}, [this](const RendererSoap::Reply &reply, bool reached) {
                      if (!m_failed && reached && reply.ok)
                          setState(reply.arguments.value(QStringLiteral("CurrentTransportState")));
                  });
}

void RendererSession::control(const QString &action,
                              const QList<QPair<QString, QString>> &arguments,
                              RendererClient::Service service,
                              const std::function<void()> &answered)
{
    call(service, action, arguments, [this, action, answered](const RendererSoap::Reply &reply) {
        const QString message = reply.ok ? QString() : refusal(action, reply);
        if (reply.ok && !m_poll.isActive() && !m_starting)
            m_poll.start();
        Q_EMIT actionDone(action, reply.ok, message);
        if (answered)
            answered();
    });
}

void RendererSession::play()
{
    m_playedOnce = true;
    control(QStringLiteral("Play"),
            {{instance, zero}, {QStringLiteral("Speed"), QStringLiteral("1")}});
}

void RendererSession::pause()
{
    control(QStringLiteral("Pause"), {{instance, zero}});
}

void RendererSession::stop()
{
    control(QStringLiteral("Stop"), {{instance, zero}});
}

void RendererSession::seek(qint64 ms)
{
    const QString target = timeText(ms);
    call(RendererClient::AVTransport, QStringLiteral("Seek"),
         {{instance, zero},
          {QStringLiteral("Unit"), QStringLiteral("REL_TIME")},
          {QStringLiteral("Target"), target}},
         [this, target](const RendererSoap::Reply &reply) {
             if (reply.ok) {
                 // The place is known before the next answer about it.
                 m_positionMs = parseTime(target);
                 m_positionClock.start();
                 Q_EMIT positionChanged(m_positionMs, m_durationMs);
                 if (!m_poll.isActive() && !m_starting)
                     m_poll.start();
             }
             Q_EMIT actionDone(QStringLiteral("Seek"), reply.ok,
                               reply.ok ? QString() : refusal(QStringLiteral("Seek"), reply));
         });
}

void RendererSession::setMute(bool mute)
{
    control(QStringLiteral("SetMute"),
            {{instance, zero},
             {QStringLiteral("Channel"), QStringLiteral("Master")},
             {QStringLiteral("DesiredMute"), mute ? QStringLiteral("1") : QStringLiteral("0")}},
            RendererClient::RenderingControl);
}

void RendererSession::volumeTold(int volume)
{
    // Steps taken quickly (Down, Down) each set a volume; the renderer's
    // word on the first may come after the second was sent and must not
    // take the volume back to it.
    if (m_wantedVolume >= 0 && volume != m_wantedVolume && m_wantedClock.elapsed() < VolumeSettleMs)
        return;
    m_wantedVolume = -1;
    Q_EMIT volumeRead(volume);
}

void RendererSession::setVolume(int volume)
{
    m_wantedVolume = qBound(0, volume, 100);
    m_wantedClock.start();
    if (!m_volumeSending)
        sendVolume();
}

void RendererSession::sendVolume()
{
    const int volume = m_wantedVolume;
    m_volumeSending = true;
    control(QStringLiteral("SetVolume"),
            {{instance, zero},
             {QStringLiteral("Channel"), QStringLiteral("Master")},
             {QStringLiteral("DesiredVolume"), QString::number(volume)}},
            RendererClient::RenderingControl, [this, volume] {
                m_volumeSending = false;
                if (m_wantedVolume >= 0 && m_wantedVolume != volume)
                    sendVolume();
            });
}

void RendererSession::readVolume()
{
    call(RendererClient::RenderingControl, QStringLiteral("GetVolume"),
         {{instance, zero}, {QStringLiteral("Channel"), QStringLiteral("Master")}},
         [this](const RendererSoap::Reply &reply) {
             bool ok = false;
             const int volume = reply.arguments.value(QStringLiteral("CurrentVolume")).toInt(&ok);
             if (reply.ok && ok)
                 volumeTold(volume);
             else
                 Q_EMIT actionDone(QStringLiteral("GetVolume"), false,
                                   refusal(QStringLiteral("GetVolume"), reply));
         });
    // Not every renderer tells this; one that does not is taken as not muted.
    call(RendererClient::RenderingControl, QStringLiteral("GetMute"),
         {{instance, zero}, {QStringLiteral("Channel"), QStringLiteral("Master")}},
         [this](const RendererSoap::Reply &reply) {
             const QString mute = reply.arguments.value(QStringLiteral("CurrentMute"));
             if (reply.ok && !mute.isEmpty())
                 Q_EMIT muteRead(mute == QLatin1String("1") ||
                                 mute.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0);
         });
}
