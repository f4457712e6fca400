#include "tv/upnp/UpnpHeaderWatchdog.h"
#include "core/Logging.h"

#include <QDebug>

#include <sys/socket.h>

UpnpHeaderWatchdog::UpnpHeaderWatchdog(std::chrono::milliseconds deadline)
    : m_deadline(deadline), m_thread([this] { run(); })
{
}

UpnpHeaderWatchdog::~UpnpHeaderWatchdog()
{
    {
        std::lock_guard<std::mutex> locker(m_lock);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void UpnpHeaderWatchdog::arm(const void *connection, int fd)
{
    {
        std::lock_guard<std::mutex> locker(m_lock);
        m_entries[connection] = {fd, std::chrono::steady_clock::now() + m_deadline};
    }
    m_wake.notify_all();
}

void UpnpHeaderWatchdog::disarm(const void *connection)
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_entries.erase(connection);
}

void UpnpHeaderWatchdog::run()
{
    std::unique_lock<std::mutex> locker(m_lock);
    while (!m_stopping) {
        const auto now = std::chrono::steady_clock::now();
        auto next = std::chrono::steady_clock::time_point::max();
        for (auto it = m_entries.begin(); it != m_entries.end();) {
            if (it->second.deadline <= now) {
                // The server sees the end of the stream and closes the
                // connection itself; the socket stays its to close.
                qCDebug(lcUpnp) << "UpnpHttpServer: request not complete in time, connection closed";
                ::shutdown(it->second.fd, SHUT_RDWR);
                it = m_entries.erase(it);
            } else {
                next = std::min(next, it->second.deadline);
                ++it;
            }
        }
        if (next == std::chrono::steady_clock::time_point::max())
            m_wake.wait(locker);
        else
            m_wake.wait_until(locker, next);
    }
}
