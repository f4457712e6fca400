#pragma once

#include "downloads/DownloadFailure.h"
#include "downloads/ResumeIdentity.h"

#include <QMetaType>
#include <QNetworkReply>
#include <QString>
#include <QUrl>

// How one file's transfer ended, handed from the transfer thread to the
// window's thread as a value: what the file holds, the answer's status and
// redirect, and why it failed (failure()).
struct TransferOutcome
{
    // What failed: the reply (its error and status), the file (not opened, or
    // a write), the answer's shape, or the room on the disk.
    enum class FailedPart
    {
        Reply,
        FileOpen,
        FileWrite,
        Answer,
        Space
    };

    bool error = false;
    FailedPart failedPart = FailedPart::Reply;
    QNetworkReply::NetworkError replyError = QNetworkReply::NoError;
    int failedStatus = 0;
    int writeErrno = 0;
    QString fileError; // why the file could not be opened or written
    qint64 spaceNeeded = 0;
    qint64 spaceAvailable = 0;
    QString libraryFolder;

    int status = 0;
    QUrl url;            // the reply's address
    QUrl redirectTarget; // as the answer gave it, not resolved
    qint64 bytesWritten = 0;
    // Size of the file when the reply's data began (0 after a restart from scratch).
    qint64 startOffset = 0;
    // The server answered 416 for a file that is already complete.
    bool alreadyComplete = false;
    // The resource the file holds now, as the answers named it.
    ResumeIdentity identity;
    // A partial answer of another resource came: the file was started over.
    bool restartedFromZero = false;

    // Why the transfer of `filePath` failed, worded with `title` (null unless error).
    DownloadFailure failure(const QString &filePath, const QString &title) const;
};

Q_DECLARE_METATYPE(TransferOutcome)
