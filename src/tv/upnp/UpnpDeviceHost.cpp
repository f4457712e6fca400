#include "tv/upnp/UpnpDeviceHost.h"
#include "core/Logging.h"
#include "core/Version.h"

#include "tv/upnp/UpnpEventNotifier.h"
#include "tv/upnp/UpnpHttpServer.h"
#include "tv/upnp/UpnpSoap.h"

#include <QDebug>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QUdpSocket>
#include <QUuid>
#include <QVariant>

const char *const UpnpDeviceHost::serverToken = ZELTA_UPNP_SERVER_STRING;

namespace {

const QHostAddress ssdpGroup(QStringLiteral("239.255.255.250"));
const QByteArray xmlContentType("text/xml; charset=\"utf-8\"");

QString element(const QString &name, const QString &value)
{
    return QStringLiteral("<%1>%2</%1>").arg(name, UpnpSoap::escape(value));
}

} // namespace

UpnpDeviceHost::UpnpDeviceHost(QObject *parent)
    : QObject(parent), m_notifier(std::make_unique<UpnpEventNotifier>())
{
    uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    m_announceTimer.setSingleShot(true);
    connect(&m_announceTimer, &QTimer::timeout, this, &UpnpDeviceHost::onAnnounceTimer);
}

UpnpDeviceHost::~UpnpDeviceHost()
{
    stop();
}

bool UpnpDeviceHost::start(bool announceOnNetwork)
{
    if (isRunning())
        return true;
    if (leaseTime < 10)
        leaseTime = 1800;
    if (!m_setUp) {
        setupDevice();
        m_setUp = true;
    }
    m_http = std::make_unique<UpnpHttpServer>(this);
    if (!m_http->start(httpPort)) {
        m_http.reset();
        qCWarning(lcUpnp).noquote() << "UpnpDeviceHost::start HTTP server could not start, device"
                                    << friendlyName << "is not announced";
        return false;
    }
    m_notifier->start();
    if (announceOnNetwork) {
        m_ssdpSocket = new QUdpSocket(this);
        m_ssdpSocket->bind(QHostAddress::AnyIPv4, 0);
        m_ssdpSocket->setSocketOption(QAbstractSocket::MulticastTtlOption, QVariant(4));
        m_announcing = true;
        m_firstAnnounce = true;
        scheduleAnnounce(int(QRandomGenerator::global()->bounded(100)));
    }
    return true;
}

void UpnpDeviceHost::stopAnnouncing()
{
    m_announceTimer.stop();
    if (m_announcing) {
        announce(false);
        m_announcing = false;
    }
    delete m_ssdpSocket;
    m_ssdpSocket = nullptr;
}

void UpnpDeviceHost::stop()
{
    stopAnnouncing();
    if (m_http)
        m_http->stop();
    m_http.reset();
    m_notifier->stopNotifier();
    waitForBackgroundStops();
}

void UpnpDeviceHost::stopInBackground()
{
    stopAnnouncing();
    if (m_http) {
        m_http->quiesce();
        std::shared_ptr<UpnpHttpServer> http(m_http.release());
        ++m_backgroundStops;
        std::unique_ptr<QThread> stopper(QThread::create([http] { http->stop(); }));
        stopper->setObjectName(QStringLiteral("upnp stop"));
        QThread *thread = stopper.get();
        connect(
            thread, &QThread::finished, this,
            [this, thread] {
                // Still ours unless a full stop took it meanwhile.
                for (auto it = m_stoppers.begin(); it != m_stoppers.end(); ++it) {
                    if (it->get() == thread) {
                        (*it)->wait();
                        m_stoppers.erase(it);
                        --m_backgroundStops;
                        Q_EMIT stopped();
                        return;
                    }
                }
            },
            Qt::QueuedConnection);
        m_stoppers.push_back(std::move(stopper));
        thread->start();
    }
    m_notifier->stopNotifier();
}

void UpnpDeviceHost::waitForBackgroundStops()
{
    if (m_stoppers.empty())
        return;
    for (auto &stopper : m_stoppers)
        stopper->wait();
    m_stoppers.clear();
    m_backgroundStops = 0;
    Q_EMIT stopped();
}

bool UpnpDeviceHost::isRunning() const
{
    return m_http && m_http->isRunning();
}

quint16 UpnpDeviceHost::port() const
{
    return m_http ? m_http->port() : 0;
}

void UpnpDeviceHost::setupDevice()
{
    setupServices();
    setupIcons();
}

