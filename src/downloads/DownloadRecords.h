#pragma once

#include "downloads/CorvanaItem.h"
#include "library/LibraryLocation.h"

#include <QFuture>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>

class LibraryStore;
class QSqlDatabase;
class QSqlQuery;

// The rows of the `downloads` table that let the download queue survive a
// restart. A row keeps the whole descriptor item (so that a restored download
// shows itself and resumes without the descriptor), and why it last failed.
// Every text is stored percent-encoded like the library's text columns
// (LibraryItem::encode) and bound, never pasted into the statement.
// The statements run on the library store's thread and connection: a read
// waits for its answer (zelta-cli, tests, the queue's one read at start), a
// change is queued and returns at once. The store runs its jobs in order, so
// a read always sees the changes asked for before it.
class DownloadRecords
{
public:
    struct Row
    {
        QUrl corvanaUrl;
        QUrl mediaUrl;
        QString downloadPath;
        // The descriptor item; null for a direct download and for a record of
        // the old layout, whose title alone is known (from its path).
        CorvanaItem item;
        int failureKind = 0; // DownloadFailure::Kind, 0 when none
        QString failureText;
    };

    // One descriptor item asking to be queued, with the path it would write.
    struct Candidate
    {
        QUrl corvanaUrl;
        CorvanaItem item;
        QString path;
    };
    enum Verdict
    {
        Admitted,      // its record is stored, at `path`
        InLibrary,     // a video of the library has its guid
        AlreadyOnDisk, // its file is there already
        Listed,        // a stored download fetches it already
        StoreFailed    // the library could not be asked
    };
    struct Admission
    {
        Verdict verdict = StoreFailed;
        QString path;
    };
    using AdmissionsDone = std::function<void(const QList<Admission> &admissions)>;

    // The queue of downloads into the library at `location`, kept on `store`
    // (not owned; it must outlive these records).
    DownloadRecords(LibraryStore *store, const LibraryLocation &location);

    LibraryStore *store() const { return m_store; }
    // Where the downloads are written.
    const LibraryLocation &location() const { return m_location; }

    // A stored download as the queue restores it: its record, and what its
    // path holds, looked up with it off the window's thread.
    struct StoredDownload
    {
        Row row;
        // The stored path made absolute when it lies in the library folder
        // (the only place downloads write), else empty.
        QString keptPath;
        // The bytes of the file at keptPath, -1 when there is none.
        qint64 bytesOnDisk = -1;
    };
    struct StoredQueue
    {
        bool ok = false;
        QList<StoredDownload> downloads;
    };

    // Every stored download, in table order; `ok` is false when the query failed.
    QList<Row> allRows(bool *ok = nullptr) const;
    // The same with what each path holds, read in one job of the store;
    // returns at once.
    QFuture<StoredQueue> readQueue() const;
    // Distinct source URLs of the stored downloads, in table order.
    QList<QUrl> storedUrls(bool *ok = nullptr) const;

    // Judges every candidate on its own in one job of the store: already in
    // the library, already on disk, already queued, or admitted with a path
    // of its own (two videos of one title: "Title-1/", "Title-2/", ...) and
    // its record stored, all records in one transaction. Then runs `done` in
    // the application's main thread with one admission per candidate.
    void admit(const QList<Candidate> &candidates, AdmissionsDone done);
    // Records new downloads, each unless a row for its pair is stored already,
    // in one transaction (one write to the disk for a whole descriptor); then
    // (stored or not) runs `done` in the application's main thread.
    void add(const QList<Row> &rows, std::function<void()> done = {});
    // Stores a row and waits for it; false (`error` says why) when it failed.
    bool insert(const QUrl &corvanaUrl, const QUrl &mediaUrl, const QString &downloadPath,
                QString *error = nullptr);
    bool insert(const Row &row, QString *error = nullptr);
    // The record of (corvanaUrl, mediaUrl) now keeps `item` (a renewed media address).
    void updateItem(const QUrl &corvanaUrl, const QUrl &mediaUrl, const CorvanaItem &item);
    // The record of (corvanaUrl, mediaUrl) now keeps why the download stopped.
    void updateFailure(const QUrl &corvanaUrl, const QUrl &mediaUrl, int kind, const QString &text);
    void removeByMediaUrl(const QUrl &mediaUrl);
    void removeByCorvanaUrl(const QUrl &corvanaUrl);
    void removeByPath(const QString &downloadPath);

private:
    static QList<Row> readAll(LibraryStore *store, bool *ok);
    static void storeRow(const QSqlDatabase &db, const Row &row);
    static Admission admitOne(LibraryStore *store, const Candidate &candidate,
                              QStringList *batchPaths);
    void remove(const QString &column, const QString &value, const char *what);

    LibraryStore *m_store;
    const LibraryLocation m_location;
};
