#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>

// A parsed SSDP datagram: the start line and its headers (names lower case).
struct SsdpPacket
{
    QByteArray startLine;
    QHash<QByteArray, QByteArray> headers;
    // Where the datagram arrived: the interface (0 when not known) and the
    // address it was sent to.
    uint interfaceIndex = 0;
    QHostAddress destination;

    bool isSearch() const { return startLine.startsWith("M-SEARCH * HTTP/1.1"); }
    bool isNotify() const { return startLine.startsWith("NOTIFY * HTTP/1.1"); }
    bool isResponse() const { return startLine.startsWith("HTTP/1.1 200"); }
    QByteArray header(const QByteArray &name) const { return headers.value(name.toLower()); }

    // False for anything that is not an HTTP-over-UDP message.
    static bool parse(const QByteArray &datagram, SsdpPacket *packet);
};
