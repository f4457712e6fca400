#pragma once

#include "library/LibraryItem.h"

#include <QAtomicInt>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <QThread>
#include <QVariant>

#include <functional>
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
        ColumnCount,
        // Not stored: the case-folded text the page's name search looks in,
        // made here with the row so the window's thread need not.
        SearchText = ColumnCount
    };
    // A row's stored values (text still encoded), by Column, then SearchText.
    using Row = QList<QVariant>;
    using Rows = QList<Row>;

    explicit LibraryStore(const QString &databasePath);
    ~LibraryStore() override;

    // Runs `job` on the store's thread and returns its result; from another
    // thread the caller waits for it. Not for the window's thread.
    template <typename Job> std::invoke_result_t<Job> call(Job job)
    {
        using Result = std::invoke_result_t<Job>;
        if (QThread::currentThread() == thread())
            return job();
        if constexpr (std::is_void_v<Result>) {
            QMetaObject::invokeMethod(this, job, Qt::BlockingQueuedConnection);
        } else {
            Result result{};
            QMetaObject::invokeMethod(
                this, [&result, &job] { result = job(); }, Qt::BlockingQueuedConnection);
            return result;
        }
    }
    // Queues `job` on the store's thread and returns at once.
    void post(std::function<void()> job);
    // True while posted jobs wait or run.
    bool isBusy() const { return m_pending.loadAcquire() > 0; }

    // --- The store's own operations: run them through call() or post(). ---

    bool isOpen() const { return m_db.isOpen(); }
    // Every row, ordered by a column (ties by id); false on a failed read.
    // Without `withSearchText` the rows' SearchText is left invalid (made
    // later by searchTextOf()), which makes the read about twice as fast.
    bool readAll(Rows *rows, int sortColumn = Id, Qt::SortOrder order = Qt::AscendingOrder,
                 bool withSearchText = true);
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
    // Sets `downloaded` on the rows of this guid; emits rowsChanged.
    bool markDownloaded(const QString &guid);
    bool containsGuid(const QString &guid, bool *ok);
    // True when a row has this video, or this title and DVD title.
    QList<bool> contains(const LibraryItems &items);
    // Whether any row names this file as video, thumbnail or cover.
    bool isReferenced(const QString &path);
    // The library's search (one row per guid, by DVD title).
    LibraryItems find(const QString &text, bool *ok = nullptr);
    // The files of the queued downloads (absolute paths).
    QSet<QString> downloadPaths();
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

private:
    void open(const QString &databasePath);
    void close();
    // BEGIN IMMEDIATE: the write lock from the start, so that two writers on
    // the file never wait on each other inside their transactions.
    bool begin();
    bool commit();
    void rollback();
    Rows select(const QString &condition, const QVariantList &values);

    QThread m_thread;
    QSqlDatabase m_db;
    QString m_connectionName;
    QAtomicInt m_pending;
};
