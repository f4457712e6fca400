#pragma once

#include "tv/renderer/RendererInfo.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>

class QUdpSocket;
class RendererClient;
struct SsdpPacket;

// Finds the MediaRenderers on the local network and keeps the list current:
// searches (M-SEARCH), hears their announcements (alive, bye-bye), drops
// those whose announcement expired, and reads each one's description and
// sink list. Lives in one thread (the window's, or zelta-cli's); nothing
// blocks.
class RendererFinder : public QObject
{
    Q_OBJECT

public:
    static const QString rendererType;

    explicit RendererFinder(QObject *parent = nullptr);
    ~RendererFinder() override;

    // Opens the sockets and sends a first search. False when no socket could
    // be opened (the search port; announcements are heard when port 1900
    // can be shared too).
    bool start();
    void stop();
    // Asks again (twice, a moment apart: datagrams get lost).
    void search();

    QList<RendererInfo> renderers() const;
    RendererInfo renderer(const QString &id) const;

    // Whether a renderer may be contacted at `address`: only on the local
    // network (loopback, private and link-local ranges).
    static bool isLocalAddress(const QHostAddress &address);

Q_SIGNALS:
    void rendererAdded(const RendererInfo &renderer);
    // Gone: bye-bye, or its announcement expired.
    void rendererRemoved(const QString &id);

private:
    struct Entry
    {
        RendererInfo info;
        QDeadlineTimer expiry;
    };

    void sendSearch();
    void readDatagrams(QUdpSocket *socket);
    void onPacket(const SsdpPacket &packet, const QHostAddress &sender);
    void seen(const QString &id, const QUrl &location, const QHostAddress &sender, int maxAge);
    void describe(const QString &id, const QUrl &location, const QHostAddress &sender, int maxAge);
    void readSinks(RendererInfo info, int maxAge);
    void add(const RendererInfo &info, int maxAge);
    void remove(const QString &id);
    void expire();

    QUdpSocket *m_searchSocket = nullptr;
    QUdpSocket *m_notifySocket = nullptr;
    RendererClient *m_client = nullptr;
    QHash<QString, Entry> m_renderers;
    QSet<QString> m_describing; // ids whose description is being read
    QTimer m_expiryTimer;
    QTimer m_searchAgain;
};
