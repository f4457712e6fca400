#include "tv/MetaDataGatherer.h"
#include "core/Logging.h"

#include "media/EncoderRunner.h"
#include "media/Thumbnail.h"
#include "tv/HeaderDuration.h"
#include "tv/MediaFormats.h"

#include <QBuffer>
#include <QDebug>
#include <QImage>
#include <QImageReader>
#include <QMutexLocker>
#include <QRecursiveMutex>
#include <QThread>

#include <algorithm>

namespace {

constexpr int kProbeTimeoutMs = 30000;

QByteArray smallJpeg(const QByteArray &jpeg, QSize *size)
{
    QImage image = QImage::fromData(jpeg, "JPEG");
    if (image.isNull())
        return QByteArray();
    const int side = MetaDataGatherer::maxThumbnailSide;
    if (image.width() > side || image.height() > side)
        image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPEG", 85))
        return QByteArray();
    *size = image.size();
    return data;
}

} // namespace

MetaDataGatherer::MetaDataGatherer(QRecursiveMutex *treeLock, QObject *parent)
    : QObject(parent), m_treeLock(treeLock)
{
    // One probe per core. Probes in the background leave one core to the
    // program's own threads (the server answering, the window): on a busy
    // core each of those could wait a scheduler tick behind an encoder
    // whenever it used its time slice. A probe an answer waits for may take
    // that core.
    const int cores = QThread::idealThreadCount();
    m_pool.setMaxThreadCount(qMax(2, cores));
    m_backgroundSlots = qMax(1, cores - 1);
}

MetaDataGatherer::~MetaDataGatherer()
{
    abort();
}

void MetaDataGatherer::setCacheFile(const QString &path)
{
    m_cache.open(path);
}

bool MetaDataGatherer::isBusy() const
{
    QMutexLocker locker(&m_mutex);
    return !m_running.isEmpty();
}

qsizetype MetaDataGatherer::queued() const
{
    QMutexLocker locker(&m_mutex);
    return m_jobs.size();
}

void MetaDataGatherer::gather(MediaNode *node)
{
    if (node)
        gather(QList<MediaNode *>{node});
}

void MetaDataGatherer::gather(const QList<MediaNode *> &nodes)
{
    // Files cached as they are now take their results in passes of this many
    // under the tree lock, so that a Browse of another folder waits little.
    constexpr qsizetype kApplyPass = 256;
    QList<Job> jobs;
    jobs.reserve(nodes.size());
    {
        QMutexLocker tree(m_treeLock);
        for (MediaNode *node : nodes) {
            if (node && !node->isFolder() && !node->hasMetaData())
                jobs.append({node, node->path(), node->size, node->modified});
        }
    }
    QList<Job> misses;
    QList<std::pair<MediaNode *, ProbeCache::Entry>> hits;
    auto applyHits = [this, &hits] {
        QMutexLocker tree(m_treeLock);
        for (const auto &[node, entry] : std::as_const(hits)) {
            // Changed since it was looked up: it is probed when the change
            // is seen.
            if (node->size == entry.size && node->modified == entry.modified)
                apply(entry, node);
        }
        hits.clear();
    };
    for (const Job &job : std::as_const(jobs)) {
        ProbeCache::Entry entry;
        if (!m_cache.lookUp(job.path, job.size, job.modified, &entry)) {
            misses.append(job);
            continue;
        }
        hits.append({job.node, entry});
        if (hits.size() >= kApplyPass)
            applyHits();
    }
    if (!hits.isEmpty())
        applyHits();
    if (misses.isEmpty())
        return;
    QMutexLocker locker(&m_mutex);
    m_jobs.reserve(m_jobs.size() + misses.size());
    for (const Job &job : std::as_const(misses)) {
        // A node queued again keeps its place, with what it is now.
        if (!m_jobs.contains(job.node))
            m_order.enqueue(job.node);
        m_jobs.insert(job.node, job);
    }
    startJobs();
}

void MetaDataGatherer::dropJob(MediaNode *node)
{
    m_jobs.remove(node);
    m_awaited.remove(node);
}

void MetaDataGatherer::cancel(MediaNode *node)
{
    QMutexLocker locker(&m_mutex);
    dropJob(node);
    m_done.wakeAll();
}

void MetaDataGatherer::cancel(const QSet<MediaNode *> &nodes)
{
    QMutexLocker locker(&m_mutex);
    for (MediaNode *node : nodes)
        dropJob(node);
    m_done.wakeAll();
}

bool MetaDataGatherer::isQueued(const MediaNode *node) const
{
    return m_jobs.contains(const_cast<MediaNode *>(node));
}

void MetaDataGatherer::abort()
{
    {
        QMutexLocker locker(&m_mutex);
        m_jobs.clear();
        m_ahead.clear();
        m_order.clear();
        m_awaited.clear();
        ++m_generation;
        m_cancel = true;
        m_done.wakeAll();
    }
    m_pool.waitForDone();
    m_cancel = false;
    m_cache.save();
}