void UpnpDeviceHost::addService(const UpnpService &service)
{
    QMutexLocker locker(&m_lock);
    m_services.append(service);
}

void UpnpDeviceHost::addIcon(const UpnpDeviceIcon &icon, const char *data, qsizetype size)
{
    UpnpDeviceIcon entry = icon;
    entry.data = QByteArray(data, size);
    QMutexLocker locker(&m_lock);
    m_icons.append(entry);
}

void UpnpDeviceHost::setEventedVariable(const QString &serviceName, const QString &variable,
                                        const QString &value)
{
    setEventedVariables(serviceName, {{variable, value}});
}

void UpnpDeviceHost::setEventedVariables(const QString &serviceName,
                                         const QList<QPair<QString, QString>> &values)
{
    {
        QMutexLocker locker(&m_lock);
        for (UpnpService &service : m_services) {
            if (service.name != serviceName)
                continue;
            for (auto &evented : service.eventedVariables) {
                for (const auto &value : values) {
                    if (evented.first == value.first)
                        evented.second = value.second;
                }
            }
        }
    }
    m_notifier->notify(serviceName, values);
}

QString UpnpDeviceHost::descriptionUrl(const QHostAddress &address) const
{
    return QStringLiteral("http://%1:%2%3")
        .arg(address.toString())
        .arg(port())
        .arg(descriptionPath);
}

int UpnpDeviceHost::subscriberCount() const
{
    return m_notifier->subscriberCount();
}

QList<QPair<QByteArray, QByteArray>> UpnpDeviceHost::advertisedTargets() const
{
    const QByteArray udn = "uuid:" + uuid.toUtf8();
    QList<QPair<QByteArray, QByteArray>> targets = {
        {"upnp:rootdevice", udn + "::upnp:rootdevice"},
        {udn, udn},
        {deviceType.toUtf8(), udn + "::" + deviceType.toUtf8()},
    };
    QMutexLocker locker(&m_lock);
    for (const UpnpService &service : m_services)
        targets.append({service.type.toUtf8(), udn + "::" + service.type.toUtf8()});
    return targets;
}

QList<QHostAddress> UpnpDeviceHost::multicastAddresses()
{
    QList<QHostAddress> addresses;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::CanMulticast))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                addresses.append(entry.ip());
        }
    }
    return addresses;
}

QByteArray UpnpDeviceHost::notifyMessage(const QByteArray &target, const QByteArray &usn,
                                         bool alive, const QHostAddress &address) const
{
    QByteArray message = "NOTIFY * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\n";
    if (alive) {
        message += "CACHE-CONTROL: max-age=" + QByteArray::number(leaseTime) + "\r\n";
        message += "LOCATION: " + descriptionUrl(address).toUtf8() + "\r\n";
        message += "SERVER: " + QByteArray(serverToken) + "\r\n";
    }
    message += "NT: " + target + "\r\n";
    message += QByteArray("NTS: ") + (alive ? "ssdp:alive" : "ssdp:byebye") + "\r\n";
    message += "USN: " + usn + "\r\n\r\n";
    return message;
}

void UpnpDeviceHost::announce(bool alive)
{
    if (!m_ssdpSocket)
        return;
    const auto targets = advertisedTargets();
    for (const QHostAddress &address : multicastAddresses()) {
        for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
            for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
                if (entry.ip() == address)
                    m_ssdpSocket->setMulticastInterface(interface);
            }
        }
        for (const auto &target : targets) {
            m_ssdpSocket->writeDatagram(notifyMessage(target.first, target.second, alive, address),
                                        ssdpGroup, ssdpPort);
        }
    }
}

void UpnpDeviceHost::scheduleAnnounce(int delayMs)
{
    m_announceTimer.start(delayMs);
}

void UpnpDeviceHost::onAnnounceTimer()
{
    if (!m_announcing)
        return;
    // Clients drop a stale entry of an earlier run before they see the new one.
    if (m_firstAnnounce && byeByeFirst)
        announce(false);
    m_firstAnnounce = false;
    announce(true);
    const int lease = leaseTime;
    const int quarter = qMax(1, lease / 4);
    const int period =
        lease == 0 ? 30 : lease / 2 - int(QRandomGenerator::global()->bounded(quarter));
    scheduleAnnounce(period * 1000);
}

