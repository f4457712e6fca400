#pragma once

#include "tv/upnp/RingBufferStream.h"

#include <QString>

#include <atomic>
#include <memory>

class QThread;
class TranscodeHelper;

// The body of a transcoded answer: the encoder's output, read through a
// 50 MiB ring buffer that paces the encoder and the client against each
// other. Destroying the stream stops the encoder and its worker thread.
class TranscodeStream : public UpnpInputStream
{
public:
    static constexpr qint64 bufferSize = 52428800;

    TranscodeStream(int mode, const QString &file_path, qint64 capacity = bufferSize);
    ~TranscodeStream() override;

    qint64 read(char *data, qint64 maxSize) override;
    void abort() override;
    bool seek(qint64 position) { return m_stream->seek(position); }
    qint64 tell() const { return m_stream->tell(); }
    qint64 size() const { return m_stream->size(); }
    qint64 available() const { return m_stream->available(); }

    qint64 bytesRead() const { return m_bytesRead; }
    RingBufferStreamReference stream() const { return m_stream; }
    // Streams alive in the process (each with its encoder and thread).
    static int liveCount();

private:
    QSharedPointer<RingBuffer> m_buffer;
    RingBufferStreamReference m_stream;
    std::unique_ptr<QThread> m_thread;
    TranscodeHelper *m_helper; // lives in m_thread, deleted with the stream
    qint64 m_bytesRead = 0;
    static std::atomic<int> s_live;
};
