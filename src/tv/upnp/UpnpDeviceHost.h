#pragma once

#include "tv/upnp/HttpRequestHandler.h"
#include "tv/upnp/SsdpPacketListener.h"
#include "tv/upnp/UpnpAction.h"
#include "tv/upnp/UpnpDeviceData.h"
#include "tv/upnp/UpnpDeviceIcon.h"
#include "tv/upnp/UpnpService.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <vector>

#include <memory>

class QUdpSocket;
class UpnpEventNotifier;
class UpnpHttpServer;

// One hosted root device: its HTTP server (description, SCPD, SOAP control,
// GENA eventing, icons, and whatever else the subclass serves) and its SSDP
// side (announcements and answers to searches).
class UpnpDeviceHost : public QObject,
                       public UpnpDeviceData,
                       public SsdpPacketListener,
                       public HttpRequestHandler
{
    Q_OBJECT

public:
    static constexpr quint16 ssdpPort = 1900;
    static const char *const serverToken;

    explicit UpnpDeviceHost(QObject *parent = nullptr);
    ~UpnpDeviceHost() override;

    // Brings up the HTTP server and, with `announce`, schedules the SSDP
    // announcements. Fields must not change while the device runs.
    bool start(bool announce);
    // Stops and waits until every answer has ended (also those of a stop in
    // the background).
    void stop();
    // Stops without waiting: the bye-bye is sent and the port is free at
    // once, the answers still running end in the background, and stopped()
    // tells when they have. The device may start again meanwhile.
    void stopInBackground();
    bool isStopping() const { return m_backgroundStops > 0; }
    bool isRunning() const;
    quint16 port() const;

    // Sends one "ssdp:alive" or "ssdp:byebye" round on every interface.
    void announce(bool alive);
    void onSsdpPacket(const SsdpPacket &packet, const QHostAddress &sender,
                      quint16 senderPort) override;
    void sendSsdpSearchResponse(const QByteArray &searchTarget, const QHostAddress &receiver,
                                quint16 receiverPort, const QHostAddress &localAddress);

    UpnpHttpResponse handleHttpRequest(const UpnpHttpRequest &request) override;

    void addIcon(const UpnpDeviceIcon &icon, const char *data, qsizetype size);
    // Changes an evented state variable and tells its subscribers.
    void setEventedVariable(const QString &serviceName, const QString &variable,
                            const QString &value);
    // Changes several at once, told in one event.
    void setEventedVariables(const QString &serviceName,
                             const QList<QPair<QString, QString>> &values);

    QString descriptionUrl(const QHostAddress &address) const;
    // The host's address a search is answered with (null when none fits).
    static QHostAddress answeringAddress(const SsdpPacket &packet, const QHostAddress &sender);
    // (target, USN) pairs: root device, UUID, device type, then each service type.
    QList<QPair<QByteArray, QByteArray>> advertisedTargets() const;
    int subscriberCount() const;

Q_SIGNALS:
    // A stop in the background has ended (in the device's thread).
    void stopped();

protected:
    virtual void setupDevice();
    virtual void setupServices() {}
    virtual void setupIcons() {}
    void addService(const UpnpService &service);

    // The fields a given client sees in the description.
    virtual UpnpDeviceData descriptionFields(int clientSignature) const;
    virtual void onAction(const UpnpActionRequest &request, UpnpActionResponse &response);
    // Paths that are not the device's own: false answers 404.
    virtual bool processFileRequest(const UpnpHttpRequest &request, UpnpHttpResponse &response);

    UpnpHttpResponse processGetDescription(const UpnpHttpRequest &request) const;
    // The service description a client sees.
    virtual QString scpdFor(const UpnpService &service, const UpnpHttpRequest &request) const;
    UpnpHttpResponse processGetScpd(const UpnpService &service,
                                    const UpnpHttpRequest &request) const;
    UpnpHttpResponse processHttpPostRequest(const UpnpHttpRequest &request,
                                            const UpnpService &service);
    UpnpHttpResponse processHttpSubscriberRequest(const UpnpHttpRequest &request,
                                                  const UpnpService &service);

private:
    QByteArray notifyMessage(const QByteArray &target, const QByteArray &usn, bool alive,
                             const QHostAddress &address) const;
    void scheduleAnnounce(int delayMs);
    void onAnnounceTimer();
    static QList<QHostAddress> multicastAddresses();
    // The part of a stop that never waits for an answer.
    void stopAnnouncing();
    void waitForBackgroundStops();

    std::unique_ptr<UpnpHttpServer> m_http;
    // Threads that end stopped servers' answers.
    std::vector<std::unique_ptr<QThread>> m_stoppers;
    std::atomic<int> m_backgroundStops{0};
    std::unique_ptr<UpnpEventNotifier> m_notifier;
    QUdpSocket *m_ssdpSocket = nullptr;
    QTimer m_announceTimer;
    bool m_announcing = false;
    bool m_firstAnnounce = true;
    bool m_setUp = false;
    mutable QMutex m_lock; // services' evented values
    QList<UpnpService> m_services;
    QList<UpnpDeviceIcon> m_icons;
};
