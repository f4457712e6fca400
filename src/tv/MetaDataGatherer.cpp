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
    if (!node || node->isFolder() || node->hasMetaData())
        return;
    ProbeCache::Entry entry;
    if (m_cache.lookUp(node->path(), node->size, node->modified, &entry)) {
        QMutexLocker tree(m_treeLock);
        apply(entry, node);
        return;
    }
    QMutexLocker locker(&m_mutex);
    m_queue.enqueue(node);
    startJobs();
}

void MetaDataGatherer::cancel(MediaNode *node)
{
    QMutexLocker locker(&m_mutex);
    m_queue.removeAll(node);
    m_done.wakeAll();
}

void MetaDataGatherer::cancel(const QSet<MediaNode *> &nodes)
{
    QMutexLocker locker(&m_mutex);
    m_queue.removeIf([&nodes](MediaNode *node) { return nodes.contains(node); });
    m_done.wakeAll();
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
    QQueue<MediaNode *> front;
    QList<MediaNode *> rest;
    for (MediaNode *node : std::as_const(m_queue))
        (moved.contains(node) ? front : rest).append(node);
    if (!front.isEmpty()) {
        front.append(rest);
        m_queue.swap(front);
    }
    startJobs();
    const quint64 generation = m_generation;
    auto pending = [&] {
        for (MediaNode *node : awaited) {
            if (m_queue.contains(node) || m_running.contains(node))
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
        const auto next = std::find_if(m_queue.begin(), m_queue.end(), [this](MediaNode *node) {
            return !m_running.contains(node);
        });
        if (next == m_queue.end())
            return;
        if (!m_encoderLooked) {
            m_encoder = EncoderRunner::encoder(
                QStringLiteral("MetaDataGatherer::updateMetaData can't find"));
            m_encoderLooked = true;
        }
        MediaNode *node = *next;
        m_queue.erase(next);
        m_running.insert(node);
        // Path, size and time as they are now; a change is checked for again
        // before the result is kept.
        m_pool.start(
            [this, node, path = node->path(), size = node->size, modified = node->modified,
             generation = m_generation] { runJob(node, path, size, modified, generation); });
    }
}

void MetaDataGatherer::runJob(MediaNode *node, const QString &path, qint64 size, qint64 modified,
                              quint64 generation)
{
    bool failed = false;
    ProbeCache::Entry entry = probeFile(path, m_encoder, &m_cancel, &failed);
    entry.size = size;
    entry.modified = modified;
    if (failed)
        qCWarning(lcTv).noquote() << "MetaDataGatherer::processData error processing data";
    else if (!m_cancel)
        m_cache.insert(path, entry); // on disk at once: a kill does not lose it
    {
        QMutexLocker tree(m_treeLock);
        QMutexLocker locker(&m_mutex);
        // A new root (or the end) meanwhile: the node is gone or going. A
        // file changed meanwhile is probed again.
        if (generation == m_generation && node->size == size && node->modified == modified)
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
