#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

// What the transfer thread needs to fetch one file: everything the window's
// thread knows (address, credentials, cookies, certificate rule) as values,
// so that the transfer never reaches an object of the window's thread.
struct TransferRequest
{
    QUrl url;
    QString filePath;
    int kind = 0; // DownloadHelper::Kind
    bool strictTls = false;
    QByteArray authorization; // the "Authorization" header, empty when none
    QByteArray cookies;       // the "Cookie" header, empty when none
    // Checked against the answer's length before its body is written (empty:
    // no check). Called on the transfer thread.
    std::function<qint64(const QString &folder)> freeSpace;
    QString spaceFolder;   // where the file goes, asked of freeSpace
    QString libraryFolder; // named in the message when room is short
    // The size of the whole resource as the download knows it (-1 when
    // unknown): a resume's answer must have it, unless the partial file
    // names its resource itself (ResumeIdentity).
    qint64 expectedTotal = -1;
};
