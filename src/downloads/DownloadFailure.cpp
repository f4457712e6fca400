#include "downloads/DownloadFailure.h"

#include "core/Formatters.h"

#include <QDir>

#include <cerrno>

namespace {

bool isConnectionError(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ContentReSendError: // the connection closed under the request
        return true;
    default:
        return false;
    }
}

} // namespace

DownloadFailure DownloadFailure::fromReply(QNetworkReply::NetworkError error, int status,
                                           const QString &title)
{
    if (status == 401 || status == 403 || status == 407 ||
        error == QNetworkReply::AuthenticationRequiredError ||
        error == QNetworkReply::ContentAccessDenied)
        return {SignInRejected,
                tr("The site did not accept your user name or password for \"%1\". Sign in "
                   "again, then retry.")
                    .arg(title)};
    if (status == 404 || status == 410 || error == QNetworkReply::ContentNotFoundError ||
        error == QNetworkReply::ContentGoneError)
        return {NotFound, tr("\"%1\" was not found on the site.").arg(title)};
    if (status >= 500 || error == QNetworkReply::InternalServerError ||
        error == QNetworkReply::ServiceUnavailableError ||
        error == QNetworkReply::UnknownServerError)
        return {SiteProblem, tr("The site had a problem sending \"%1\" (error %2). The download "
                                "is tried again by itself.")
                                 .arg(title)
                                 .arg(status > 0 ? status : 500)};
    if (error == QNetworkReply::SslHandshakeFailedError)
        return {Other, tr("\"%1\" was not downloaded: the site's certificate was not trusted, so "
                          "the connection could not be made secure.")
                           .arg(title)};
    if (isConnectionError(error)) {
        DownloadFailure failure = noConnection(title);
        failure.m_interruption = error == QNetworkReply::ContentReSendError;
        return failure;
    }
    return other(status > 0 ? tr("the site answered %1").arg(status)
                            : tr("network error %1").arg(int(error)),
                 title);
}

DownloadFailure DownloadFailure::fromWrite(int errorNumber, const QString &reason,
                                           const QString &folder, const QString &title)
{
    if (errorNumber == ENOSPC || errorNumber == EDQUOT || errorNumber == EFBIG)
        return {DiskFull, tr("The disk is full: \"%1\" could not be written in %2 (%3). The "
                             "part already downloaded is kept.")
                              .arg(title, displayFolder(folder), reason)};
    return notWritable(reason, folder, title);
}

DownloadFailure DownloadFailure::notWritable(const QString &reason, const QString &folder,
                                             const QString &title)
{
    return {FolderNotWritable, tr("The folder %1 cannot be written to (%2): \"%3\" was not "
                                  "saved. The part already downloaded is kept.")
                                   .arg(displayFolder(folder), reason, title)};
}

DownloadFailure DownloadFailure::notEnoughSpace(qint64 needed, qint64 available,
                                                const QString &folder, const QString &title)
{
    return {DiskFull, tr("Not enough disk space for \"%1\": needs %2, %3 free in %4.")
                          .arg(title, Formatters::byteSize(needed), Formatters::byteSize(available),
                               displayFolder(folder))};
}

DownloadFailure DownloadFailure::noConnection(const QString &title)
{
    return {NoConnection, tr("No connection to the site for \"%1\". The download goes on by "
                             "itself when the connection is back.")
                              .arg(title)};
}

DownloadFailure DownloadFailure::withdrawn()
{
    return {Withdrawn, tr("The site no longer offers this video")};
}

DownloadFailure DownloadFailure::restored(Kind kind, const QString &message)
{
    if (kind <= None || kind > Withdrawn)
        return {};
    return {kind, message};
}

DownloadFailure DownloadFailure::other(const QString &reason, const QString &title)
{
    return {Other, tr("The download of \"%1\" failed (%2).").arg(title, reason)};
}

QString DownloadFailure::displayFolder(const QString &folder)
{
    const QString home = QDir::homePath();
    const QString path = QDir::cleanPath(folder);
    if (path == home)
        return QStringLiteral("~");
    if (path.startsWith(home + QLatin1Char('/')))
        return QLatin1Char('~') + path.mid(home.size());
    return QDir::toNativeSeparators(path);
}

int DownloadFailure::retryDelayMs(int attempt)
{
    constexpr int kFirstMs = 2000;
    constexpr int kDoublings = 4; // 2, 4, 8, 16, 32 s
    constexpr int kLaterMs = 5 * 60 * 1000;
    if (attempt < 1)
        return kFirstMs;
    if (attempt > kDoublings + 1)
        return kLaterMs;
    return kFirstMs << (attempt - 1);
}
