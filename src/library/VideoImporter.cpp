#include "library/VideoImporter.h"
#include "core/Logging.h"

#include "library/Library.h"
#include "library/MetaDataBuilder.h"
#include "core/Platform.h"
#include "library/RecursiveMutex.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtDebug>

namespace {

constexpr int kEncoderWaitMs = 30000;
// Frame taken for the thumbnail; shorter clips use their middle.
constexpr double kThumbnailSecond = 10.0;

// Runs the encoder once for a frame at `second`; returns its exit code (-1
// when it did not start or finish) and its merged output.
int grabFrame(const QString &encoder, const QString &video, const QString &thumbnail, double second,
              QByteArray *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(encoder,
                  {QStringLiteral("-y"), QStringLiteral("-i"), video, QStringLiteral("-f"),
                   QStringLiteral("mjpeg"), QStringLiteral("-ss"), QString::number(second, 'f', 2),
                   QStringLiteral("-vframes"), QStringLiteral("1"), thumbnail});
    if (!process.waitForStarted(kEncoderWaitMs)) {
        qCWarning(lcLibrary).noquote() << QStringLiteral("VideoImporter could not start the encoder: ") +
                                    process.errorString();
        return -1;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(kEncoderWaitMs)) {
        process.kill();
        process.waitForFinished();
        *output = process.readAll();
        qCWarning(lcLibrary).noquote() << QStringLiteral("VideoImporter encoder timed out on ") + video;
        return -1;
    }
    *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
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

QString VideoImporter::durationFromEncoderOutput(const QByteArray &output)
{
    static const QRegularExpression pattern(QStringLiteral("Duration: ([\\d+:?]+)"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLocal8Bit(output));
    if (!match.hasMatch())
        return QString();
    QString duration = match.captured(1);
    duration.remove(QRegularExpression(QStringLiteral("^00:")));
    if (duration.size() == 2)
        duration.prepend(QStringLiteral("00:"));
    return duration;
}

double VideoImporter::secondsFromEncoderOutput(const QByteArray &output)
{
    static const QRegularExpression pattern(
        QStringLiteral("Duration: ([0-9]+):([0-9]+):([0-9]+(?:\\.[0-9]*)?)"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLocal8Bit(output));
    if (!match.hasMatch())
        return 0;
    return match.captured(1).toDouble() * 3600 + match.captured(2).toDouble() * 60 +
           match.captured(3).toDouble();
}

void VideoImporter::makeThumbnailAndDuration(LibraryItem &item)
{
    const QFileInfo video(item.videoPath());
    if (!video.exists())
        return;
    const QString thumbnail =
        video.dir().absoluteFilePath(QStringLiteral("%1-thumb.jpg").arg(video.completeBaseName()));
    const QString encoder =
        Platform::binaryPath(QStringLiteral("encoder"),
                             QStringLiteral("We not have found ffmpeg (encoder) application"));
    if (encoder.isEmpty())
        return;

    QByteArray output;
    if (grabFrame(encoder, video.absoluteFilePath(), thumbnail, kThumbnailSecond, &output) != 0) {
        qCWarning(lcLibrary).noquote() << QStringLiteral("FFMPEG returns error: ") +
                                    QString::fromLocal8Bit(output);
        if (QFileInfo(thumbnail).size() == 0)
            QFile::remove(thumbnail);
        return;
    }
    const QString duration = durationFromEncoderOutput(output);
    const double seconds = secondsFromEncoderOutput(output);
    if (!duration.isEmpty())
        item.duration(duration);
    if (seconds > 0)
        item.mediaLengthInSecs(quint32(seconds + 0.5));

    // A clip shorter than the usual frame time yields no frame: take its middle.
    if (QFileInfo(thumbnail).size() == 0 && seconds > 0 && seconds <= kThumbnailSecond) {
        QByteArray retryOutput;
        if (grabFrame(encoder, video.absoluteFilePath(), thumbnail, seconds / 2, &retryOutput) != 0)
            qCWarning(lcLibrary).noquote() << QStringLiteral("FFMPEG returns error: ") +
                                        QString::fromLocal8Bit(retryOutput);
    }
    if (QFileInfo(thumbnail).size() > 0) {
        item.thumbnailPath(thumbnail);
    } else {
        QFile::remove(thumbnail);
        qCWarning(lcLibrary).noquote() << QStringLiteral("VideoImporter no thumbnail could be taken from ") +
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
            qCWarning(lcLibrary).noquote() << QStringLiteral("SQLModel::insertRecord failed: ") +
                                        query.lastError().text();
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
