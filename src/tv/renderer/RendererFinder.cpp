#include "tv/renderer/RendererFinder.h"

#include "core/Logging.h"
#include "tv/renderer/RendererClient.h"
#include "tv/upnp/SsdpPacket.h"

#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QUdpSocket>

namespace {

const QHostAddress ssdpGroup(QStringLiteral("239.255.255.250"));
constexpr quint16 ssdpPort = 1900;
constexpr int defaultMaxAge = 1800;
constexpr int maxRenderers = 64;

int maxAgeOf(const SsdpPacket &packet)
{
    static const QRegularExpression pattern(QStringLiteral("max-age\\s*=\\s*(\\d{1,6})"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match =
        pattern.match(QString::fromLatin1(packet.header("cache-control")));
    const int seconds = match.hasMatch() ? match.captured(1).toInt() : defaultMaxAge;
    return qBound(5, seconds, 86400);
}

// "uuid:ID::urn:..." -> "ID"
QString idOfUsn(const QByteArray &usn)
{
    const QString text = QString::fromLatin1(usn).trimmed();
    if (!text.startsWith(QLatin1String("uuid:")))
        return {};
    const QString id = text.mid(5).section(QLatin1String("::"), 0, 0).trimmed();
    return id.size() <= 128 ? id : QString();
}

} // namespace

const QString RendererFinder::rendererType =
    QStringLiteral("urn:schemas-upnp-org:device:MediaRenderer:1");

RendererFinder::RendererFinder(QObject *parent)
    : QObject(parent), m_client(new RendererClient(this))
{
    m_expiryTimer.setInterval(1000);
    connect(&m_expiryTimer, &QTimer::timeout, this, &RendererFinder::expire);
    m_searchAgain.setSingleShot(true);
    m_searchAgain.setInterval(400);
    connect(&m_searchAgain, &QTimer::timeout, this, &RendererFinder::sendSearch);
}

RendererFinder::~RendererFinder() = default;

bool RendererFinder::isLocalAddress(const QHostAddress &address)
{
    if (address.isLoopback() || address.isLinkLocal() || address.isUniqueLocalUnicast())
        return true;
    if (address.protocol() != QAbstractSocket::IPv4Protocol)
        return false;
    return address.isInSubnet(QHostAddress(QStringLiteral("10.0.0.0")), 8) ||
           address.isInSubnet(QHostAddress(QStringLiteral("172.16.0.0")), 12) ||
           address.isInSubnet(QHostAddress(QStringLiteral("192.168.0.0")), 16);
}

bool RendererFinder::start()
{
    if (m_searchSocket)
        return true;
    m_searchSocket = new QUdpSocket(this);
    if (!m_searchSocket->bind(QHostAddress::AnyIPv4, 0)) {
        qCWarning(lcUpnp).noquote() << "RendererFinder::start cannot open the search socket:"
                                    << m_searchSocket->errorString();
        delete m_searchSocket;
        m_searchSocket = nullptr;
        return false;
    }
    connect(m_searchSocket, &QUdpSocket::readyRead, this,
            [this] { readDatagrams(m_searchSocket); });
    m_notifySocket = new QUdpSocket(this);
    if (m_notifySocket->bind(QHostAddress::AnyIPv4, ssdpPort,
                             QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint) &&
        m_notifySocket->joinMulticastGroup(ssdpGroup)) {
        connect(m_notifySocket, &QUdpSocket::readyRead, this,
                [this] { readDatagrams(m_notifySocket); });
    } else {
        qCDebug(lcUpnp).noquote() << "RendererFinder::start announcements not heard:"
                                  << m_notifySocket->errorString();
        delete m_notifySocket;
        m_notifySocket = nullptr;
    }
    m_expiryTimer.start();
    search();
    return true;
}

void RendererFinder::stop()
{
    m_expiryTimer.stop();
    m_searchAgain.stop();
    delete m_searchSocket;
    m_searchSocket = nullptr;
    delete m_notifySocket;
    m_notifySocket = nullptr;
}

void RendererFinder::search()
{
    if (!m_searchSocket)
        return;
    sendSearch();
    m_searchAgain.start();
}

void RendererFinder::sendSearch()
{
    if (m_searchSocket)
        m_searchSocket->writeDatagram("M-SEARCH * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\n"
                                      "MAN: \"ssdp:discover\"\r\nMX: 2\r\nST: " +
                                          rendererType.toLatin1() + "\r\n\r\n",
                                      ssdpGroup, ssdpPort);
}

QList<RendererInfo> RendererFinder::renderers() const
{
    QList<RendererInfo> list;
    for (const Entry &entry : m_renderers)
        list.append(entry.info);
    std::sort(list.begin(), list.end(), [](const RendererInfo &a, const RendererInfo &b) {
        return a.name.localeAwareCompare(b.name) < 0 || (a.name == b.name && a.id < b.id);
    });
    return list;
}

RendererInfo RendererFinder::renderer(const QString &id) const
{
    return m_renderers.value(id).info;
}

void RendererFinder::readDatagrams(QUdpSocket *socket)
{
    while (socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket->receiveDatagram(8192);
        SsdpPacket packet;
        if (SsdpPacket::parse(datagram.data(), &packet))
            onPacket(packet, datagram.senderAddress());
    }
}

void RendererFinder::onPacket(const SsdpPacket &packet, const QHostAddress &sender)
{
    QByteArray type;
    if (packet.isResponse())
        type = packet.header("st");
    else if (packet.isNotify())
        type = packet.header("nt");
    else
        return;
    if (type.trimmed() != rendererType.toLatin1())
        return;
    const QString id = idOfUsn(packet.header("usn"));
    if (id.isEmpty())
        return;
    if (packet.isNotify() && packet.header("nts") == "ssdp:byebye") {
        remove(id);
        return;
    }
    if (packet.isNotify() && packet.header("nts") != "ssdp:alive")
        return;
    const QUrl location(QString::fromLatin1(packet.header("location")), QUrl::StrictMode);
    seen(id, location, sender, maxAgeOf(packet));
}

void RendererFinder::seen(const QString &id, const QUrl &location, const QHostAddress &sender,
                          int maxAge)
{
    // Only where it spoke from, and only on the local network.
    // (A datagram from this machine to itself comes from the loopback address,
    // whatever address its sender announced.)
    const QHostAddress from(sender.toIPv4Address() ? QHostAddress(sender.toIPv4Address()) : sender);
    const QHostAddress host(location.host());
    const bool sameHost = host == from || (host.isLoopback() && from.isLoopback());
    if (!location.isValid() || location.scheme() != QLatin1String("http") || !sameHost ||
        !isLocalAddress(from)) {
        qCDebug(lcUpnp).noquote() << "RendererFinder: ignored" << location.toString() << "from"
                                  << from.toString();
        return;
    }
    const auto known = m_renderers.find(id);
    if (known != m_renderers.end() && known->info.location == location) {
        known->expiry.setRemainingTime(qint64(maxAge) * 1000);
        return;
    }
    describe(id, location, host, maxAge);
}

void RendererFinder::describe(const QString &id, const QUrl &location, const QHostAddress &sender,
                              int maxAge)
{
    if (m_describing.contains(id) || m_describing.size() >= maxRenderers ||
        (m_renderers.size() >= maxRenderers && !m_renderers.contains(id)))
        return;
    m_describing.insert(id);
    m_client->fetch(location, RendererDescription::MaxSize,
                    [this, id, location, sender, maxAge](const QByteArray &body, bool ok) {
                        m_describing.remove(id);
                        RendererInfo info;
                        if (!ok || !RendererDescription::parse(body, location, &info.description) ||
                            info.description.udn != QLatin1String("uuid:") + id) {
                            qCDebug(lcUpnp).noquote() << "RendererFinder: no usable description at"
                                                      << location.toString();
                            return;
                        }
                        info.id = id;
                        info.name = info.description.friendlyName.isEmpty()
                                        ? id
                                        : info.description.friendlyName;
                        info.address = sender;
                        info.location = location;
                        readSinks(info, maxAge);
                    });
}

void RendererFinder::readSinks(RendererInfo info, int maxAge)
{
    m_client->call(info, RendererClient::ConnectionManager, QStringLiteral("GetProtocolInfo"), {},
                   [this, info, maxAge](const RendererSoap::Reply &reply, bool) mutable {
                       // Without a sink list it is still offered; it may say no later.
                       if (reply.ok)
                           info.sinks =
                               SinkProtocols(reply.arguments.value(QStringLiteral("Sink")));
                       add(info, maxAge);
                   });
}

void RendererFinder::add(const RendererInfo &info, int maxAge)
{
    const bool known = m_renderers.contains(info.id);
    Entry &entry = m_renderers[info.id];
    entry.info = info;
    entry.expiry.setRemainingTime(qint64(maxAge) * 1000);
    if (!known)
        qCInfo(lcUpnp).noquote() << "RendererFinder: found" << info.name << "at"
                                 << info.location.toString();
    Q_EMIT rendererAdded(info);
}

void RendererFinder::remove(const QString &id)
{
    if (m_renderers.remove(id) > 0) {
        qCInfo(lcUpnp).noquote() << "RendererFinder: gone" << id;
        Q_EMIT rendererRemoved(id);
    }
}

void RendererFinder::expire()
{
    QStringList gone;
    for (auto it = m_renderers.cbegin(); it != m_renderers.cend(); ++it) {
        if (it->expiry.hasExpired())
            gone.append(it.key());
    }
    for (const QString &id : std::as_const(gone))
        remove(id);
}
