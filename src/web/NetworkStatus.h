#pragma once

#include <QObject>

// Whether the machine is on a network, as the system tells it: one object
// for the pages and the downloads. Without a way to ask the system, the
// program counts itself online.
class NetworkStatus : public QObject
{
    Q_OBJECT

public:
    explicit NetworkStatus(QObject *parent = nullptr);

    bool isOnline() const { return m_online; }

Q_SIGNALS:
    // Only real changes (an "unknown" answer changes nothing).
    void onlineChanged(bool online);

private:
    void take(bool online);

    bool m_online = true;
};
