#include "downloads/Autoupdater.h"
#include "core/Logging.h"
#include "core/LoggingDocument.h"

#include "core/SiteConfig.h"
#include "core/XmlNesting.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadRecords.h"
#include "downloads/UpdateFeed.h"
#include "web/NetworkManager.h"
#include "web/Suggestions.h"
#include "web/UserAgent.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QMimeDatabase>
#include <QNetworkAccessManager>
#include <QtDebug>

namespace {

constexpr qint64 kMaxFeedBytes = 1024 * 1024;

// A deeply nested document never reaches the tree parser (see XmlNesting).
bool readXml(QDomDocument *document, const QByteArray &body)
{
    return XmlNesting::within(body) && bool(document->setContent(body));
}

// Package formats and installer scripts; a program, library or desktop
// launcher is never handed to the desktop.
const QStringList kInstallerTypes = {
    QStringLiteral("application/vnd.debian.binary-package"),
    QStringLiteral("application/x-rpm"),
    QStringLiteral("application/vnd.flatpak"),
    QStringLiteral("application/vnd.flatpak.ref"),
    QStringLiteral("application/vnd.snap"),
    QStringLiteral("application/vnd.appimage"),
    QStringLiteral("application/x-iso9660-appimage"),
    QStringLiteral("application/x-shellscript"),
    QStringLiteral("application/x-makeself"),
};
const QStringList kProgramTypes = {
    QStringLiteral("application/x-executable"),        QStringLiteral("application/x-sharedlib"),
    QStringLiteral("application/x-pie-executable"),    QStringLiteral("application/x-desktop"),
    QStringLiteral("application/x-ms-dos-executable"),
};

bool isOneOf(const QMimeType &type, const QStringList &names)
{
    for (const QString &name : names) {
        if (type.inherits(name))
            return true;
    }
    return false;
}

// Exactly one of `names`: a script inherits from the executable type.
bool isExactlyOneOf(const QMimeType &type, const QStringList &names)
{
    return names.contains(type.name()) || names.contains(type.aliases().value(0));
}

bool isAppImage(const QMimeType &type)
{
    return type.inherits(QStringLiteral("application/vnd.appimage")) ||
           type.inherits(QStringLiteral("application/x-iso9660-appimage"));
}

} // namespace

Autoupdater::Autoupdater(NetworkManager *network, DownloadManager *downloads, QObject *parent)
    : QObject(parent), m_network(network), m_downloads(downloads),
      m_launcher(
          [](const QString &path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); })
{
}

Autoupdater::~Autoupdater() = default;

QString Autoupdater::platformName()
{
    return UpdateFeed::platformName();
}

bool Autoupdater::isInstallerFile(const QString &path)
{
    const QMimeDatabase types;
    const QMimeType byName = types.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (!isOneOf(byName, kInstallerTypes))
        return false;
    // The name must not hide a program (an AppImage is one by design).
    const QMimeType byContent = types.mimeTypeForFile(path, QMimeDatabase::MatchContent);
    return isAppImage(byName) || !isExactlyOneOf(byContent, kProgramTypes);
}

bool Autoupdater::versionItemMatches(const QString &item)
{
    return UpdateFeed::versionItemMatches(item);
}

QUrl Autoupdater::findInstaller(const QDomDocument &document)
{
    return UpdateFeed::findInstaller(document);
}

void Autoupdater::start()
{
    removeOldInstallers();
    sendVersionRequest();
    checkSuggestions();
}

void Autoupdater::removeOldInstallers()
{
    const QDir library(m_downloads->location().folder());
    const QFileInfoList installers =
        library.entryInfoList({QStringLiteral("CorvanaZELTAUpdate*")}, QDir::Files);
    for (const QFileInfo &installer : installers) {
        QFile::remove(installer.absoluteFilePath());
        m_downloads->records()->removeByPath(installer.absoluteFilePath());
        qCDebug(lcDownloads) << "Autoupdater: removed old installer"
                             << installer.absoluteFilePath();
    }
}

QNetworkRequest Autoupdater::feedRequest() const
{
    QNetworkRequest request(
        SiteConfig::resolve(SiteConfig::updateUrl(), QStringLiteral("/zelta/update.xml")));
    request.setAttribute(NetworkManager::StrictTlsAttribute, true);
    return request;
}

