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

MetaDataGatherer::MetaDataGatherer(QObject *parent) : QObject(parent)
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

void MetaDataGatherer::gather(const QList<ProbeJob> &jobs)
{
    // Files cached as they are now go to the tree in passes of this many,
    // so that a Browse of another folder waits little for its lock.
    constexpr qsizetype kApplyPass = 256;
    QList<ProbeJob> misses;
    QList<Result> hits;
    auto deliver = [this, &hits] {
        if (m_sink)
            m_sink(hits);
        hits.clear();
    };
    for (const ProbeJob &job : jobs) {
        ProbeCache::Entry entry;
        if (!m_cache.lookUp(job.path, job.size, job.modified, &entry)) {
            misses.append(job);
            continue;
        }
        hits.append({job, entry});
        if (hits.size() >= kApplyPass)
            deliver();
    }
    if (!hits.isEmpty())
        deliver();
    if (misses.isEmpty())
        return;
    QMutexLocker locker(&m_mutex);
    m_jobs.reserve(m_jobs.size() + misses.size());
    for (const ProbeJob &job : std::as_const(misses)) {
        // A file queued again keeps its place, with what it is now.
        if (!m_jobs.contains(job.objectId))
            m_order.enqueue(job.objectId);
        m_jobs.insert(job.objectId, job);
    }
    startJobs();
}

void MetaDataGatherer::cancel(const QStringList &objectIds)
{
    if (objectIds.isEmpty())
        return;
    QMutexLocker locker(&m_mutex);
    for (const QString &id : objectIds) {
        m_jobs.remove(id);
        m_awaited.remove(id);
    }
    m_done.wakeAll();
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

void MetaDataGatherer::release()
{
    QMutexLocker locker(&m_mutex);
    ++m_releases;
    m_done.wakeAll();
}

void MetaDataGatherer::waitFor(const QStringList &ahead, const QStringList &awaited,
                               QDeadlineTimer deadline)
{
    QMutexLocker locker(&m_mutex);
    // In their given order before those moved ahead earlier.
    for (auto it = ahead.crbegin(); it != ahead.crend(); ++it) {
        if (m_jobs.contains(*it))
            m_ahead.prepend(*it);
    }
    for (const QString &id : awaited) {
        if (!m_jobs.contains(id))
            continue;
        m_awaited.insert(id);
        if (!ahead.contains(id)) // the awaited ones are always among those ahead
            m_ahead.prepend(id);
    }
    startJobs();
    const quint64 generation = m_generation;
    const quint64 releases = m_releases;
    auto pending = [&] {
        for (const QString &id : awaited) {
            if (m_jobs.contains(id) || m_running.contains(id))
                return true;
        }
        return false;
    };
    while (generation == m_generation && releases == m_releases && pending()) {
        if (!m_done.wait(&m_mutex, deadline))
            break;
    }
}

QString MetaDataGatherer::nextJob()
{
    for (QQueue<QString> *queue : {&m_ahead, &m_order}) {
        while (!queue->isEmpty()) {
            const QString id = queue->dequeue();
            // Cancelled or taken already; or probed now, and queued again
            // when that probe ends (a file probed anew waits for its earlier
            // probe).
            if (m_jobs.contains(id) && !m_running.contains(id))
                return id;
        }
    }
    return QString();
}

QString MetaDataGatherer::nextAwaitedJob()
{
    for (qsizetype i = 0; i < m_ahead.size(); ++i) {
        const QString &id = m_ahead.at(i);
        if (m_awaited.contains(id) && m_jobs.contains(id) && !m_running.contains(id)) {
            const QString taken = id;
            m_ahead.removeAt(i);
            return taken;
        }
    }
    return QString();
}

void MetaDataGatherer::startJobs()
{
    while (m_running.size() < m_pool.maxThreadCount()) {
        const QString id = m_running.size() < m_backgroundSlots ? nextJob() : nextAwaitedJob();
        if (id.isEmpty())
            return;
        if (!m_encoderLooked) {
            m_encoder = EncoderRunner::encoder(
                QStringLiteral("MetaDataGatherer::updateMetaData can't find"));
            m_encoderLooked = true;
        }
        const ProbeJob job = m_jobs.take(id);
        const auto priority = m_awaited.remove(id) ? EncoderRunner::Priority::Normal
                                                   : EncoderRunner::Priority::Background;
        m_running.insert(id);
        m_pool.start([this, job, priority, generation = m_generation] {
            runJob(job, priority, generation);
        });
    }
}

void MetaDataGatherer::runJob(const ProbeJob &job, EncoderRunner::Priority priority,
                              quint64 generation)
{
    bool failed = false;
    ProbeCache::Entry entry = probeFile(job.path, m_encoder, &m_cancel, &failed, priority);
    entry.size = job.size;
    entry.modified = job.modified;
    if (failed)
        qCWarning(lcTv).noquote() << "MetaDataGatherer::processData error processing data";
    else if (!m_cancel)
        m_cache.insert(job.path, entry); // on disk at once: a kill does not lose it
    bool current;
    {
        QMutexLocker locker(&m_mutex);
        current = generation == m_generation;
    }
    // Stopped meanwhile (a new root, or the end): nobody takes the result.
    // The tree refuses it if the file changed since the job was made.
    if (current && !m_cancel && m_sink)
        m_sink({{job, entry}});
    bool idle;
    {
        QMutexLocker locker(&m_mutex);
        m_running.remove(job.objectId);
        // Queued again while it was probed: next in line.
        if (generation == m_generation && m_jobs.contains(job.objectId))
            m_ahead.prepend(job.objectId);
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
    *failed =
        !grab.first.cancelled && (!grab.first.started || grab.first.crashed || grab.first.timedOut);
    entry.media = grab.info;
    if (grab.hasPicture())
        entry.thumbnail = smallJpeg(grab.jpeg, &entry.thumbnailSize);
    return entry;
}