void MetaDataGatherer::waitFor(const QList<MediaNode *> &ahead, const QList<MediaNode *> &awaited,
                               QDeadlineTimer deadline)
{
    QMutexLocker locker(&m_mutex);
    // In their given order before those moved ahead earlier.
    for (auto it = ahead.crbegin(); it != ahead.crend(); ++it) {
        if (m_jobs.contains(*it))
            m_ahead.prepend(*it);
    }
    for (MediaNode *node : awaited) {
        if (!m_jobs.contains(node))
            continue;
        m_awaited.insert(node);
        if (!ahead.contains(node)) // the awaited ones are always among those ahead
            m_ahead.prepend(node);
    }
    startJobs();
    const quint64 generation = m_generation;
    auto pending = [&] {
        for (MediaNode *node : awaited) {
            if (isQueued(node) || m_running.contains(node))
                return true;
        }
        return false;
    };
    while (generation == m_generation && pending()) {
        if (!m_done.wait(&m_mutex, deadline))
            break;
    }
}

MediaNode *MetaDataGatherer::nextJob()
{
    for (QQueue<MediaNode *> *queue : {&m_ahead, &m_order}) {
        while (!queue->isEmpty()) {
            MediaNode *node = queue->dequeue();
            // Cancelled or taken already; or probed now, and queued again
            // when that probe ends (a file probed anew waits for its earlier
            // probe).
            if (m_jobs.contains(node) && !m_running.contains(node))
                return node;
        }
    }
    return nullptr;
}

MediaNode *MetaDataGatherer::nextAwaitedJob()
{
    for (qsizetype i = 0; i < m_ahead.size(); ++i) {
        MediaNode *node = m_ahead.at(i);
        if (m_awaited.contains(node) && m_jobs.contains(node) && !m_running.contains(node)) {
            m_ahead.removeAt(i);
            return node;
        }
    }
    return nullptr;
}

void MetaDataGatherer::startJobs()
{
    while (m_running.size() < m_pool.maxThreadCount()) {
        MediaNode *node = m_running.size() < m_backgroundSlots ? nextJob() : nextAwaitedJob();
        if (!node)
            return;
        if (!m_encoderLooked) {
            m_encoder = EncoderRunner::encoder(
                QStringLiteral("MetaDataGatherer::updateMetaData can't find"));
            m_encoderLooked = true;
        }
        const Job job = m_jobs.take(node);
        const auto priority = m_awaited.remove(node) ? EncoderRunner::Priority::Normal
                                                     : EncoderRunner::Priority::Background;
        m_running.insert(node);
        m_pool.start([this, job, priority, generation = m_generation] {
            runJob(job, priority, generation);
        });
    }
}

void MetaDataGatherer::runJob(const Job &job, EncoderRunner::Priority priority, quint64 generation)
{
    MediaNode *node = job.node;
    bool failed = false;
    ProbeCache::Entry entry = probeFile(job.path, m_encoder, &m_cancel, &failed, priority);
    entry.size = job.size;
    entry.modified = job.modified;
    if (failed)
        qCWarning(lcTv).noquote() << "MetaDataGatherer::processData error processing data";
    else if (!m_cancel)
        m_cache.insert(job.path, entry); // on disk at once: a kill does not lose it
    {
        QMutexLocker tree(m_treeLock);
        QMutexLocker locker(&m_mutex);
        // A new root (or the end) meanwhile: the node is gone or going. A
        // file changed meanwhile is probed again.
        if (generation == m_generation && node->size == job.size && node->modified == job.modified)
            apply(entry, node);
    }
    bool idle;
    {
        QMutexLocker locker(&m_mutex);
        m_running.remove(node);
        // Queued again while it was probed: next in line.
        if (generation == m_generation && m_jobs.contains(node))
            m_ahead.prepend(node);
        m_done.wakeAll();
        startJobs();
        idle = m_running.isEmpty() && m_jobs.isEmpty();
    }
    if (idle)
        m_cache.save();
    emit gathered();
}

ProbeCache::Entry MetaDataGatherer::probeFile(const QString &path, const QString &encoder,
                                              const std::atomic<bool> *cancel, bool *failed,
                                              EncoderRunner::Priority priority)
{
    ProbeCache::Entry entry;
    *failed = false;
    // Pictures have no play length: their header tells the size.
    if (MediaFormats::mimeType(path, 0).startsWith(QLatin1String("image/"))) {
        entry.media.frameSize = QImageReader(path).size();
        return entry;
    }
    if (encoder.isEmpty())
        return entry;
    // A short clip whose header tells its length needs one run, not two.
    const Thumbnail::Grab grab = Thumbnail::grab(encoder, path, QString(), kProbeTimeoutMs, cancel,
                                                 HeaderDuration::read(path), priority);
    // A probe stopped because the server stops is not the file's fault.
    *failed = !grab.first.cancelled &&
              (!grab.first.started || grab.first.crashed || grab.first.timedOut);
    entry.media = grab.info;
    if (grab.hasPicture())
        entry.thumbnail = smallJpeg(grab.jpeg, &entry.thumbnailSize);
    return entry;
}

void MetaDataGatherer::apply(const ProbeCache::Entry &entry, MediaNode *node)
{
    ++node->revision;
    node->probed = true;
    node->media = entry.media;
    node->setDuration(entry.media.duration);
    node->format = entry.media.containerName();
    node->codec = entry.media.videoDescription;
    node->thumbnail = entry.thumbnail;
    node->thumbnailSize = entry.thumbnailSize;
}
