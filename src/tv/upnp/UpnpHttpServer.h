#pragma once

#include "tv/upnp/HttpRequestHandler.h"

#include <QMutex>
#include <QSet>
#include <QWaitCondition>

#include <atomic>
#include <chrono>
#include <memory>

class UpnpHeaderWatchdog;

struct MHD_Daemon;
struct MHD_Connection;

// HTTP/1.1 server on all IPv4 interfaces, one thread per connection, at most
// 100 connections at a time and 32 from one address (players open several
// range connections at once). Every complete request goes to the handler. A
// request must arrive whole within the request deadline, so slow clients
// cannot hold the connections.
class UpnpHttpServer
{
public:
    static constexpr int maxConnections = 100;
    static constexpr int maxConnectionsPerAddress = 32;
    static constexpr qint64 maxBodySize = 1 << 20;
    static constexpr std::chrono::milliseconds defaultRequestDeadline{10000};

    // For servers started from now on (tests shorten it).
    static void setRequestDeadline(std::chrono::milliseconds deadline);

    explicit UpnpHttpServer(HttpRequestHandler *handler);
    ~UpnpHttpServer();

    // Port 0 lets the system choose; port() tells which one was taken.
    bool start(quint16 port);
    // Takes no new connections from now on (the port is free at once) and
    // wakes answers that wait for stream data.
    void quiesce();
    // Quiesces, lets the answers being made go out, then closes every
    // connection.
    void stop();
    bool isRunning() const { return m_daemon != nullptr; }
    quint16 port() const { return m_port; }

private:
    struct Pending;
    struct StreamBody;

    friend struct UpnpHttpServerCallbacks;

    int answer(MHD_Connection *connection, Pending *pending);
    void watchRequest(MHD_Connection *connection);
    void unwatchRequest(MHD_Connection *connection);
    void answerEnded();
    int queue(MHD_Connection *connection, const UpnpHttpResponse &response,
              const UpnpHttpRequest &request);
    void forgetStream(StreamBody *body);

    HttpRequestHandler *m_handler;
    MHD_Daemon *m_daemon = nullptr;
    std::unique_ptr<UpnpHeaderWatchdog> m_watchdog;
    static std::atomic<long long> s_requestDeadlineMs;
    quint16 m_port = 0;
    QMutex m_streamsLock;
    QSet<StreamBody *> m_streams;
    bool m_stopping = false; // guarded by m_streamsLock
    bool m_quiesced = false;
    std::atomic<bool> m_refusing{false}; // new requests, once quiesced
    QMutex m_answersLock;
    QWaitCondition m_answersDone;
    int m_answers = 0; // being made or sent now, under m_answersLock
};
