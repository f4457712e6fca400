#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>

class LibraryStore;
class QSqlDatabase;

// The rows of the `downloads` table that let the download queue survive a
// restart. Every value is stored percent-encoded like the library's text
// columns (LibraryItem::encode) and bound, never pasted into the statement.
// The statements run on the library store's thread and connection: a read
// waits for its answer, a change is queued and returns at once. The store
// runs its jobs in order, so a read always sees the changes asked for before it.
class DownloadRecords
{
public:
    struct Row
    {
        QUrl corvanaUrl;
        QUrl mediaUrl;
        QString downloadPath;
    };

    // Runs on `store` (not owned; it must outlive these records).
    explicit DownloadRecords(LibraryStore *store);

    LibraryStore *store() const { return m_store; }

    // Every stored download, in table order; `ok` is false when the query failed.
    QList<Row> allRows(bool *ok = nullptr) const;
    // Distinct source URLs of the stored downloads, in table order.
    QList<QUrl> storedUrls(bool *ok = nullptr) const;
    // Whether the file at `path` is still being downloaded.
    bool containsPath(const QString &path, bool *ok = nullptr) const;

    // Records new downloads, each unless a row for its pair is stored already,
    // in one transaction (one write to the disk for a whole descriptor); then
    // (stored or not) runs `done` in the application's main thread.
    void add(const QList<Row> &rows, std::function<void()> done = {});
    // Stores a row and waits for it; false (`error` says why) when it failed.
    bool insert(const QUrl &corvanaUrl, const QUrl &mediaUrl, const QString &downloadPath,
                QString *error = nullptr);
    void removeByMediaUrl(const QUrl &mediaUrl);
    void removeByCorvanaUrl(const QUrl &corvanaUrl);
    void removeByPath(const QString &downloadPath);

private:
    static void storeRow(const QSqlDatabase &db, const QUrl &corvanaUrl, const QUrl &mediaUrl,
                         const QString &downloadPath);
    void remove(const QString &column, const QString &value, const char *what);

    LibraryStore *m_store;
};