// First attempt: a client of its own, without the site's cookies or cache.
void Autoupdater::sendVersionRequest()
{
    if (m_versionClientReply) {
        m_versionClientReply->abort();
        m_versionClientReply->deleteLater();
    }
    delete m_versionClient;
    m_versionClient = new QNetworkAccessManager(this);
    QNetworkRequest request = feedRequest();
    QUrl url = request.url();
    url.setQuery(QString()); // "/zelta/update.xml?"
    request.setUrl(url);
    request.setRawHeader("Host", url.host().toUtf8());
    qCDebug(lcDownloads).noquote()
        << "Autoupdater: version request" << NetworkManager::loggableUrl(url).toString() << "\n"
        << NetworkManager::loggableHeaders(request);
    m_versionClientReply = m_versionClient->get(request);
    NetworkManager::limitBody(m_versionClientReply, kMaxFeedBytes);
    connect(m_versionClientReply, &QNetworkReply::sslErrors, this,
            &Autoupdater::versionRequestSslErrors);
    connect(m_versionClientReply, &QNetworkReply::finished, this, &Autoupdater::requestFinished);
}

void Autoupdater::requestFinished()
{
    QNetworkReply *reply = m_versionClientReply;
    if (!reply || sender() != reply)
        return;
    reply->deleteLater();
    const bool error = reply->error() != QNetworkReply::NoError;
    qCDebug(lcDownloads) << "void Autoupdater::requestFinished(int id, bool error): id =" << 1
                         << "error =" << error;
    if (error) {
        qCDebug(lcDownloads) << "Verion request failed with code" << reply->error()
                             << NetworkManager::loggableError(reply);
        qCDebug(lcDownloads) << "Retry with NM";
        sendVersionRequestNM();
        return;
    }
    checkVersion(reply->readAll());
}

void Autoupdater::sendVersionRequestNM()
{
    qCDebug(lcDownloads) << "void Autoupdater::sendVersionRequestNM()";
    if (m_versionReply) {
        m_versionReply->abort();
        m_versionReply->deleteLater();
    }
    QNetworkRequest request = feedRequest();
    UserAgent::apply(request);
    m_versionReply = m_network->get(request);
    NetworkManager::limitBody(m_versionReply, kMaxFeedBytes);
    connect(m_versionReply, &QNetworkReply::finished, this, &Autoupdater::readyReadVersion);
    connect(m_versionReply, &QNetworkReply::errorOccurred, this, &Autoupdater::versionRequestError);
    connect(m_versionReply, &QNetworkReply::sslErrors, this, &Autoupdater::versionRequestSslErrors);
}

void Autoupdater::readyReadVersion()
{
    qCDebug(lcDownloads) << "void Autoupdater::readyReadVersion()";
    QNetworkReply *reply = m_versionReply;
    if (!reply || sender() != reply)
        return;
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        emit checkFinished(false);
        return;
    }
    checkVersion(reply->readAll());
}

void Autoupdater::versionRequestError(QNetworkReply::NetworkError error)
{
    qCDebug(lcDownloads) << "Autoupdater::versionRequestError" << error
                         << (m_versionReply ? m_versionReply->errorString() : QString());
}

void Autoupdater::versionRequestSslErrors(const QList<QSslError> &sslErrors)
{
    for (const QSslError &error : sslErrors)
        qCWarning(lcDownloads) << "Autoupdater: SSL error" << error.errorString();
    qCWarning(lcDownloads)
        << "Autoupdater: certificate errors refused; no update is fetched from this host";
}

void Autoupdater::checkVersion(const QByteArray &body)
{
    qCDebug(lcDownloads).noquote() << "Autoupdater: feed" << loggableDocument(body);
    qCDebug(lcDownloads) << "Checking version on OS:" << platformName();
    QDomDocument document;
    if (!readXml(&document, body)) {
        qCWarning(lcDownloads) << "Autoupdater: the update feed is not valid XML";
        emit checkFinished(false);
        return;
    }
    m_installerUrl = findInstaller(document);
    if (!m_installerUrl.isValid() || m_installerUrl.isEmpty()) {
        qCDebug(lcDownloads) << "No updates for current version";
        emit checkFinished(false);
        return;
    }
    // Only HTTPS guards the program we are about to run.
    if (m_installerUrl.scheme().toLower() != QLatin1String("https")) {
        qCWarning(lcDownloads) << "Autoupdater: installer refused, not an HTTPS address:"
                               << NetworkManager::loggableUrl(m_installerUrl);
        m_installerUrl.clear();
        emit checkFinished(false);
        return;
    }
    qCDebug(lcDownloads) << "Start download of new version from url:"
                         << NetworkManager::loggableUrl(m_installerUrl);
    connect(m_downloads, &DownloadManager::finished, this, &Autoupdater::downloadFinished,
            Qt::UniqueConnection);
    m_downloads->initializeDirectDownload(m_installerUrl, false);
    emit checkFinished(true);
}

