#pragma once

#include "media/EncoderRunner.h"
#include "tv/MediaTree.h"
#include "tv/ProbeCache.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QQueue>
#include <QSet>
#include <QThreadPool>
#include <QWaitCondition>

#include <atomic>
#include <functional>

// Probes files with the encoder in worker threads: play length, streams and
// one JPEG frame as the thumbnail. Results known from an earlier run (same
// size and time) come from the probe cache instead. Probes that an answer
// waits for run at the normal priority, the others in the background. Files
// come in as values (ProbeJob) and results go out as values to the sink,
// which the media tree applies; the gatherer never sees a node.
class MetaDataGatherer : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxThumbnailSide = 160;

    struct Result
    {
        ProbeJob job;
        ProbeCache::Entry entry;
    };
    // Takes results in a worker thread (or the caller's, for cached ones),
    // never while the gatherer holds its own lock.
    using Sink = std::function<void(const QList<Result> &)>;

    explicit MetaDataGatherer(QObject *parent = nullptr);
    ~MetaDataGatherer() override;

    // Set before the first gather().
    void setSink(Sink sink) { m_sink = std::move(sink); }
    bool isBusy() const;
    qsizetype queued() const;
    // Where results are kept across runs (none by default).
    void setCacheFile(const QString &path);
    ProbeCache *cache() { return &m_cache; }

    // Any thread: moves the `ahead` files (object ids) to the front of the
    // queue and waits until the `awaited` ones are probed, the deadline
    // passes or release() is called. The awaited ones are probed at the
    // normal priority.
    void waitFor(const QStringList &ahead, const QStringList &awaited, QDeadlineTimer deadline);
    // Every waitFor() running now returns at once (the server stops).
    void release();

    // What the probe of one file learns (encoder, or picture header for images).
    static ProbeCache::Entry
    probeFile(const QString &path, const QString &encoder, const std::atomic<bool> *cancel,
              bool *failed, EncoderRunner::Priority priority = EncoderRunner::Priority::Normal);

    // Any thread: the files of a listing at once. Results in the cache go
    // to the sink a few hundred at a time; the others are queued in their
    // order in one pass. A file queued again keeps its place with its new
    // stamp; one being probed is probed again after.
    void gather(const QList<ProbeJob> &jobs);
    // Takes the files out of the queue (a probe running for one of them
    // still finishes, and the tree refuses its result if the file changed).
    void cancel(const QStringList &objectIds);
    // Ends the running probes, empties the queue and keeps the cache.
    void abort();

Q_SIGNALS:
    // A probe ended and its result went to the sink.
    void gathered();

private:
    // Under m_mutex: starts probes while workers are free.
    void startJobs();
    // Under m_mutex: the next queued file that is not being probed now.
    QString nextJob();
    // Under m_mutex: the next file moved ahead that an answer waits for.
    QString nextAwaitedJob();
    void runJob(const ProbeJob &job, EncoderRunner::Priority priority, quint64 generation);

    Sink m_sink;
    mutable QMutex m_mutex;
    QWaitCondition m_done;
    // The queue: the jobs by object id, and their order (first the files
    // moved ahead, then the rest). The orders may still name files that were
    // cancelled or taken since; they are skipped.
    QHash<QString, ProbeJob> m_jobs;
    QQueue<QString> m_ahead;
    QQueue<QString> m_order;
    QSet<QString> m_awaited; // queued, and an answer waits for them
    QSet<QString> m_running;
    // While fewer probes than this run, any queued file starts; beyond it,
    // only those an answer waits for (up to the pool's size).
    int m_backgroundSlots = 1;
    quint64 m_generation = 0;
    quint64 m_releases = 0; // under m_mutex
    std::atomic<bool> m_cancel{false};
    QString m_encoder;
    bool m_encoderLooked = false;
    ProbeCache m_cache;
    QThreadPool m_pool;
};