void UpnpDeviceHost::onSsdpPacket(const SsdpPacket &packet, const QHostAddress &sender,
                                  quint16 senderPort)
{
    if (!packet.isSearch() || !m_announcing)
        return;
    if (packet.header("MAN") != "\"ssdp:discover\"")
        return;
    bool mxValid = false;
    const int mx = packet.header("MX").toInt(&mxValid);
    if (!mxValid || mx < 0)
        return;
    if (senderPort == 0 || (senderPort < 1024 && senderPort != ssdpPort)) {
        qCDebug(lcUpnp).noquote() << QStringLiteral(
                                         "Ignoring M-SEARCH from %1:%2 (invalid source port)")
                                         .arg(sender.toString())
                                         .arg(senderPort);
        return;
    }
    const QHostAddress local = answeringAddress(packet, sender);
    if (local.isNull()) {
        qCDebug(lcUpnp).noquote() << "Ignoring M-SEARCH from" << sender.toString()
                                  << "(no address to answer with)";
        return;
    }
    const QByteArray target = packet.header("ST");
    const int delay = int(QRandomGenerator::global()->bounded(qBound(1, mx, 5) * 100));
    QTimer::singleShot(delay, this, [this, target, sender, senderPort, local] {
        sendSsdpSearchResponse(target, sender, senderPort, local);
    });
}

QHostAddress UpnpDeviceHost::answeringAddress(const SsdpPacket &packet, const QHostAddress &sender)
{
    // The address of the interface the search came in on; among several
    // there, the one whose network holds the sender.
    const QNetworkInterface arrival =
        QNetworkInterface::interfaceFromIndex(int(packet.interfaceIndex));
    QHostAddress first;
    for (const QNetworkAddressEntry &entry : arrival.addressEntries()) {
        if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        if (sender.isInSubnet(entry.ip(), entry.prefixLength()))
            return entry.ip();
        if (first.isNull())
            first = entry.ip();
    }
    if (!first.isNull())
        return first;
    // Interface not known: the address the datagram was sent to, when it
    // is one of ours, or the one on the sender's network.
    if (packet.destination.protocol() == QAbstractSocket::IPv4Protocol &&
        !packet.destination.isMulticast() && !packet.destination.isBroadcast() &&
        packet.destination != QHostAddress::AnyIPv4)
        return packet.destination;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol &&
                sender.isInSubnet(entry.ip(), entry.prefixLength()))
                return entry.ip();
        }
    }
    return {};
}

void UpnpDeviceHost::sendSsdpSearchResponse(const QByteArray &searchTarget,
                                            const QHostAddress &receiver, quint16 receiverPort,
                                            const QHostAddress &localAddress)
{
    if (!m_ssdpSocket)
        return;
    for (const auto &target : advertisedTargets()) {
        if (searchTarget != "ssdp:all" && searchTarget != target.first)
            continue;
        QByteArray message = "HTTP/1.1 200 OK\r\n";
        message += "CACHE-CONTROL: max-age=" + QByteArray::number(leaseTime) + "\r\n";
        message += "EXT:\r\n";
        message += "LOCATION: " + descriptionUrl(localAddress).toUtf8() + "\r\n";
        message += "SERVER: " + QByteArray(serverToken) + "\r\n";
        message += "ST: " + target.first + "\r\n";
        message += "USN: " + target.second + "\r\n\r\n";
        m_ssdpSocket->writeDatagram(message, receiver, receiverPort);
    }
}

UpnpHttpResponse UpnpDeviceHost::handleHttpRequest(const UpnpHttpRequest &request)
{
    static const QList<QByteArray> methods = {"GET", "HEAD", "POST", "SUBSCRIBE", "UNSUBSCRIBE"};
    if (!methods.contains(request.method))
        return UpnpHttpResponse::badRequest();
    const QString path = QString::fromUtf8(request.path);
    if (path == descriptionPath && !request.method.startsWith('P'))
        return processGetDescription(request);

    const QString prefix = QLatin1Char('/') + uuid + QLatin1Char('/');
    if (path.startsWith(prefix)) {
        const QString rest = path.mid(prefix.size());
        UpnpService service;
        bool found = false;
        {
            QMutexLocker locker(&m_lock);
            for (const UpnpService &candidate : std::as_const(m_services)) {
                if (rest.startsWith(candidate.name + QLatin1Char('/'))) {
                    service = candidate;
                    found = true;
                }
            }
        }
        const QString leaf = rest.mid(service.name.size() + 1);
        if (found && leaf == QLatin1String("scpd.xml") && !request.method.startsWith('P'))
            return processGetScpd(service, request);
        if (found && leaf == QLatin1String("control.xml") && request.method == "POST")
            return processHttpPostRequest(request, service);
        if (found && leaf == QLatin1String("event.xml") && request.method.contains("SUBSCRIBE"))
            return processHttpSubscriberRequest(request, service);
        return UpnpHttpResponse::notFound();
    }
    {
        QMutexLocker locker(&m_lock);
        for (const UpnpDeviceIcon &icon : std::as_const(m_icons)) {
            if (icon.urlPath == path) {
                UpnpHttpResponse response =
                    UpnpHttpResponse::text(200, icon.mimeType.toUtf8(), icon.data);
                return response;
            }
        }
    }
    UpnpHttpResponse response;
    if (request.method == "GET" || request.method == "HEAD") {
        if (processFileRequest(request, response))
            return response;
    }
    return UpnpHttpResponse::notFound();
}

