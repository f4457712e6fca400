#include "gui/web/WebProfile.h"

#include "core/Logging.h"
#include "core/UserPrompt.h"
#include "gui/web/CookieMirror.h"
#include "gui/web/ZeltaPage.h"
#include "web/Account.h"
#include "web/CookieJar.h"
#include "web/NetworkManager.h"
#include "web/WebAddress.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QNetworkDiskCache>
#include <QPointer>
#include <QTimer>
#include <QWebEngineCookieStore>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

WebProfile::WebProfile(NetworkManager *network, UserPrompt *prompt, QObject *parent)
    : QObject(parent), m_network(network), m_prompt(prompt)
{
    m_profile = QWebEngineProfile::defaultProfile();
    // The program's cookie jar is the one that keeps cookies across runs.
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    m_cookies = new CookieMirror(m_profile->cookieStore(), m_network->cookieJar(), this);
    connect(m_profile, &QWebEngineProfile::downloadRequested, this, &WebProfile::downloadRequested);
    // Views show only web pages; anything local a page could still reach
    // must not read other files or talk to the network.
    QWebEngineSettings *settings = m_profile->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
}

WebProfile::~WebProfile() = default;

void WebProfile::clearCaches()
{
    m_profile->clearHttpCache();
    m_network->diskCache()->clear();
}

void WebProfile::clearCookies()
{
    // The mirror carries the jar's emptying over to the pages.
    m_network->cookieJar()->clear();
    m_profile->cookieStore()->deleteAllCookies();
}

void WebProfile::answerAuthentication(QWebEnginePage *page, const QUrl &url,
                                      QAuthenticator *authenticator)
{
    bool rejected = false;
    const Account::Credentials credentials = m_network->account()->credentials();
    if (credentials.isComplete() && WebAddress::mayReceiveCredentials(url)) {
        const QString key = WebAddress::originOf(url) + QLatin1Char(' ') + authenticator->realm();
        const QByteArray digest = QCryptographicHash::hash(
            (credentials.userName + QLatin1Char('\n') + credentials.password).toUtf8(),
            QCryptographicHash::Sha256);
        if (m_answered.value(key) != digest) {
            m_answered.insert(key, digest);
            authenticator->setUser(credentials.userName);
            authenticator->setPassword(credentials.password);
            return;
        }
        // Asked again for what was just given: the site does not take them.
        rejected = true;
        qCDebug(lcGui) << "WebProfile: the site refused the member's credentials at" << url.host();
    } else {
        qCDebug(lcGui) << "WebProfile: authentication refused for" << url.host();
    }
    *authenticator = QAuthenticator(); // cancels the request
    QPointer<QWebEnginePage> target(page);
    QTimer::singleShot(0, this, [this, target, url, rejected] {
        if (target)
            emit signInRequired(target, url, rejected);
    });
}

void WebProfile::forgetAnswers()
{
    m_answered.clear();
}

void WebProfile::handleCertificateError(QWebEngineCertificateError error)
{
    const QUrl url = error.url();
    if (m_network->isAccepted(url.host(), WebAddress::portOf(url))) {
        error.acceptCertificate();
        return;
    }
    if (!error.isOverridable()) {
        error.rejectCertificate();
        return;
    }
    const QString key = WebAddress::originOf(url);
    error.defer();
    const bool asking = m_pendingErrors.contains(key);
    m_pendingErrors[key].append(error);
    if (!asking) // later errors for the same host wait for the one answer
        QTimer::singleShot(0, this, [this, key] { askCertificateQuestion(key); });
}

void WebProfile::askCertificateQuestion(const QString &hostKey)
{
    const QList<QWebEngineCertificateError> first = m_pendingErrors.value(hostKey);
    if (first.isEmpty())
        return;
    const QUrl url = first.constFirst().url();
    const QString text = NetworkManager::tr("SSL Errors:\n\n%1\n\n%2\n\nDo you want to ignore "
                                            "these errors for this host?")
                             .arg(url.toString(), first.constFirst().description());
    const bool yes =
        m_prompt->question(QCoreApplication::applicationName(), text,
                           UserPrompt::Yes | UserPrompt::No, UserPrompt::No) == UserPrompt::Yes;
    if (yes)
        m_network->accept(url.host(), WebAddress::portOf(url));
    for (QWebEngineCertificateError error : m_pendingErrors.take(hostKey)) {
        if (yes)
            error.acceptCertificate();
        else
            error.rejectCertificate();
    }
}

void WebProfile::downloadRequested(QWebEngineDownloadRequest *download)
{
    // Nothing is saved behind the member's back: the page's rules decide.
    const QUrl url = download->url();
    download->cancel();
    auto *page = qobject_cast<ZeltaPage *>(download->page());
    if (!page || !page->routeDownload(url))
        qCWarning(lcGui) << "WebProfile: download refused:" << url;
}
