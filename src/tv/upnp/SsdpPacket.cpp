#include "tv/upnp/SsdpPacket.h"

#include <QList>

bool SsdpPacket::parse(const QByteArray &datagram, SsdpPacket *packet)
{
    if (datagram.size() > 8192)
        return false;
    const QList<QByteArray> lines = datagram.split('\n');
    if (lines.isEmpty())
        return false;
    packet->startLine = lines.first().trimmed();
    if (packet->startLine.contains('\r'))
        return false;
    if (!packet->startLine.endsWith("HTTP/1.1") && !packet->startLine.startsWith("HTTP/1.1"))
        return false;
    packet->headers.clear();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        if (line.isEmpty())
            break;
        // A carriage return inside a line would split it for the next reader.
        if (line.contains('\r'))
            return false;
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return false;
        packet->headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    return true;
}
