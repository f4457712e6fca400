#include "library/VideoImporter.h"
#include "core/Logging.h"

#include "library/Library.h"
#include "library/MetaDataBuilder.h"
#include "library/RecursiveMutex.h"
#include "media/Thumbnail.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
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

VideoImporter::VideoImporter(Library *library) : m_library(library) {}

VideoImporter::~VideoImporter()
{
    stop();
}

void VideoImporter::enqueue(const LibraryItems &items)
{
    QMutexLocker locker(&m_mutex);
    m_queue += items;
    m_workPending = true;
    m_condition.wakeAll();
}

void VideoImporter::stop()
{
    {
        QMutexLocker locker(&m_mutex);
        m_stop = true;
        m_condition.wakeAll();
    }
    wait();
}

bool VideoImporter::isIdle() const
{
    QMutexLocker locker(&m_mutex);
    return !m_busy && m_queue.isEmpty();
}

void VideoImporter::makeThumbnailAndDuration(LibraryItem &item)
{
    const QFileInfo video(item.videoPath());
    if (!video.exists())
        return;
    const QString thumbnail =
        video.dir().absoluteFilePath(QStringLiteral("%1-thumb.jpg").arg(video.completeBaseName()));
    const QString encoder =
        EncoderRunner::encoder(QStringLiteral("We not have found ffmpeg (encoder) application"));
    if (encoder.isEmpty())
        return;

    const Thumbnail::Grab grab =
        Thumbnail::grab(encoder, video.absoluteFilePath(), thumbnail, kEncoderWaitMs);
    logFailedRun(grab.first, video.absoluteFilePath());
    if (!grab.first.succeeded()) {
        if (QFileInfo(thumbnail).size() == 0)
            QFile::remove(thumbnail);
        return;
    }
    if (grab.info.duration >= 0)
        item.duration(grab.info.durationText());
    if (grab.info.duration > 0)
        item.mediaLengthInSecs(quint32(grab.info.duration + 0.5));
    if (grab.retried)
        logFailedRun(grab.retry, video.absoluteFilePath());
    if (QFileInfo(thumbnail).size() > 0) {
        item.thumbnailPath(thumbnail);
    } else {
        QFile::remove(thumbnail);
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("VideoImporter no thumbnail could be taken from ") +
                   video.absoluteFilePath();
    }
}

int VideoImporter::insertBatch(const LibraryItems &items)
{
    if (items.isEmpty())
        return 0;
    LibraryLocker locker(m_library->mutex()->mutex());
    QSqlDatabase db = m_library->connection();
    if (!db.transaction())
        qCWarning(lcLibrary) << "SQLModel: can't open transaction";
    int inserted = 0;
    QSqlQuery query(db);
    QString prepared;
    for (const LibraryItem &item : items) {
        const QSqlRecord record = item.toRecord();
        const QString statement = db.driver()->sqlStatement(
            QSqlDriver::InsertStatement, QStringLiteral("library"), record, true);
        if (statement != prepared) {
            prepared = statement;
            query.prepare(statement);
        }
        for (int i = 0; i < record.count(); ++i)
            query.addBindValue(record.value(i));
        if (query.exec())
            ++inserted;
        else
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("SQLModel::insertRecord failed: ") + query.lastError().text();
    }
    if (!db.commit())
        qCWarning(lcLibrary) << "SQLModel: can't commit transaction";
    if (inserted > 0)
        m_library->markModelStale();
    return inserted;
}

void VideoImporter::run()
{
    for (;;) {
        LibraryItems items;
        {
            QMutexLocker locker(&m_mutex);
            while (!m_workPending && !m_stop)
                m_condition.wait(&m_mutex);
            if (m_stop && m_queue.isEmpty())
                break;
            m_workPending = false;
            items.swap(m_queue);
            m_busy = !items.isEmpty();
        }
        if (items.isEmpty())
            continue;

        LibraryItems collected;
        for (LibraryItem item : std::as_const(items)) {
            if (!m_library->isImportItem(item))
                continue;
            // Once stopping, the rest is stored without thumbnails rather than
            // dropped, so no handed-over download record is lost.
            bool stopping;
            {
                QMutexLocker locker(&m_mutex);
                stopping = m_stop;
            }
            if (!stopping)
                makeThumbnailAndDuration(item);
            collected << item;
        }
        const int count = insertBatch(collected);
        emit inserted(count);
        emit importFinished();
        emit updated();
        m_library->metaDataBuilder()->build();

        QMutexLocker locker(&m_mutex);
        m_busy = false;
        if (m_stop && m_queue.isEmpty())
            break;
    }
    Library::releaseThreadConnection();
}
