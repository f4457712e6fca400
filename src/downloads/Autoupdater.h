#pragma once

#include <QList>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QSslError>
#include <QUrl>

#include <functional>

class Download;
class DownloadManager;
class NetworkManager;
class QDomDocument;
class QNetworkAccessManager;

// Checks the site's update feed once per sign-in, downloads a newer
// installer through the download manager when the feed lists the running
// version as outdated, opens it, and keeps the search suggestions in step
// with the version the feed announces. Certificate errors are never
// ignored here: a forged certificate would run a stranger's program.
class Autoupdater : public QObject
{
    Q_OBJECT

public:
    using Launcher = std::function<bool(const QString &path)>;

    // Fetches through `network` and downloads installers with `downloads`
    // (neither owned; both must outlive the updater).
    Autoupdater(NetworkManager *network, DownloadManager *downloads, QObject *parent = nullptr);
    ~Autoupdater() override;

    void start();

    // How a downloaded installer is started (the desktop opens it).
    void setLauncher(Launcher launcher) { m_launcher = std::move(launcher); }
    QUrl installerUrl() const { return m_installerUrl; }

    // Whether one "targetVersion" item ("3.2.0" or "3.2.0-3.0.0") covers this version.
    static bool versionItemMatches(const QString &item);
    // The installer link of the first entry covering this version, under the
    // platform element; empty when none.
    static QUrl findInstaller(const QDomDocument &document);
    static QString platformName();
    // Whether a downloaded file is of a type installers have on this platform
    // (a package or an installer script, never a bare program or launcher).
    static bool isInstallerFile(const QString &path);

Q_SIGNALS:
    // The check is over: no update, or the installer download was started.
    void checkFinished(bool updateStarted);
    // The suggestions file was written and reloaded.
    void suggestionsUpdated();

public Q_SLOTS:
    void downloadFinished(Download *download);

private Q_SLOTS:
    void requestFinished();
    void readyReadVersion();
    void versionRequestError(QNetworkReply::NetworkError error);
    void versionRequestSslErrors(const QList<QSslError> &sslErrors);
    void processSuggestionsReply();
    void processSuggestionsVersionReply();
    void suggestionsReplyError(QNetworkReply::NetworkError error);
    void suggestionsVersionReplyError(QNetworkReply::NetworkError error);

private:
    void removeOldInstallers();
    void sendVersionRequest();
    void sendVersionRequestNM();
    void checkSuggestions();
    void downloadSuggestions();
    void checkVersion(const QByteArray &body);
    QNetworkRequest feedRequest() const;

    NetworkManager *m_network;
    DownloadManager *m_downloads;
    QNetworkAccessManager *m_versionClient = nullptr;
    QPointer<QNetworkReply> m_versionClientReply;
    QUrl m_installerUrl;
    QPointer<QNetworkReply> m_versionReply;
    QPointer<QNetworkReply> m_suggestionsVersionReply;
    QPointer<QNetworkReply> m_suggestionsReply;
    Launcher m_launcher;
};