UpnpDeviceData UpnpDeviceHost::descriptionFields(int) const
{
    return *this;
}

UpnpHttpResponse UpnpDeviceHost::processGetDescription(const UpnpHttpRequest &request) const
{
    const UpnpDeviceData fields = descriptionFields(request.clientSignature);
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
                                 "<root xmlns=\"urn:schemas-upnp-org:device-1-0\" "
                                 "xmlns:dlna=\"urn:schemas-dlna-org:device-1-0\"");
    if (!fields.aggregationFlags.isEmpty())
        xml += QStringLiteral(" xmlns:sec=\"urn:schemas-sonycom:av\"");
    xml += QStringLiteral("><specVersion><major>1</major><minor>0</minor></specVersion><device>");
    xml += element(QStringLiteral("deviceType"), fields.deviceType);
    xml += element(QStringLiteral("friendlyName"), fields.friendlyName);
    xml += element(QStringLiteral("manufacturer"), fields.manufacturer);
    xml += element(QStringLiteral("manufacturerURL"), fields.manufacturerUrl);
    xml += element(QStringLiteral("modelDescription"), fields.modelDescription);
    xml += element(QStringLiteral("modelName"), fields.modelName);
    xml += element(QStringLiteral("modelNumber"), fields.modelNumber);
    xml += element(QStringLiteral("modelURL"), fields.modelUrl);
    xml += element(QStringLiteral("serialNumber"), fields.serialNumber);
    xml += element(QStringLiteral("UDN"), QStringLiteral("uuid:") + fields.uuid);
    xml += element(QStringLiteral("presentationURL"), fields.presentationUrl);
    if (!fields.dlnaDoc.isEmpty())
        xml += element(QStringLiteral("dlna:X_DLNADOC"), fields.dlnaDoc);
    if (!fields.dlnaCap.isEmpty())
        xml += element(QStringLiteral("dlna:X_DLNACAP"), fields.dlnaCap);
    if (!fields.aggregationFlags.isEmpty())
        xml += element(QStringLiteral("sec:X_ProductCap"), fields.aggregationFlags);
    QMutexLocker locker(&m_lock);
    xml += QStringLiteral("<iconList>");
    for (const UpnpDeviceIcon &icon : m_icons) {
        xml += QStringLiteral("<icon>") + element(QStringLiteral("mimetype"), icon.mimeType) +
               element(QStringLiteral("width"), QString::number(icon.width)) +
               element(QStringLiteral("height"), QString::number(icon.height)) +
               element(QStringLiteral("depth"), QString::number(icon.depth)) +
               element(QStringLiteral("url"), icon.urlPath) + QStringLiteral("</icon>");
    }
    xml += QStringLiteral("</iconList><serviceList>");
    for (const UpnpService &service : m_services) {
        const QString base = QLatin1Char('/') + uuid + QLatin1Char('/') + service.name;
        xml += QStringLiteral("<service>") + element(QStringLiteral("serviceType"), service.type) +
               element(QStringLiteral("serviceId"), service.id) +
               element(QStringLiteral("SCPDURL"), base + QStringLiteral("/scpd.xml")) +
               element(QStringLiteral("controlURL"), base + QStringLiteral("/control.xml")) +
               element(QStringLiteral("eventSubURL"), base + QStringLiteral("/event.xml")) +
               QStringLiteral("</service>");
    }
    xml += QStringLiteral("</serviceList></device></root>\r\n");
    return UpnpHttpResponse::text(200, xmlContentType, xml.toUtf8());
}

QString UpnpDeviceHost::scpdFor(const UpnpService &service, const UpnpHttpRequest &) const
{
    return service.scpd;
}

UpnpHttpResponse UpnpDeviceHost::processGetScpd(const UpnpService &service,
                                                const UpnpHttpRequest &request) const
{
    return UpnpHttpResponse::text(200, xmlContentType, scpdFor(service, request).toUtf8());
}

