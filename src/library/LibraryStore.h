#pragma once

#include "core/TaskTracker.h"
#include "library/LibraryItem.h"

#include <QAtomicInt>
#include <QFuture>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPromise>
#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QVariant>

#include <functional>
#include <memory>
#include <type_traits>

// The one owner of the library table: a connection of its own on a thread of
// its own, where every statement on the `library` table runs, each write in a
// short transaction. Other threads hand it jobs: post() for the window's
// thread (results come back as the row signals), call() for worker threads and
// zelta-cli, which wait for the answer.
class LibraryStore : public QObject
{
    Q_OBJECT

public:
    // The columns of a row as the store hands them out (the table's order).
    enum Column
    {
        Id,
        ThumbnailPath,
        Title,
        SizeInBytes,
        CreationDate,
        MediaLengthInSecs,
        Description,
        VideoPath,
        Guid,
        CoverPath,
        DvdTitle,
        Categories,
        Stars,
        Duration,
        Downloaded,
        // Where playback stopped (ms; 0 for not started or watched to the
        // end), and how often the video was watched to the end.
        PlayPosition,
        WatchedCount,
        ColumnCount,
        // Not stored: the case-folded text the page's name search looks in,
        // made here with the row so the window's thread need not.
        SearchText = ColumnCount
    };
    // A row's stored values (text still encoded), by Column, then SearchText.
    using Row = QList<QVariant>;
    using Rows = QList<Row>;

    // What opening the file does besides: nothing more, or also create the
    // missing tables and migrate an older file (LibraryUpgrade).
    enum class Opening
    {
        Plain,
        Upgrade
    };

    explicit LibraryStore(const QString &databasePath, Opening opening = Opening::Plain);
    ~LibraryStore() override;

    // Runs `job` on the store's thread and returns its result; from another
    // thread the caller waits for it. For worker threads and zelta-cli, never
    // the window's thread (see setWindowThread()).
    template <typename Job> std::invoke_result_t<Job> call(Job job)
    {
        using Result = std::invoke_result_t<Job>;
        if (QThread::currentThread() == thread())
            return job();
        noteWait();
        if constexpr (std::is_void_v<Result>) {
            QMetaObject::invokeMethod(this, job, Qt::BlockingQueuedConnection);
        } else {
            Result result{};
            QMetaObject::invokeMethod(
                this, [&result, &job] { result = job(); }, Qt::BlockingQueuedConnection);
            return result;
        }
    }
    // Queues `job` on the store's thread and returns at once; its result
    // comes as the future's (take it with .then(context, ...)). Any thread.
    template <typename Job> QFuture<std::invoke_result_t<Job>> run(Job job)
    {
        using Result = std::invoke_result_t<Job>;
        auto promise = std::make_shared<QPromise<Result>>();
        QFuture<Result> future = promise->future();
        promise->start();
        post([promise, job = std::move(job)]() mutable {
            if constexpr (std::is_void_v<Result>)
                job();
            else
                promise->addResult(job());
            promise->finish();
        });
        return future;
    }
    // Queues `job` on the store's thread and returns at once.
    void post(std::function<void()> job);
    // Waits until the jobs queued so far (and those they queue) have run.
    // For owners going away, never the window's thread while it shows.
    void drain();
    // What runs in the store and in the workers over it (one tracker per
    // store; it lives on the thread that made the store).
    TaskTracker *tasks() const { return m_tasks.get(); }

    // The thread that must never wait for the store (the window's). A call()
    // from it is a fault: counted, logged once, and an assertion in debug
    // builds.
    static void setWindowThread(QThread *thread);
    static int windowThreadWaits();

    // --- The store's own operations: run them through call() or post(). ---

