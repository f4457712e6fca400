#include "library/VideoImporter.h"
#include "core/Logging.h"

#include "library/Library.h"
#include "library/LibraryStore.h"
#include "library/MetaDataBuilder.h"
#include "library/SubtitleImport.h"
#include "media/EmbeddedSubtitles.h"
#include "media/MediaFiles.h"
#include "media/Thumbnail.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QtDebug>

namespace {

constexpr int kEncoderWaitMs = 30000;

void logFailedRun(const EncoderRun &run, const QString &video)
{
    if (run.succeeded())
        return;
    if (!run.started)
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("VideoImporter could not start the encoder: ") + run.error;
    else if (run.timedOut)
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("VideoImporter encoder timed out on ") + video;
    qCWarning(lcLibrary).noquote() << QStringLiteral("FFMPEG returns error: ") +
                                          QString::fromLocal8Bit(run.output + run.report);
}

} // namespace

VideoImporter::VideoImporter(LibraryStore *store, const LibraryLocation &location,
                             MetaDataBuilder *metaData)
    : m_store(store), m_location(location), m_metaData(metaData),
      m_jobs(QStringLiteral("import"), store->tasks())
{
}

VideoImporter::~VideoImporter()
{
    stop();
}

void VideoImporter::enqueue(const LibraryItems &items, bool downloaded)
{
    QMutexLocker locker(&m_mutex);
    m_queue += items;
    if (downloaded) {
        for (const LibraryItem &item : items)
            m_downloaded.insert(item.videoPath());
    }
    scheduleDrain();
}

void VideoImporter::enqueueCopies(const LibraryItems &items)
{
    QMutexLocker locker(&m_mutex);
    m_queue += items;
    for (const LibraryItem &item : items)
        m_copies.insert(item.videoPath());
    scheduleDrain();
}

void VideoImporter::scheduleDrain()
{
    // Called with m_mutex held.
    if (m_draining)
        return;
    m_draining = true;
    m_jobs.post([this] { drain(); });
}

void VideoImporter::stop()
{
    {
        QMutexLocker locker(&m_mutex);
        m_stop = true;
    }
    // What is queued is still stored (without thumbnails) before the thread ends.
    m_jobs.finish();
}

bool VideoImporter::isIdle() const
{
    QMutexLocker locker(&m_mutex);
    return !m_busy && m_queue.isEmpty();
}

bool VideoImporter::makeThumbnailAndDuration(LibraryItem &item) const
{
    const QFileInfo video(item.videoPath());
    if (!video.exists())
        return true;
    // A thumbnail the item brings (downloaded, or found beside it) is renewed
    // in place; a new one is named after the whole file name, so "a.mp4" and
    // "a.mpg" do not share one.
    const QString thumbnail =
        m_location.contains(item.thumbnailPath())
            ? item.thumbnailPath()
            : video.dir().absoluteFilePath(MediaFiles::thumbnailName(video.fileName()));
    const QString encoder =
        EncoderRunner::encoder(QStringLiteral("We not have found ffmpeg (encoder) application"));
    if (encoder.isEmpty())
        return true; // unknown without the encoder: kept

    // The encoder runs a little below the window and the program's own
    // threads, which then get a core as soon as they wake: the page stays
    // smooth while an import works through many files.
    constexpr auto priority = EncoderRunner::Priority::Lower;
    const Thumbnail::Grab grab = Thumbnail::grab(encoder, video.absoluteFilePath(), thumbnail,
                                                 kEncoderWaitMs, nullptr, -1, priority);
    logFailedRun(grab.first, video.absoluteFilePath());
    // The encoder looked at the file and saw no picture: not a video.
    const bool isVideo = !grab.first.started || grab.first.timedOut || grab.info.hasVideo();
    if (!grab.first.succeeded()) {
        if (QFileInfo(thumbnail).size() == 0)
            QFile::remove(thumbnail);
        return isVideo;
    }
    if (grab.info.duration >= 0)
        item.duration(grab.info.durationText());
    if (grab.info.duration > 0)
        item.mediaLengthInSecs(quint32(grab.info.duration + 0.5));
    if (grab.retried)
        logFailedRun(grab.retry, video.absoluteFilePath());
    // Text subtitle tracks become subtitle files beside the library's copy.
    if (grab.info.hasVideo() && m_location.contains(video.absoluteFilePath()))
        EmbeddedSubtitles::extractBeside(video.absoluteFilePath(), kEncoderWaitMs, nullptr,
                                         priority);
    if (QFileInfo(thumbnail).size() > 0) {
        item.thumbnailPath(thumbnail);
    } else {
        QFile::remove(thumbnail);
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("VideoImporter no thumbnail could be taken from ") +
                   video.absoluteFilePath();
    }
    return isVideo;
}

