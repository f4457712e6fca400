#include "tv/renderer/RendererEvents.h"

#include "core/Logging.h"
#include "tv/renderer/CastMedia.h"
#include "tv/renderer/LastChange.h"

#include <QCoreApplication>
#include <QUuid>

#include <algorithm>

namespace {

using Service = RendererClient::Service;
constexpr std::array<Service, 2> evented{RendererClient::AVTransport,
                                         RendererClient::RenderingControl};
constexpr int maxSidSize = 256;

QUrl eventUrlOf(const RendererInfo &renderer, Service service)
{
    return service == RendererClient::RenderingControl
               ? renderer.description.renderingControl.eventUrl
               : renderer.description.avTransport.eventUrl;
}

} // namespace

RendererEvents::RendererEvents(const RendererInfo &renderer, QObject *parent)
    : QObject(parent), m_renderer(renderer), m_client(this),
      m_listener(
          renderer.address, [this](const RendererEventListener::Notify &n) { return judge(n); },
          this),
      m_token(QUuid::createUuid().toByteArray(QUuid::Id128))
{
    for (auto &subscription : m_subscriptions)
        subscription = std::make_unique<Subscription>();
    for (const Service service : evented) {
        Subscription &subscription = of(service);
        subscription.eventUrl = eventUrlOf(renderer, service);
        subscription.renewal.setSingleShot(true);
        connect(&subscription.renewal, &QTimer::timeout, this, [this, service] { renew(service); });
    }
}

RendererEvents::~RendererEvents()
{
    QObject *owner = QCoreApplication::instance();
    if (!owner || owner->thread() != thread())
        return;
    RendererClient *client = nullptr;
    auto left = std::make_shared<int>(0);
    for (const Service service : evented) {
        const Subscription &subscription = of(service);
        if (subscription.sid.isEmpty())
            continue;
        if (!client) {
            // It outlives this object until the renderer answered (or not).
            client = new RendererClient(owner);
            client->setTimeout(3000);
        }
        ++*left;
        client->request(subscription.eventUrl, "UNSUBSCRIBE", {{"SID", subscription.sid}},
                        [client, left](int, const QHash<QByteArray, QByteArray> &) {
                            if (--*left == 0)
                                client->deleteLater();
                        });
    }
}

int RendererEvents::parseTimeout(const QByteArray &header)
{
    const QByteArray value = header.trimmed().toLower();
    if (value == "second-infinite")
        return -1;
    if (!value.startsWith("second-"))
        return 0;
    bool ok = false;
    const int seconds = value.mid(7).toInt(&ok);
    return ok && seconds > 0 ? qMin(seconds, 7 * 24 * 3600) : 0;
}

QByteArray RendererEvents::pathOf(Service service) const
{
    return '/' + m_token + (service == RendererClient::RenderingControl ? "/rc" : "/avt");
}

QUrl RendererEvents::callbackUrl(Service service) const
{
    return m_listener.callbackUrl(pathOf(service));
}

bool RendererEvents::isSubscribed(Service service) const
{
    return service != RendererClient::ConnectionManager && !of(service).sid.isEmpty();
}

bool RendererEvents::hasEvents(Service service) const
{
    return isSubscribed(service) && of(service).seen;
}

bool RendererEvents::start()
{
    bool any = false;
    for (const Service service : evented)
        any = any || of(service).eventUrl.isValid();
    if (!any || !m_listener.listen(CastMedia::localAddressFor(m_renderer.address)))
        return false;
    for (const Service service : evented) {
        if (of(service).eventUrl.isValid())
            subscribe(service);
    }
    return true;
}

void RendererEvents::subscribe(Service service)
{
    Subscription &subscription = of(service);
    subscription.pending = true;
    subscription.sid.clear();
    subscription.seen = false;
    subscription.early.clear();
    const QByteArray callback = '<' + callbackUrl(service).toEncoded() + '>';
    m_client.request(
        subscription.eventUrl, "SUBSCRIBE",
        {{"CALLBACK", callback},
         {"NT", "upnp:event"},
         {"TIMEOUT", "Second-" + QByteArray::number(RequestedTimeoutS)}},
        [this, service](int status, const QHash<QByteArray, QByteArray> &headers) {
            Subscription &subscription = of(service);
            subscription.pending = false;
            const QByteArray sid = headers.value("sid");
            if (status != 200 || sid.isEmpty() || sid.size() > maxSidSize) {
                subscriptionFailed(service, QStringLiteral("SUBSCRIBE answered %1").arg(status));
                return;
            }
            subscription.sid = sid;
            subscription.timeoutS = parseTimeout(headers.value("timeout"));
            qCInfo(lcUpnp).noquote()
                << "RendererEvents: subscribed to" << RendererClient::serviceName(service) << "of"
                << m_renderer.name << "for" << subscription.timeoutS << "s";
            scheduleRenewal(service);
            Q_EMIT subscribed(service);
            // Events that came before this answer.
            QList<RendererEventListener::Notify> early = std::exchange(subscription.early, {});
            std::sort(early.begin(), early.end(), [](const auto &a, const auto &b) {
                return a.headers.value("seq").toUInt() < b.headers.value("seq").toUInt();
            });
            for (const RendererEventListener::Notify &notify : early) {
                if (notify.headers.value("sid") == subscription.sid)
                    take(service, notify);
            }
        });
}

