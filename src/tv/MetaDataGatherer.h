#pragma once

#include "media/EncoderRunner.h"
#include "tv/MediaNode.h"
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

class QRecursiveMutex;

// Probes new file nodes with the encoder in worker threads: play length,
// streams and one JPEG frame as the thumbnail. Results known from an earlier
// run (same size and time) come from the probe cache instead. Probes that an
// answer waits for run at the normal priority, the others in the background.
class MetaDataGatherer : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxThumbnailSide = 160;

    // `treeLock` guards the nodes' fields against the server threads.
    explicit MetaDataGatherer(QRecursiveMutex *treeLock, QObject *parent = nullptr);
    ~MetaDataGatherer() override;

    bool isBusy() const;
    qsizetype queued() const;
    // Where results are kept across runs (none by default).
    void setCacheFile(const QString &path);
    ProbeCache *cache() { return &m_cache; }

    // Any thread, not holding the tree lock: moves the `ahead` nodes to the
    // front of the queue and waits until the `awaited` ones are probed or the
    // deadline passes. The awaited ones are probed at the normal priority.
    void waitFor(const QList<MediaNode *> &ahead, const QList<MediaNode *> &awaited,
                 QDeadlineTimer deadline);

    // What the probe of one file learns (encoder, or picture header for images).
    static ProbeCache::Entry
    probeFile(const QString &path, const QString &encoder, const std::atomic<bool> *cancel,
              bool *failed, EncoderRunner::Priority priority = EncoderRunner::Priority::Normal);
    // Copies a probe result into the node's fields.
    static void apply(const ProbeCache::Entry &entry, MediaNode *node);

Q_SIGNALS:
    void gathered();

public Q_SLOTS:
    void gather(MediaNode *node);
    void abort();
    void cancel(MediaNode *node);

public:
    // Any thread, not holding the tree lock: the files of a listing at once.
    // Results in the cache are applied, a few hundred files per pass under
    // the tree lock; the others are queued in their order in one pass.
    void gather(const QList<MediaNode *> &nodes);
    // Takes the nodes out of the queue (a probe running for one of them
    // still finishes).
    void cancel(const QSet<MediaNode *> &nodes);

private:
    // A file to probe as it was when it was queued (a change is checked for
    // again before the result is kept).
    struct Job
    {
        MediaNode *node;
        QString path;
        qint64 size;
        qint64 modified;
    };

    // Under m_mutex: starts probes while workers are free.
    void startJobs();
    // Under m_mutex: the next queued node that is not being probed now.
    MediaNode *nextJob();
    // Under m_mutex: the next node moved ahead that an answer waits for.
    MediaNode *nextAwaitedJob();
    void runJob(const Job &job, EncoderRunner::Priority priority, quint64 generation);
    // Under m_mutex.
    bool isQueued(const MediaNode *node) const;
    void dropJob(MediaNode *node);

    QRecursiveMutex *m_treeLock;
    mutable QMutex m_mutex;
    QWaitCondition m_done;
    // The queue: the jobs by node, and their order (first the nodes moved
    // ahead, then the rest). The orders may still name nodes that were
    // cancelled or taken since; they are skipped.
    QHash<MediaNode *, Job> m_jobs;
    QQueue<MediaNode *> m_ahead;
    QQueue<MediaNode *> m_order;
    QSet<MediaNode *> m_awaited; // queued, and an answer waits for them
    QSet<MediaNode *> m_running;
    // While fewer probes than this run, any queued file starts; beyond it,
    // only those an answer waits for (up to the pool's size).
    int m_backgroundSlots = 1;
    quint64 m_generation = 0;
    std::atomic<bool> m_cancel{false};
    QString m_encoder;
    bool m_encoderLooked = false;
    ProbeCache m_cache;
    QThreadPool m_pool;
};
