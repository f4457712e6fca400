#pragma once

#include "tv/upnp/HttpRequestHandler.h"

#include <QMutex>
#include <QSet>

struct MHD_Daemon;
struct MHD_Connection;

// HTTP/1.1 server on all IPv4 interfaces, one thread per connection, at most
// 100 connections at a time. Every complete request goes to the handler.
class UpnpHttpServer
{
public:
    static constexpr int maxConnections = 100;
    static constexpr qint64 maxBodySize = 1 << 20;

    explicit UpnpHttpServer(HttpRequestHandler *handler);
    ~UpnpHttpServer();

    // Port 0 lets the system choose; port() tells which one was taken.
    bool start(quint16 port);
    void stop();
    bool isRunning() const { return m_daemon != nullptr; }
    quint16 port() const { return m_port; }

private:
    struct Pending;
    struct StreamBody;

    friend struct UpnpHttpServerCallbacks;

    int answer(MHD_Connection *connection, Pending *pending);
    int queue(MHD_Connection *connection, const UpnpHttpResponse &response,
              const UpnpHttpRequest &request);
    void forgetStream(StreamBody *body);

    HttpRequestHandler *m_handler;
    MHD_Daemon *m_daemon = nullptr;
    quint16 m_port = 0;
    QMutex m_streamsLock;
    QSet<StreamBody *> m_streams;
    bool m_stopping = false; // guarded by m_streamsLock
};