QList<qlonglong> VideoImporter::insertBatch(const LibraryItems &items,
                                            const QSet<QString> &downloaded)
{
    if (items.isEmpty() && downloaded.isEmpty())
        return {};
    // One short transaction in the store's thread; the rows reach the views
    // through the store's rowsStored.
    LibraryStore *store = m_store;
    return store->call(
        [store, &items, &downloaded] { return store->insertItems(items, downloaded); });
}

void VideoImporter::drain()
{
    for (;;) {
        LibraryItems items;
        QSet<QString> downloaded;
        QSet<QString> copies;
        {
            QMutexLocker locker(&m_mutex);
            if (m_queue.isEmpty() && m_downloaded.isEmpty()) {
                m_draining = false;
                return;
            }
            items.swap(m_queue);
            downloaded.swap(m_downloaded);
            copies.swap(m_copies);
            m_busy = !items.isEmpty();
        }
        if (items.isEmpty())
            continue;

        // Each video is stored as soon as it has its thumbnail, so the views
        // show the rows one by one; a download's record goes with its row.
        QList<qlonglong> storedIds;
        for (LibraryItem item : std::as_const(items)) {
            const bool copy = copies.contains(item.videoPath());
            if (!item.isValid()) {
                qCWarning(lcLibrary) << "Libary::importItem invalid item";
                if (copy)
                    emit videoImported(item.videoPath(), false);
                continue;
            }
            // Once stopping, the rest is stored without thumbnails rather than
            // dropped, so no handed-over download record is lost.
            bool stopping;
            {
                QMutexLocker locker(&m_mutex);
                stopping = m_stop;
            }
            if (!stopping && !makeThumbnailAndDuration(item) && copy) {
                qCWarning(lcLibrary).noquote()
                    << QStringLiteral("VideoImporter refuses a file that is no video: ") +
                           item.videoPath();
                if (!item.thumbnailPath().isEmpty())
                    QFile::remove(item.thumbnailPath());
                removeSubtitleCopies(item.videoPath());
                QFile::remove(item.videoPath());
                emit videoImported(item.videoPath(), false);
                continue;
            }
            QSet<QString> record;
            if (downloaded.remove(item.videoPath()))
                record.insert(item.videoPath());
            const QList<qlonglong> stored = insertBatch({item}, record);
            storedIds += stored;
            if (copy)
                emit videoImported(item.videoPath(), !stored.isEmpty());
        }
        insertBatch({}, downloaded);
        emit importFinished();
        emit updated();
        m_metaData->updateRows(storedIds);

        QMutexLocker locker(&m_mutex);
        m_busy = false;
    }
}

void VideoImporter::removeSubtitleCopies(const QString &videoPath)
{
    // The subtitles copied in with a refused file go with it (all copies of
    // an import are done before the importer looks at its videos).
    LibraryStore *store = m_store;
    const QStringList subtitles = SubtitleImport::ownFiles(videoPath, [store](const QString &path) {
        return store->call([store, path] { return store->isReferenced(path); });
    });
    for (const QString &subtitle : subtitles) {
        if (m_location.contains(subtitle))
            QFile::remove(subtitle);
    }
}