UpnpHttpResponse UpnpDeviceHost::processHttpPostRequest(const UpnpHttpRequest &request,
                                                        const UpnpService &service)
{
    UpnpActionRequest action;
    UpnpActionResponse answer;
    if (!UpnpSoap::parseSoapAction(request.header("SOAPAction"), &action.serviceType,
                                   &action.name) ||
        action.serviceType != service.type) {
        answer.fail(UpnpError::InvalidAction, QStringLiteral("Invalid Action"));
    } else if (!UpnpSoap::parseArguments(request.body, action.name, &action.arguments)) {
        answer.fail(UpnpError::InvalidArgs, QStringLiteral("Invalid or Missing Args"));
    } else {
        action.clientSignature = request.clientSignature;
        action.bookmarks = request.bookmarks;
        action.peerAddress = request.peerAddress;
        action.userAgent = request.header("User-Agent");
        action.localAddress = request.localAddress;
        action.serverPort = request.localPort;
        onAction(action, answer);
    }
    if (answer.errorCode != 0) {
        qCDebug(lcUpnp).noquote() << "UpnpDeviceHost::processHttpPostRequest" << action.name
                                  << "error" << answer.errorCode;
        return UpnpHttpResponse::text(500, xmlContentType,
                                      UpnpSoap::fault(answer.errorCode, answer.errorDescription));
    }
    UpnpHttpResponse response = UpnpHttpResponse::text(
        200, xmlContentType, UpnpSoap::response(action.serviceType, action.name, answer));
    response.setHeader("EXT", "");
    return response;
}

void UpnpDeviceHost::onAction(const UpnpActionRequest &, UpnpActionResponse &response)
{
    response.fail(UpnpError::InvalidAction, QStringLiteral("Invalid Action"));
}

bool UpnpDeviceHost::processFileRequest(const UpnpHttpRequest &, UpnpHttpResponse &)
{
    return false;
}

UpnpHttpResponse UpnpDeviceHost::processHttpSubscriberRequest(const UpnpHttpRequest &request,
                                                              const UpnpService &service)
{
    const UpnpHttpResponse preconditionFailed =
        UpnpHttpResponse::text(412, "text/plain", "Precondition failed");
    const QString sid = QString::fromUtf8(request.header("SID"));
    if (request.method == "UNSUBSCRIBE") {
        if (!m_notifier->unsubscribe(sid, service.name))
            return preconditionFailed;
        return UpnpHttpResponse::text(200, QByteArray(), QByteArray());
    }
    const int timeout = UpnpEventNotifier::parseTimeout(request.header("TIMEOUT"));
    UpnpHttpResponse response = UpnpHttpResponse::text(200, QByteArray(), QByteArray());
    response.setHeader("SERVER", serverToken);
    response.setHeader("TIMEOUT", "Second-" + QByteArray::number(timeout));
    if (!sid.isEmpty()) {
        if (!request.header("NT").isEmpty() || !request.header("CALLBACK").isEmpty())
            return UpnpHttpResponse::badRequest();
        if (!m_notifier->renew(sid, service.name, timeout))
            return preconditionFailed;
        response.setHeader("SID", sid.toUtf8());
        return response;
    }
    const QList<QUrl> callbacks = UpnpEventNotifier::parseCallbacks(request.header("CALLBACK"));
    if (request.header("NT") != "upnp:event" || callbacks.isEmpty())
        return preconditionFailed;
    // Events go back only to the host that subscribed: no third party can
    // be made the target of our NOTIFY requests.
    const QHostAddress peer(request.peerAddress.toIPv4Address());
    for (const QUrl &callback : callbacks) {
        if (QHostAddress(callback.host()) != peer) {
            qCWarning(lcUpnp).noquote()
                << "UpnpDeviceHost::processHttpSubscriberRequest refused callback"
                << callback.toString() << "from" << peer.toString();
            return preconditionFailed;
        }
    }
    QList<QPair<QString, QString>> variables;
    {
        QMutexLocker locker(&m_lock);
        for (const UpnpService &candidate : std::as_const(m_services)) {
            if (candidate.name == service.name)
                variables = candidate.eventedVariables;
        }
    }
    const QString newSid = m_notifier->subscribe(service.name, callbacks, timeout, variables, peer);
    if (newSid.isEmpty())
        return UpnpHttpResponse::text(503, "text/plain", "Service Unavailable");
    response.setHeader("SID", newSid.toUtf8());
    return response;
}
