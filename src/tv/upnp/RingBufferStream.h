#pragma once

#include "tv/upnp/RingBuffer.h"
#include "tv/upnp/UpnpInputStream.h"

#include <QMutex>
#include <QSharedPointer>
#include <QWaitCondition>

// A blocking pipe over a ring buffer between one writer and one reader: the
// writer waits while the buffer is full, the reader while it is empty and
// not ended. abort() releases both for good.
class RingBufferStream : public UpnpInputStream
{
public:
    explicit RingBufferStream(const QSharedPointer<RingBuffer> &buffer);

    // All bytes, or -1 once the stream was aborted.
    qint64 write(const char *data, qint64 count);
    // Marks the end: the reader gets the remaining bytes, then 0.
    void setEnded();

    qint64 read(char *data, qint64 maxSize) override;
    void abort() override;

    bool seek(qint64) { return false; }
    qint64 tell() const;
    qint64 size() const { return -1; }
    qint64 available() const;
    bool isEnded() const;
    bool isAborted() const;
    // True while a writer waits for room.
    bool isWriterBlocked() const;
    // True while a reader waits for bytes.
    bool isReaderBlocked() const;

private:
    QSharedPointer<RingBuffer> m_buffer;
    mutable QMutex m_lock;
    QWaitCondition m_readable;
    QWaitCondition m_writable;
    qint64 m_bytesRead = 0;
    bool m_ended = false;
    bool m_aborted = false;
    bool m_writerBlocked = false;
    bool m_readerBlocked = false;
};

using RingBufferStreamReference = QSharedPointer<RingBufferStream>;
Q_DECLARE_METATYPE(RingBufferStreamReference)
