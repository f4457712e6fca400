#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QWebEngineCertificateError>

class CookieMirror;
class NetworkManager;
class QAuthenticator;
class QUrl;
class QWebEngineDownloadRequest;
class QWebEnginePage;
class QWebEngineProfile;
class UserPrompt;

// What every web view shares with the program's own network access: the
// cookies (mirrored with NetworkManager's jar), the credentials of its
// account for HTTP authentication, the certificate exceptions of this run
// (one question per host and port), and the caches. Downloads the engine
// would save on its own are handed to the page's link rules instead.
class WebProfile : public QObject
{
    Q_OBJECT

public:
    // Shares `network`'s account, cookies, cache and certificate exceptions
    // and asks about certificates through `prompt` (neither owned; both must
    // outlive the profile).
    WebProfile(NetworkManager *network, UserPrompt *prompt, QObject *parent = nullptr);
    ~WebProfile() override;

    QWebEngineProfile *profile() const { return m_profile; }

    void clearCaches();
    void clearCookies();

    // Fills in the member's credentials where they may go, once per challenge
    // and sign-in attempt: a challenge that comes back for the same
    // credentials means the site refused them, and is cancelled. Cancelled
    // challenges are reported through signInRequired().
    void answerAuthentication(QWebEnginePage *page, const QUrl &url, QAuthenticator *authenticator);
    // A new sign-in attempt: every challenge may be answered once more.
    void forgetAnswers();
    // Accepts errors the user accepted for this host before, else asks once.
    void handleCertificateError(QWebEngineCertificateError error);

Q_SIGNALS:
    // `page` was refused a page of the site: without credentials, or
    // (`rejected`) because the site turned the offered credentials down.
    // Delivered after the challenge has been cancelled.
    void signInRequired(QWebEnginePage *page, const QUrl &url, bool rejected);

private:
    void downloadRequested(QWebEngineDownloadRequest *download);
    void askCertificateQuestion(const QString &hostKey);

    NetworkManager *m_network;
    UserPrompt *m_prompt;
    QWebEngineProfile *m_profile = nullptr;
    CookieMirror *m_cookies = nullptr;
    QHash<QString, QList<QWebEngineCertificateError>> m_pendingErrors;
    // Per origin and realm, a digest of the credentials already answered.
    QHash<QString, QByteArray> m_answered;
};