    bool isOpen() const { return m_db.isOpen(); }
    // Creates the missing tables and migrates an older file; false when a
    // migration failed (upgradeProblem() says what).
    bool upgrade();
    // The message for the user when the last upgrade() could not bring an
    // older file up to date (the file is left as it was); empty otherwise.
    QString upgradeProblem() const { return m_upgradeProblem; }
    // The store's connection, for statements of jobs run by call() or post()
    // on other tables of the file (the download queue's).
    QSqlDatabase connection() const { return m_db; }
    // A write transaction for such a job: BEGIN IMMEDIATE takes the write
    // lock from the start (waiting its turn), so that two writers on the file
    // never wait on each other inside their transactions; one that read
    // first would fail at once ("database is locked") once another
    // connection, the index builder, had written meanwhile. commit() rolls
    // back what it could not commit.
    bool begin();
    bool commit();
    void rollback();
    // Every row, ordered by a column (ties by id); false on a failed read.
    // Without `withSearchText` the rows' SearchText is left invalid (made
    // later by searchTextOf()), which makes the read about twice as fast.
    bool readAll(Rows *rows, int sortColumn = Id, Qt::SortOrder order = Qt::AscendingOrder,
                 bool withSearchText = true);
    // Every row as readAll() gives it with search texts, handed to `take` in
    // pieces as the rows are read: the first `firstCount` rows, then
    // `pieceSize` at a time; the last piece (which may be empty) comes with
    // `last` set, also when the read failed (then false).
    bool readInPieces(int sortColumn, Qt::SortOrder order, qsizetype firstCount,
                      qsizetype pieceSize, const std::function<void(Rows &&rows, bool last)> &take);
    // The same read in two steps, so other jobs can run between them: the
    // first `firstCount` rows, then every row but those `taken` already,
    // `pieceSize` at a time, the last piece with `last` set.
    bool readFirstPiece(int sortColumn, Qt::SortOrder order, qsizetype firstCount, Rows *piece);
    bool readPieces(int sortColumn, Qt::SortOrder order, const QSet<qlonglong> &taken,
                    qsizetype pieceSize, const std::function<void(Rows &&rows, bool last)> &take);
    // The ids of `rows` (what readPieces leaves out after a first piece).
    static QSet<qlonglong> idsOf(const Rows &rows);
    // Every row's guid as stored (encoded; rows without one left out), by
    // id, how many rows have each, and the number of rows.
    struct Guids
    {
        QHash<qlonglong, QString> byId;
        QHash<QString, int> counts;
        qsizetype rows = 0;
    };
    bool readGuids(Guids *guids);
    // The case-folded text a name search looks in, made from a row's values.
    static QString searchTextOf(const Row &row);
    // The rows of these ids (those that still exist).
    Rows readIds(const QList<qlonglong> &ids);
    // Stores the items (skipping a video already listed) and deletes the
    // download records of `downloadedPaths` in the same commit; emits
    // rowsStored. The ids of the new rows.
    QList<qlonglong> insertItems(const LibraryItems &items,
                                 const QSet<QString> &downloadedPaths = {});
    // Deletes the rows; emits rowsRemoved. The removed rows' videos (with the
    // id in the same order as `removedIds`).
    LibraryItems removeIds(const QList<qlonglong> &ids, QList<qlonglong> *removedIds = nullptr);
    // Saves a row's descriptive fields; emits rowsChanged. False when the
    // update failed (`error` says why).
    bool updateFields(qlonglong id, const QString &title, const QString &description,
                      const QString &categories, const QString &stars, QString *error);
    // Points a row at its video file's new place (the user found a moved
    // file); emits rowsChanged. False when there is no such row, another row
    // has that file, or the write failed.
    bool setVideoPath(qlonglong id, const QString &path);
    // Stores where playback of a row's video stopped (0 clears it); emits
    // playStateChanged. False when there is no such row or the write failed.
    bool setPlayPosition(qlonglong id, qint64 positionMs);
    // Watched to the end (position cleared, count one up) or not watched
    // (count and position 0); emits playStateChanged.
    bool setWatched(qlonglong id, bool watched);
    // A place reported from elsewhere (a TV): kept within the video's length
    // (`lengthMs` when the row does not know it), and in the watched zone
    // it marks the video watched instead. False when no such row.
    bool reportPlayPosition(qlonglong id, qint64 positionMs, qint64 lengthMs = 0);
    // The stored places (ms) of the rows of these video files, by path.
    QHash<QString, qint64> playPositionsOf(const QStringList &paths);
    // How near its end a video counts as watched: its last 5 %, or its last
    // 30 s (for short ones no more than the last quarter).
    static qint64 watchedZoneMs(qint64 lengthMs);
    // Where playback of a row's video stopped (ms), -1 when there is no such row.
    qint64 playPosition(qlonglong id);
    // The row whose video is this file (-1 when none).
    qlonglong idOfVideo(const QString &path);
    // Sets `downloaded` on the rows of this guid; emits rowsChanged.
    bool markDownloaded(const QString &guid);
    bool containsGuid(const QString &guid, bool *ok, QString *error = nullptr);
    // Whether a row has the video at `path`, and that row's guid.
    bool videoOwner(const QString &path, QString *guid);
    // True when a row has this video, or this title and DVD title.
    QList<bool> contains(const LibraryItems &items);
    // Whether any row names this file as video, thumbnail or cover.
    bool isReferenced(const QString &path);
    // The library's search (one row per guid, by DVD title).
    LibraryItems find(const QString &text, bool *ok = nullptr);
    // The files of the queued downloads (absolute paths).
    QSet<QString> downloadPaths();
    // Each row's id and video file (as stored, encoded), by id: what a look
    // for missing files needs, without the rows' other texts.
    struct StoredVideo
    {
        qlonglong id = 0;
        QString videoPath;
    };
    QList<StoredVideo> readVideoPaths(bool *ok = nullptr);
    // (id, dvdTitle, categories, stars) of the rows, or of the given ids.
    Rows metaDataRows(const QList<qlonglong> &ids = {}, bool *ok = nullptr);
    // Adds the indexes the look-ups by guid and by video use (once).
    void ensureIndexes();
    // Two columns (an id and a stored name) of a metadata statement.
    Rows names(const QString &statement);

    // A row's video, text decoded.
    static LibraryItem itemOf(const Row &row);

Q_SIGNALS:
    void rowsStored(const LibraryStore::Rows &rows);
    void rowsChanged(const LibraryStore::Rows &rows);
    void rowsRemoved(const QList<qlonglong> &ids);
    // Only the play position or watched count of these rows changed.
    void playStateChanged(const LibraryStore::Rows &rows);

private:
    void open(const QString &databasePath, Opening opening);
    // Which columns a read asks for, from the table as it is.
    void chooseColumns();
    void close();
    Rows select(const QString &condition, const QVariantList &values);
    // The ORDER BY clause of a read by a column (ties by id).
    QString orderBy(int sortColumn, Qt::SortOrder order) const;
    bool updatePlayState(qlonglong id, const QString &assignments, const QVariantList &values);
    static void noteWait();

    std::unique_ptr<TaskTracker> m_tasks;
    QThread m_thread;
    QSqlDatabase m_db;
    QString m_connectionName;
    // The columns read, in Column order (zeros stand in for the play columns
    // of a file whose upgrade failed).
    QString m_columns;
    QString m_upgradeProblem;
};
