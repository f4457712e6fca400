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
    // One probe per core.
    m_pool.setMaxThreadCount(qMax(2, QThread::idealThreadCount()));
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
    return m_queue.size();
}

void MetaDataGatherer::gather(MediaNode *node)
{
    if (!node)
        return;
    Job job{node, QString(), 0, 0};
    {
        QMutexLocker tree(m_treeLock);
        if (node->isFolder() || node->hasMetaData())
            return;
        job.path = node->path();
        job.size = node->size;
        job.modified = node->modified;
    }
    ProbeCache::Entry entry;
    if (m_cache.lookUp(job.path, job.size, job.modified, &entry)) {
        QMutexLocker tree(m_treeLock);
        if (node->size == job.size && node->modified == job.modified)
            apply(entry, node);
        return;
    }
    QMutexLocker locker(&m_mutex);
    m_queue.enqueue(job);
    startJobs();
}

void MetaDataGatherer::cancel(MediaNode *node)
{
    QMutexLocker locker(&m_mutex);
    m_queue.removeIf([node](const Job &job) { return job.node == node; });
    m_done.wakeAll();
}

void MetaDataGatherer::cancel(const QSet<MediaNode *> &nodes)
{
    QMutexLocker locker(&m_mutex);
    m_queue.removeIf([&nodes](const Job &job) { return nodes.contains(job.node); });
    m_done.wakeAll();
}

bool MetaDataGatherer::isQueued(const MediaNode *node) const
{
    return std::any_of(m_queue.cbegin(), m_queue.cend(),
                       [node](const Job &job) { return job.node == node; });
}

void MetaDataGatherer::abort()
{
    {
        QMutexLocker locker(&m_mutex);
        m_queue.clear();
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
    const QSet<MediaNode *> moved(ahead.cbegin(), ahead.cend());
    QQueue<Job> front;
    QList<Job> rest;
    for (const Job &job : std::as_const(m_queue))
        (moved.contains(job.node) ? front : rest).append(job);
    if (!front.isEmpty()) {
        front.append(rest);
        m_queue.swap(front);
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

void MetaDataGatherer::startJobs()
{
    while (m_running.size() < m_pool.maxThreadCount()) {
        // A file probed anew waits until its earlier probe is over.
        const auto next = std::find_if(m_queue.begin(), m_queue.end(), [this](const Job &job) {
            return !m_running.contains(job.node);
        });
        if (next == m_queue.end())
            return;
        if (!m_encoderLooked) {
            m_encoder = EncoderRunner::encoder(
                QStringLiteral("MetaDataGatherer::updateMetaData can't find"));
            m_encoderLooked = true;
        }
        const Job job = *next;
        m_queue.erase(next);
        m_running.insert(job.node);
        m_pool.start([this, job, generation = m_generation] { runJob(job, generation); });
    }
}

void MetaDataGatherer::runJob(const Job &job, quint64 generation)
{
    MediaNode *node = job.node;
    bool failed = false;
    ProbeCache::Entry entry = probeFile(job.path, m_encoder, &m_cancel, &failed);
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
        m_done.wakeAll();
        startJobs();
        idle = m_running.isEmpty() && m_queue.isEmpty();
    }
    if (idle)
        m_cache.save();
    emit gathered();
}

ProbeCache::Entry MetaDataGatherer::probeFile(const QString &path, const QString &encoder,
                                              const std::atomic<bool> *cancel, bool *failed)
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
                                                 HeaderDuration::read(path));
    *failed = !grab.first.started || grab.first.crashed || grab.first.timedOut;
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