void RendererEvents::scheduleRenewal(Service service)
{
    Subscription &subscription = of(service);
    if (subscription.timeoutS < 0)
        return; // granted for ever
    // A renderer that tells no time keeps a subscription for some minutes at least.
    const int seconds = subscription.timeoutS > 0 ? subscription.timeoutS : 300;
    subscription.renewal.start(qMax(500, int(seconds * 1000 * m_renewalShare)));
}

void RendererEvents::renew(Service service)
{
    Subscription &subscription = of(service);
    if (subscription.sid.isEmpty())
        return;
    m_client.request(
        subscription.eventUrl, "SUBSCRIBE",
        {{"SID", subscription.sid}, {"TIMEOUT", "Second-" + QByteArray::number(RequestedTimeoutS)}},
        [this, service](int status, const QHash<QByteArray, QByteArray> &headers) {
            Subscription &subscription = of(service);
            const QByteArray sid = headers.value("sid");
            if (status == 200 && (sid.isEmpty() || sid == subscription.sid)) {
                const int granted = parseTimeout(headers.value("timeout"));
                if (granted != 0)
                    subscription.timeoutS = granted;
                scheduleRenewal(service);
                Q_EMIT renewed(service);
                return;
            }
            // Lost on the renderer's side (restarted, expired): once more from the start.
            qCInfo(lcUpnp).noquote()
                << "RendererEvents: renewal of" << RendererClient::serviceName(service) << "of"
                << m_renderer.name << "answered" << status << ", subscribing again";
            subscription.sid.clear();
            if (subscription.resubscribed) {
                subscriptionFailed(service, QStringLiteral("renewal answered %1").arg(status));
                return;
            }
            subscription.resubscribed = true;
            subscribe(service);
        });
}

void RendererEvents::subscriptionFailed(Service service, const QString &why)
{
    Subscription &subscription = of(service);
    subscription.sid.clear();
    subscription.renewal.stop();
    qCInfo(lcUpnp).noquote() << "RendererEvents: no events from"
                             << RendererClient::serviceName(service) << "of" << m_renderer.name
                             << "(" + why + "), asking instead";
    Q_EMIT unavailable(service);
}

int RendererEvents::judge(const RendererEventListener::Notify &notify)
{
    Service service = RendererClient::ConnectionManager;
    for (const Service candidate : evented) {
        if (notify.path == pathOf(candidate))
            service = candidate;
    }
    if (service == RendererClient::ConnectionManager)
        return 404;
    if (!notify.headers.contains("nt") || !notify.headers.contains("nts"))
        return 400;
    const QByteArray sid = notify.headers.value("sid");
    if (notify.headers.value("nt") != "upnp:event" ||
        notify.headers.value("nts") != "upnp:propchange" || sid.isEmpty())
        return 412;
    Subscription &subscription = of(service);
    if (subscription.sid.isEmpty() && subscription.pending) {
        if (subscription.early.size() >= MaxEarlyEvents)
            return 412;
        subscription.early.append(notify);
        return 200;
    }
    if (sid != subscription.sid)
        return 412;
    return take(service, notify);
}

int RendererEvents::take(Service service, const RendererEventListener::Notify &notify)
{
    Subscription &subscription = of(service);
    bool ok = false;
    const quint32 seq = notify.headers.value("seq").toUInt(&ok);
    if (!ok)
        return 400;
    bool gap = false;
    if (subscription.seen) {
        // After 4294967295 comes 1 (0 is the initial event's only).
        const quint32 next = subscription.seq == 0xffffffffu ? 1 : subscription.seq + 1;
        if (seq < next)
            return 200; // late or repeated: what it told is older than what we know
        gap = seq != next;
    }
    QByteArray lastChange;
    QHash<QString, QString> variables;
    if (!LastChange::valueOfPropertySet(notify.body, &lastChange) ||
        !LastChange::parse(lastChange, &variables)) {
        qCWarning(lcUpnp).noquote()
            << "RendererEvents: an unreadable event from" << m_renderer.name << "was dropped";
        return 400;
    }
    subscription.seen = true;
    subscription.seq = seq;
    // Told once the listener has answered: a receiver may end this object.
    QMetaObject::invokeMethod(
        this,
        [this, service, variables, gap] {
            if (gap)
                Q_EMIT missed(service);
            Q_EMIT changed(service, variables);
        },
        Qt::QueuedConnection);
    return 200;
}
