#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// The rows of the `downloads` table that let the download queue survive a
// restart. Every value is stored percent-encoded like the library's text
// columns (LibraryItem::encode) and bound, never pasted into the statement. Each
// statement runs under the library lock on the "zeltaLibrary" connection.
class DownloadRecords
{
public:
    // Distinct source URLs of the stored downloads, in table order. `ok` is
    // false when the query failed.
    static QList<QUrl> storedUrls(bool *ok = nullptr);
    // Whether a row for this pair exists; `ok` false when the query failed.
    static bool exists(const QUrl &corvanaUrl, const QUrl &mediaUrl, bool *ok, QString *error);
    static bool insert(const QUrl &corvanaUrl, const QUrl &mediaUrl, const QString &downloadPath,
                       QString *error = nullptr);
    static bool removeByMediaUrl(const QUrl &mediaUrl);
    static bool removeByCorvanaUrl(const QUrl &corvanaUrl);
    static bool removeByPath(const QString &downloadPath);
    // Whether the file at `path` is still being downloaded.
    static bool containsPath(const QString &path, bool *ok = nullptr);

    struct Row
    {
        QUrl corvanaUrl;
        QUrl mediaUrl;
        QString downloadPath;
    };
    static QList<Row> allRows(bool *ok = nullptr);

private:
    static bool execRemove(const QString &column, const QString &value, const char *what);
};
