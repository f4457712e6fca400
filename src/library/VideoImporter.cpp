#include "library/VideoImporter.h"
#include "core/Logging.h"

#include "library/Library.h"
#include "library/LibraryPaths.h"
#include "library/MetaDataBuilder.h"
#include "library/RecursiveMutex.h"
#include "media/Thumbnail.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
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

void VideoImporter::enqueue(const LibraryItems &items, bool downloaded)
{
    QMutexLocker locker(&m_mutex);
    m_queue += items;
    if (downloaded) {
        for (const LibraryItem &item : items)
            m_downloaded.insert(item.videoPath());
    }
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
    // A thumbnail the item brings (downloaded, or found beside it) is renewed
    // in place; a new one is named after the whole file name, so "a.mp4" and
    // "a.mpg" do not share one.
    const QString thumbnail =
        LibraryPaths::isInside(item.thumbnailPath())
            ? item.thumbnailPath()
            : video.dir().absoluteFilePath(QStringLiteral("%1-thumb.jpg").arg(video.fileName()));
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

bool VideoImporter::isStored(const QSqlDatabase &db, const QString &videoPath, qlonglong fromId)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT id FROM library WHERE videoPath=? AND id>=? LIMIT 1"));
    query.addBindValue(LibraryItem::encode(videoPath));
    query.addBindValue(fromId);
    return query.exec() && query.next();
}

qlonglong VideoImporter::lastId(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("SELECT max(id) FROM library")) && query.next()
               ? query.value(0).toLongLong()
               : 0;
}

QList<qlonglong> VideoImporter::insertBatch(const LibraryItems &items,
                                            const QSet<QString> &downloaded)
{
    if (items.isEmpty() && downloaded.isEmpty())
        return {};
    // The search for a stored copy reads the whole table: it is made before
    // the lock (this thread has its own connection), and under the lock only
    // the rows added since are searched.
    QSqlDatabase db = m_library->connection();
    QSet<QString> stored;
    const qlonglong checkedUpTo = lastId(db);
    for (const LibraryItem &item : items) {
        if (isStored(db, item.videoPath()))
            stored.insert(item.videoPath());
    }
    LibraryLocker locker(m_library->mutex()->mutex());
    const qlonglong newFrom = lastId(db) < checkedUpTo ? 0 : checkedUpTo;
    const bool transaction = db.transaction();
    if (!transaction)
        qCWarning(lcLibrary) << "SQLModel: can't open transaction";
    QList<qlonglong> ids;
    QSqlQuery query(db);
    QString prepared;
    QSet<QString> failed;
    for (const LibraryItem &item : items) {
        // A video is listed once, however often it is handed over.
        if (stored.contains(item.videoPath()) || isStored(db, item.videoPath(), newFrom)) {
            qCDebug(lcLibrary).noquote()
                << QStringLiteral("VideoImporter: already in the library: ") + item.videoPath();
            continue;
        }
        const QSqlRecord record = item.toRecord();
        const QString statement = db.driver()->sqlStatement(
            QSqlDriver::InsertStatement, QStringLiteral("library"), record, true);
        if (statement != prepared) {
            prepared = statement;
            query.prepare(statement);
        }
        for (int i = 0; i < record.count(); ++i)
            query.addBindValue(record.value(i));
        if (query.exec()) {
            ids << query.lastInsertId().toLongLong();
        } else {
            failed.insert(item.videoPath());
            qCWarning(lcLibrary).noquote() << QStringLiteral("SQLModel::insertRecord failed: ") +
                                        query.lastError().text();
        }
    }
    // A finished download's record goes in the same commit as its row.
    QSqlQuery records(db);
    records.prepare(QStringLiteral("DELETE FROM downloads WHERE downloadPath=?"));
    for (const QString &path : downloaded) {
        if (failed.contains(path))
            continue;
        records.addBindValue(LibraryItem::encode(path));
        if (!records.exec())
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("VideoImporter could not remove the download record: ") +
                       records.lastError().text();
    }
    if (transaction && !db.commit()) {
        qCWarning(lcLibrary) << "SQLModel: can't commit transaction";
        db.rollback();
        return {};
    }
    m_library->addStoredRows(ids);
    return ids;
}

void VideoImporter::run()
{
    for (;;) {
        LibraryItems items;
        QSet<QString> downloaded;
        {
            QMutexLocker locker(&m_mutex);
            while (!m_workPending && !m_stop)
                m_condition.wait(&m_mutex);
            if (m_stop && m_queue.isEmpty())
                break;
            m_workPending = false;
            items.swap(m_queue);
            downloaded.swap(m_downloaded);
            m_busy = !items.isEmpty();
        }
        if (items.isEmpty())
            continue;

        // Each video is stored as soon as it has its thumbnail, so the views
        // show the rows one by one; a download's record goes with its row.
        QList<qlonglong> storedIds;
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
            QSet<QString> record;
            if (downloaded.remove(item.videoPath()))
                record.insert(item.videoPath());
            const QList<qlonglong> stored = insertBatch({item}, record);
            if (!stored.isEmpty())
                emit inserted(int(stored.size()));
            storedIds += stored;
        }
        insertBatch({}, downloaded);
        emit importFinished();
        emit updated();
        m_library->metaDataBuilder()->updateRows(storedIds);

        QMutexLocker locker(&m_mutex);
        m_busy = false;
        if (m_stop && m_queue.isEmpty())
            break;
    }
    Library::releaseThreadConnection();
}