void Autoupdater::downloadFinished(Download *download)
{
    if (!download || download->url() != m_installerUrl || download->state() != Download::Finished)
        return;
    disconnect(m_downloads, &DownloadManager::finished, this, &Autoupdater::downloadFinished);
    qCDebug(lcDownloads) << "Update downloaded...";
    qCDebug(lcDownloads) << "ShellExecute in" << QDir::currentPath();
    if (!isInstallerFile(download->mediaPath())) {
        qCWarning(lcDownloads) << "Autoupdater: the download is not an installer, not opened:"
                               << download->mediaPath();
        return;
    }
    if (!m_launcher(download->mediaPath()))
        qCWarning(lcDownloads) << "Autoupdater: could not open the installer"
                               << download->mediaPath();
}

void Autoupdater::checkSuggestions()
{
    if (!QFile::exists(Suggestions::filePath())) {
        downloadSuggestions();
        return;
    }
    if (m_suggestionsVersionReply) {
        m_suggestionsVersionReply->abort();
        m_suggestionsVersionReply->deleteLater();
    }
    m_suggestionsVersionReply = m_network->get(feedRequest());
    NetworkManager::limitBody(m_suggestionsVersionReply, kMaxFeedBytes);
    connect(m_suggestionsVersionReply, &QNetworkReply::finished, this,
            &Autoupdater::processSuggestionsVersionReply);
    connect(m_suggestionsVersionReply, &QNetworkReply::errorOccurred, this,
            &Autoupdater::suggestionsVersionReplyError);
}

void Autoupdater::processSuggestionsVersionReply()
{
    QNetworkReply *reply = m_suggestionsVersionReply;
    if (!reply || sender() != reply)
        return;
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError)
        return;
    QDomDocument document;
    readXml(&document, reply->readAll());
    const int version = UpdateFeed::suggestionsVersion(document);
    if (version > Suggestions::version())
        downloadSuggestions();
}

void Autoupdater::downloadSuggestions()
{
    if (m_suggestionsReply) {
        m_suggestionsReply->abort();
        m_suggestionsReply->deleteLater();
    }
    const QUrl url =
        SiteConfig::resolve(SiteConfig::updatePlainUrl(), QStringLiteral("/zelta/suggest.php"));
    m_suggestionsReply = m_network->get(QNetworkRequest(url));
    NetworkManager::limitBody(m_suggestionsReply, kMaxFeedBytes);
    connect(m_suggestionsReply, &QNetworkReply::finished, this,
            &Autoupdater::processSuggestionsReply);
    connect(m_suggestionsReply, &QNetworkReply::errorOccurred, this,
            &Autoupdater::suggestionsReplyError);
}

void Autoupdater::processSuggestionsReply()
{
    QNetworkReply *reply = m_suggestionsReply;
    if (!reply || sender() != reply)
        return;
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError)
        return;
    const QByteArray body = reply->readAll();
    QDomDocument check;
    if (!readXml(&check, body)) {
        qCWarning(lcDownloads)
            << "Autoupdater: the suggestions are not valid XML; the old list stays";
        return;
    }
    QDir().mkpath(QFileInfo(Suggestions::filePath()).absolutePath());
    QFile file(Suggestions::filePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        qCWarning(lcDownloads) << "Autoupdater: Cannot open suggestions file for writing";
        return;
    }
    file.write(body);
    file.close();
    Suggestions::load();
    emit suggestionsUpdated();
}

void Autoupdater::suggestionsReplyError(QNetworkReply::NetworkError error)
{
    qCDebug(lcDownloads) << "Autoupdater::suggestionsReplyError" << error;
}

void Autoupdater::suggestionsVersionReplyError(QNetworkReply::NetworkError error)
{
    qCDebug(lcDownloads) << "Autoupdater::suggestionsVersionReplyError" << error;
}
