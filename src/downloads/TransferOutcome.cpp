#include "downloads/TransferOutcome.h"

#include <QCoreApplication>
#include <QFileInfo>

DownloadFailure TransferOutcome::failure(const QString &filePath, const QString &title) const
{
    if (!error)
        return DownloadFailure();
    const QString folder = QFileInfo(filePath).absolutePath();
    switch (failedPart) {
    case FailedPart::FileOpen:
        return DownloadFailure::notWritable(fileError, folder, title);
    case FailedPart::FileWrite:
        return DownloadFailure::fromWrite(writeErrno, fileError, folder, title);
    case FailedPart::Answer:
        return DownloadFailure::other(
            QCoreApplication::translate("DownloadHelper",
                                        "the site's answer does not continue the part on disk"),
            title);
    case FailedPart::Space:
        return DownloadFailure::notEnoughSpace(spaceNeeded, spaceAvailable, libraryFolder, title);
    case FailedPart::Reply:
        break;
    }
    return DownloadFailure::fromReply(replyError, failedStatus, title);
}
