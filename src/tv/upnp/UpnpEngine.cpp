#include "tv/upnp/UpnpEngine.h"
#include "core/Logging.h"

#include "tv/upnp/UpnpDeviceHost.h"

#include <QDebug>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QUdpSocket>

UpnpEngine::UpnpEngine(quint16 port, Mode mode, QObject *parent)
    : QObject(parent), m_port(port), m_mode(mode)
{
}

UpnpEngine::~UpnpEngine()
{
    stop();
}

bool UpnpEngine::start()
{
    if (m_running)
        return true;
    bool listening = true;
    if (m_mode == Multicast) {
        m_socket = new QUdpSocket(this);
        listening = m_socket->bind(QHostAddress::AnyIPv4, m_port,
                                   QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
        if (listening) {
            // Where the group's route points, and on every other interface.
            const bool joined =
                m_socket->joinMulticastGroup(QHostAddress(QStringLiteral("239.255.255.250")));
            const int joinedOn = joinOnEveryInterface();
            listening = joined || joinedOn > 0;
        }
        if (!listening) {
            qCWarning(lcUpnp).noquote()
                << QStringLiteral("check failed, result=%1 (%2) [%3]")
                       .arg(int(m_socket->error()))
                       .arg(m_socket->errorString(), QStringLiteral("upnp.core.engine"));
        }
        connect(m_socket, &QUdpSocket::readyRead, this, &UpnpEngine::readPendingDatagrams);
    }
    m_running = true;
    for (const auto &device : std::as_const(m_devices))
        device->start(m_mode == Multicast);
    return listening;
}

int UpnpEngine::joinOnEveryInterface()
{
    // Searches arrive on every network the host is on, not only on the
    // one the group's route names.
    const QHostAddress group(QStringLiteral("239.255.255.250"));
    int joined = 0;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::CanMulticast))
            continue;
        bool ipv4 = false;
        for (const QNetworkAddressEntry &entry : interface.addressEntries())
            ipv4 = ipv4 || entry.ip().protocol() == QAbstractSocket::IPv4Protocol;
        // Already joined there (the group's own route): fails, harmless.
        if (ipv4 && m_socket->joinMulticastGroup(group, interface))
            ++joined;
    }
    return joined;
}

void UpnpEngine::stop()
{
    for (const auto &device : std::as_const(m_devices))
        device->stop(); // also the ends of earlier stops in the background
    closeSocket();
}

void UpnpEngine::stopInBackground()
{
    if (!m_running)
        return;
    for (const auto &device : std::as_const(m_devices))
        device->stopInBackground();
    closeSocket();
}

void UpnpEngine::closeSocket()
{
    delete m_socket;
    m_socket = nullptr;
    m_running = false;
}

void UpnpEngine::addDevice(const QSharedPointer<UpnpDeviceHost> &device)
{
    if (!device || m_devices.contains(device))
        return;
    m_devices.append(device);
    if (m_running)
        device->start(m_mode == Multicast);
}

void UpnpEngine::removeDevice(const QSharedPointer<UpnpDeviceHost> &device)
{
    if (m_devices.removeAll(device) > 0)
        device->stop();
}

void UpnpEngine::readPendingDatagrams()
{
    while (m_socket && m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram(8192);
        SsdpPacket packet;
        if (!SsdpPacket::parse(datagram.data(), &packet))
            continue; // malformed: ignored
        packet.interfaceIndex = datagram.interfaceIndex();
        packet.destination = datagram.destinationAddress();
        for (const auto &device : std::as_const(m_devices))
            device->onSsdpPacket(packet, datagram.senderAddress(), quint16(datagram.senderPort()));
    }
}
