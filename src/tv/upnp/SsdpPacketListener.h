#pragma once

#include "tv/upnp/SsdpPacket.h"

#include <QHostAddress>

// Receives the SSDP datagrams that the engine reads from the multicast group.
class SsdpPacketListener
{
public:
    virtual ~SsdpPacketListener() = default;
    virtual void onSsdpPacket(const SsdpPacket &packet, const QHostAddress &sender,
                              quint16 senderPort) = 0;
};
