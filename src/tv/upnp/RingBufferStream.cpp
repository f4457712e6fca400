#include "tv/upnp/RingBufferStream.h"

RingBufferStream::RingBufferStream(const QSharedPointer<RingBuffer> &buffer) : m_buffer(buffer) {}

qint64 RingBufferStream::write(const char *data, qint64 count)
{
    QMutexLocker locker(&m_lock);
    qint64 done = 0;
    while (done < count) {
        if (m_aborted)
            return -1;
        if (m_buffer->freeSpace() == 0) {
            m_writerBlocked = true;
            m_writable.wait(&m_lock);
            m_writerBlocked = false;
            continue;
        }
        done += m_buffer->write(data + done, count - done);
        m_readable.wakeAll();
    }
    return done;
}

void RingBufferStream::setEnded()
{
    QMutexLocker locker(&m_lock);
    m_ended = true;
    m_readable.wakeAll();
}

qint64 RingBufferStream::read(char *data, qint64 maxSize)
{
    QMutexLocker locker(&m_lock);
    while (m_buffer->size() == 0 && !m_ended && !m_aborted) {
        m_readerBlocked = true;
        m_readable.wait(&m_lock);
        m_readerBlocked = false;
    }
    if (m_aborted)
        return -1;
    const qint64 count = m_buffer->read(data, maxSize);
    m_bytesRead += count;
    m_writable.wakeAll();
    return count;
}

void RingBufferStream::abort()
{
    QMutexLocker locker(&m_lock);
    m_aborted = true;
    m_readable.wakeAll();
    m_writable.wakeAll();
}

qint64 RingBufferStream::tell() const
{
    QMutexLocker locker(&m_lock);
    return m_bytesRead;
}

qint64 RingBufferStream::available() const
{
    QMutexLocker locker(&m_lock);
    return m_buffer->size();
}

bool RingBufferStream::isEnded() const
{
    QMutexLocker locker(&m_lock);
    return m_ended;
}

bool RingBufferStream::isAborted() const
{
    QMutexLocker locker(&m_lock);
    return m_aborted;
}

bool RingBufferStream::isWriterBlocked() const
{
    QMutexLocker locker(&m_lock);
    return m_writerBlocked;
}

bool RingBufferStream::isReaderBlocked() const
{
    QMutexLocker locker(&m_lock);
    return m_readerBlocked;
}
