#pragma once

#include <QString>
#include <QStringList>

// A renderer's sink list (ConnectionManager's GetProtocolInfo "Sink"): the
// protocolInfo entries it says it plays, "protocol:network:type:extra".
class SinkProtocols
{
public:
    SinkProtocols() = default;
    // From the comma-separated list; at most 512 entries are kept.
    explicit SinkProtocols(const QString &list);

    bool isEmpty() const { return m_entries.isEmpty(); }
    QStringList entries() const { return m_entries; }
    // Whether an HTTP resource of this protocolInfo is played (the MIME type
    // matched, "*" and "video/*" as wildcards). A renderer that told nothing
    // is taken to accept everything.
    bool accepts(const QString &protocolInfo) const;

private:
    QStringList m_entries;
};
