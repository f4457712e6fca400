#pragma once

#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QSslError>
#include <QStringList>

class Account;
class CookieJar;
class QNetworkDiskCache;
class UserPrompt;

// The network access manager the engines share: one cookie jar, disk
// cache, the member's account for HTTP authentication and one policy for
// certificate errors (ignored only after the user said Yes for that host and
// port in this run).
class NetworkManager : public QNetworkAccessManager
{
    Q_OBJECT

public:
    // Answers authentication with `account`'s credentials and asks about
    // certificate errors through `prompt` (neither owned; both must outlive
    // the manager).
    NetworkManager(Account *account, UserPrompt *prompt, QObject *parent = nullptr);
    ~NetworkManager() override;

    // The member whose credentials the requests through this manager carry.
    Account *account() const { return m_account; }

    // Request attribute: certificate errors of this request are refused
    // without asking (used for anything that fetches a program to run).
    static constexpr QNetworkRequest::Attribute StrictTlsAttribute =
        QNetworkRequest::Attribute(QNetworkRequest::User + 1);

    CookieJar *cookieJar() const { return m_cookieJar; }
    QNetworkDiskCache *diskCache() const { return m_diskCache; }

    // Certificate exceptions of this run, keyed "host:port" (shared with the web pages).
    bool isAccepted(const QString &host, int port) const;
    void accept(const QString &host, int port);
    // Whether certificate errors of `url` may be ignored: yes for a host
    // accepted in this run, otherwise the user is asked (and a Yes accepts it).
    bool allowCertificateErrors(const QUrl &url, const QList<QSslError> &errors);

    // A request's headers for the log, with credentials blanked.
    static QString loggableHeaders(const QNetworkRequest &request);
    // An address for the log: no password, no fragment, and the values of
    // query keys that look like secrets (password, hash, token, ...) masked.
    static QUrl loggableUrl(const QUrl &url);
    // The reply's error text for the log, its address made loggable.
    static QString loggableError(const QNetworkReply *reply);
    // Aborts `reply` as soon as its body is known to exceed `maxBytes` (announced,
    // or received and not yet read), so an oversized answer is never held in
    // memory whole. For replies read once finished; the reply then finishes
    // with an operation-cancelled error.
    static void limitBody(QNetworkReply *reply, qint64 maxBytes);

private Q_SLOTS:
    void authenticationRequired(QNetworkReply *reply, QAuthenticator *authenticator);
    void sslErrors(QNetworkReply *reply, const QList<QSslError> &errors);

private:
    static QString hostKey(const QString &host, int port);

    Account *m_account;
    UserPrompt *m_prompt;
    QStringList m_acceptedHosts;
    CookieJar *m_cookieJar = nullptr;
    QNetworkDiskCache *m_diskCache = nullptr;
};
