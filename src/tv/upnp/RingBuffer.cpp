#include "tv/upnp/RingBuffer.h"

#include <cstring>

RingBuffer::RingBuffer(qint64 capacity) : m_data(new char[size_t(capacity)]), m_capacity(capacity)
{
}

qint64 RingBuffer::write(const char *data, qint64 count)
{
    count = qMin(count, freeSpace());
    qint64 tail = (m_head + m_size) % m_capacity;
    qint64 done = 0;
    while (done < count) {
        const qint64 chunk = qMin(count - done, m_capacity - tail);
        std::memcpy(m_data.get() + tail, data + done, size_t(chunk));
        done += chunk;
        tail = (tail + chunk) % m_capacity;
    }
    m_size += count;
    return count;
}

qint64 RingBuffer::read(char *data, qint64 maxCount)
{
    const qint64 count = qMin(maxCount, m_size);
    qint64 done = 0;
    while (done < count) {
        const qint64 chunk = qMin(count - done, m_capacity - m_head);
        std::memcpy(data + done, m_data.get() + m_head, size_t(chunk));
        done += chunk;
        m_head = (m_head + chunk) % m_capacity;
    }
    m_size -= count;
    return count;
}
