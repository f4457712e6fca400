#pragma once

#include <QCoreApplication>
#include <QNetworkReply>
#include <QString>

// Why a download stopped, told apart and worded for the person reading it:
// the card, the desktop notification and zelta-cli show message().
class DownloadFailure
{
    Q_DECLARE_TR_FUNCTIONS(DownloadFailure)

public:
    enum Kind
    {
        None,
        SignInRejected, // the site refused the member's user name or password
        NotFound,       // the site does not have the file (any more)
        SiteProblem,    // the site answered with a server error (5xx)
        NoConnection,   // no answer, refused, or the connection broke off
        DiskFull,       // no room for the file
        FolderNotWritable,
        Other,
        Withdrawn // the descriptor no longer lists the video
    };

    DownloadFailure() = default;

    Kind kind() const { return m_kind; }
    bool isNull() const { return m_kind == None; }
    QString message() const { return m_message; }
    // Whether trying again later can succeed without the user doing anything.
    bool retriesByItself() const { return m_kind == NoConnection || m_kind == SiteProblem; }
    // The connection closed under a request before its answer was complete,
    // where the network layer would have sent the request again by itself.
    bool isInterruption() const { return m_interruption; }

    // A reply that ended with `error` (and HTTP `status`, 0 when none) while
    // fetching `title`.
    static DownloadFailure fromReply(QNetworkReply::NetworkError error, int status,
                                     const QString &title);
    // Writing `title` into `folder` failed with the system's `errorNumber`
    // (0 when unknown) and its text `reason`: no room (a full disk, a quota,
    // a file size limit) or a folder that cannot be written to.
    static DownloadFailure fromWrite(int errorNumber, const QString &reason, const QString &folder,
                                     const QString &title);
    // The file could not even be opened for writing.
    static DownloadFailure notWritable(const QString &reason, const QString &folder,
                                       const QString &title);
    static DownloadFailure notEnoughSpace(qint64 needed, qint64 available, const QString &folder,
                                          const QString &title);
    static DownloadFailure noConnection(const QString &title);
    // The answer could not continue the file (or another odd answer).
    static DownloadFailure other(const QString &reason, const QString &title);
    // The site's descriptor no longer lists the video.
    static DownloadFailure withdrawn();
    // A failure kept in the download queue, as it was told.
    static DownloadFailure restored(Kind kind, const QString &message);

    // A folder as a person reads it: the home folder written as "~".
    static QString displayFolder(const QString &folder);

    // Milliseconds before the automatic retry after `attempt` failed attempts
    // in a row (1 for the first): 2, 4, 8, 16, 32 seconds, then every 5 minutes.
    static int retryDelayMs(int attempt);

private:
    DownloadFailure(Kind kind, QString message) : m_kind(kind), m_message(std::move(message)) {}

    Kind m_kind = None;
    QString m_message;
    bool m_interruption = false;
};
