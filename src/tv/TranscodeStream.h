#pragma once

#include "tv/upnp/RingBufferStream.h"

#include <QString>

#include <atomic>
#include <memory>

class QTemporaryFile;
class QThread;
class TranscodeHelper;

// The body of a transcoded answer: the encoder's output, read through an
// 8 MiB ring buffer that paces the encoder and the client against each
// other. Destroying the stream stops the encoder and its worker thread.
class TranscodeStream : public UpnpInputStream
{
public:
    // Small enough that stalled clients cannot pile up memory; still seconds of video.
    static constexpr qint64 bufferSize = 8 * 1024 * 1024;
    // Encoders running at once; further requests are turned away.
    static constexpr int maxConcurrent = 4;

    // A new stream, or null while `maxConcurrent` are in use.
    static std::shared_ptr<TranscodeStream> createLimited(int mode, const QString &file_path,
                                                          double startSeconds = 0,
                                                          double lengthSeconds = -1,
                                                          const QString &subtitlePath = QString());

    // The encoder starts `startSeconds` into the file and converts
    // `lengthSeconds` of it, to the end when negative (a time-seek request).
    // With `subtitlePath` the subtitle file is drawn into the picture.
    TranscodeStream(int mode, const QString &file_path, qint64 capacity = bufferSize,
                    double startSeconds = 0, double lengthSeconds = -1,
                    const QString &subtitlePath = QString());
    ~TranscodeStream() override;

    qint64 read(char *data, qint64 maxSize) override;
    void abort() override;
    bool seek(qint64 position) { return m_stream->seek(position); }
    qint64 tell() const { return m_stream->tell(); }
    qint64 size() const { return m_stream->size(); }
    qint64 available() const { return m_stream->available(); }

    // Keeps a file the encoder reads (a subtitle copy) until the stream ends.
    void keepFile(std::unique_ptr<QTemporaryFile> file);

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
    std::unique_ptr<QTemporaryFile> m_keptFile;
    static std::atomic<int> s_live;
    static std::atomic<int> s_slots;
};
