#include "tv/TranscodeStream.h"
#include "core/Logging.h"

#include "tv/TranscodeHelper.h"

#include <QDebug>
#include <QTemporaryFile>
#include <QThread>

std::atomic<int> TranscodeStream::s_live{0};
std::atomic<int> TranscodeStream::s_slots{0};

std::shared_ptr<TranscodeStream> TranscodeStream::createLimited(int mode, const QString &file_path,
                                                                double startSeconds,
                                                                double lengthSeconds,
                                                                const QString &subtitlePath)
{
    int used = s_slots.load();
    do {
        if (used >= maxConcurrent)
            return nullptr;
    } while (!s_slots.compare_exchange_weak(used, used + 1));
    return std::shared_ptr<TranscodeStream>(
        new TranscodeStream(mode, file_path, bufferSize, startSeconds, lengthSeconds, subtitlePath),
        [](TranscodeStream *stream) {
            delete stream;
            --s_slots;
        });
}

TranscodeStream::TranscodeStream(int mode, const QString &file_path, qint64 capacity,
                                 double startSeconds, double lengthSeconds,
                                 const QString &subtitlePath)
    : m_buffer(QSharedPointer<RingBuffer>::create(capacity)),
      m_stream(RingBufferStreamReference::create(m_buffer)), m_thread(std::make_unique<QThread>()),
      m_helper(new TranscodeHelper(mode, m_stream, startSeconds, lengthSeconds))
{
    ++s_live;
    qRegisterMetaType<RingBufferStreamReference>("RingBufferStreamReference");
    m_helper->setSubtitlePath(subtitlePath);
    m_helper->moveToThread(m_thread.get());
    m_thread->start(QThread::InheritPriority);
    QMetaObject::invokeMethod(m_helper, "transcode", Qt::QueuedConnection,
                              Q_ARG(QString, file_path));
}

TranscodeStream::~TranscodeStream()
{
    qCDebug(lcTv).noquote() << "TranscodeStream deleted";
    // Release a writer blocked on a full buffer, then end the encoder in
    // its own thread.
    m_stream->abort();
    QMetaObject::invokeMethod(m_helper, "stop", Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_helper;
    --s_live;
}

qint64 TranscodeStream::read(char *data, qint64 maxSize)
{
    const qint64 count = m_stream->read(data, maxSize);
    if (count > 0)
        m_bytesRead += count;
    return count;
}

void TranscodeStream::keepFile(std::unique_ptr<QTemporaryFile> file)
{
    m_keptFile = std::move(file);
}

void TranscodeStream::abort()
{
    m_stream->abort();
}

int TranscodeStream::liveCount()
{
    return s_live.load();
}
