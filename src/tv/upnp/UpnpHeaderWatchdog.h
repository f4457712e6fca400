#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>

// Closes the connections that have not sent a whole request within a
// deadline. The server's idle timeout restarts with every byte, so without
// this a client trickling its headers could hold a connection for ever.
class UpnpHeaderWatchdog
{
public:
    explicit UpnpHeaderWatchdog(std::chrono::milliseconds deadline);
    ~UpnpHeaderWatchdog();

    // From now on `connection` (socket `fd`) has the deadline to complete a request.
    void arm(const void *connection, int fd);
    // The request is complete, or the connection is closing (before its socket is).
    void disarm(const void *connection);

private:
    struct Entry
    {
        int fd;
        std::chrono::steady_clock::time_point deadline;
    };

    void run();

    const std::chrono::milliseconds m_deadline;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::unordered_map<const void *, Entry> m_entries;
    bool m_stopping = false;
    std::thread m_thread;
};
