#pragma once

#include "tv/renderer/RendererClient.h"
#include "tv/renderer/RendererEventListener.h"

#include <QHash>
#include <QObject>
#include <QTimer>

#include <array>
#include <memory>

// A renderer's events (GENA) for AVTransport and RenderingControl: each
// service is subscribed to with our listener as the callback, renewed
// before its time runs out and unsubscribed when this object goes. Event
// bodies are untrusted: only the subscription's SID is taken, in the order
// of their SEQ, and their LastChange is read by the LastChange parser.
// Whatever fails (the renderer refuses, stops answering renewals, never
// sends) is told, so the owner watches the renderer by asking instead.
class RendererEvents : public QObject
{
    Q_OBJECT

public:
    static constexpr int RequestedTimeoutS = 1800;
    // Events kept while the SUBSCRIBE answer (and so the SID) is on its way.
    static constexpr int MaxEarlyEvents = 4;

    explicit RendererEvents(const RendererInfo &renderer, QObject *parent = nullptr);
    // Unsubscribes, through a client that stays until the renderer answered.
    ~RendererEvents() override;

    // Listens and subscribes to the services that offer events; false when
    // there is nothing to subscribe to or no listener.
    bool start();
    bool isSubscribed(RendererClient::Service service) const;
    // Told by the renderer: its initial event came.
    bool hasEvents(RendererClient::Service service) const;
    QUrl callbackUrl(RendererClient::Service service) const;
    // How long before the granted time a subscription is renewed, as a
    // share of that time (half by default).
    void setRenewalShare(double share) { m_renewalShare = share; }

    static int parseTimeout(const QByteArray &header);

Q_SIGNALS:
    void subscribed(RendererClient::Service service);
    void renewed(RendererClient::Service service);
    // No subscription for `service` (refused, unanswered, lost).
    void unavailable(RendererClient::Service service);
    void changed(RendererClient::Service service, const QHash<QString, QString> &variables);
    // Events were missed (a gap in SEQ): what they told should be read again.
    void missed(RendererClient::Service service);

private:
    struct Subscription
    {
        QUrl eventUrl;
        QByteArray sid;
        bool pending = false;
        bool seen = false; // an event was taken; `seq` is its number
        quint32 seq = 0;
        int timeoutS = 0;
        bool resubscribed = false;
        QTimer renewal;
        QList<RendererEventListener::Notify> early;
    };

    Subscription &of(RendererClient::Service service) { return *m_subscriptions[service]; }
    const Subscription &of(RendererClient::Service service) const
    {
        return *m_subscriptions[service];
    }
    QByteArray pathOf(RendererClient::Service service) const;
    void subscribe(RendererClient::Service service);
    void renew(RendererClient::Service service);
    void subscriptionFailed(RendererClient::Service service, const QString &why);
    void scheduleRenewal(RendererClient::Service service);
    int judge(const RendererEventListener::Notify &notify);
    int take(RendererClient::Service service, const RendererEventListener::Notify &notify);

    RendererInfo m_renderer;
    RendererClient m_client;
    RendererEventListener m_listener;
    QByteArray m_token;
    double m_renewalShare = 0.5;
    std::array<std::unique_ptr<Subscription>, 3> m_subscriptions;
};
