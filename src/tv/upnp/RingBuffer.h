#pragma once

#include <QtGlobal>

#include <memory>

// A fixed-size byte ring. Not thread-safe by itself: RingBufferStream guards it.
// Memory is reserved up front but only touched as data passes through.
class RingBuffer
{
public:
    explicit RingBuffer(qint64 capacity);

    qint64 capacity() const { return m_capacity; }
    qint64 size() const { return m_size; }
    qint64 freeSpace() const { return m_capacity - m_size; }

    qint64 write(const char *data, qint64 count);
    qint64 read(char *data, qint64 maxCount);

private:
    std::unique_ptr<char[]> m_data;
    qint64 m_capacity;
    qint64 m_head = 0; // next byte to read
    qint64 m_size = 0;
};
