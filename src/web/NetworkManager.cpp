#include "web/NetworkManager.h"
#include "core/Logging.h"

#include "core/UserPrompt.h"
#include "web/Account.h"
#include "web/CookieJar.h"
#include "web/WebAddress.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QPointer>
#include <QStandardPaths>
#include <QtDebug>

NetworkManager::NetworkManager(Account *account, UserPrompt *prompt, QObject *parent)
    : QNetworkAccessManager(parent), m_account(account), m_prompt(prompt)
{
    connect(this, &QNetworkAccessManager::sslErrors, this, &NetworkManager::sslErrors);

    m_cookieJar = new CookieJar(this);
    m_cookieJar->setAcceptPolicy(CookieJar::AcceptAlways);
    m_cookieJar->setKeepPolicy(CookieJar::KeepUntilExpire);
    setCookieJar(m_cookieJar);
    m_cookieJar->setParent(this);

    m_diskCache = new QNetworkDiskCache(this);
    const QString location = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                             QStringLiteral("/corvana");
    m_diskCache->setCacheDirectory(location);
    setCache(m_diskCache);
    qCDebug(lcWeb) << "cache path:" << location;

    connect(this, &QNetworkAccessManager::authenticationRequired, this,
            &NetworkManager::authenticationRequired);
}

NetworkManager::~NetworkManager()
{
    m_cookieJar->saveNow(); // pending cookie changes are not lost at exit
}

QString NetworkManager::hostKey(const QString &host, int port)
{
    return host + QLatin1Char(':') + QString::number(port);
}

bool NetworkManager::isAccepted(const QString &host, int port) const
{
    return m_acceptedHosts.contains(hostKey(host, port));
}

void NetworkManager::accept(const QString &host, int port)
{
    if (!isAccepted(host, port))
        m_acceptedHosts.append(hostKey(host, port));
}

QString NetworkManager::loggableHeaders(const QNetworkRequest &request)
{
    QStringList lines;
    for (const QByteArray &name : request.rawHeaderList()) {
        const bool secret = name.compare("Authorization", Qt::CaseInsensitive) == 0 ||
                            name.compare("Proxy-Authorization", Qt::CaseInsensitive) == 0 ||
                            name.compare("Cookie", Qt::CaseInsensitive) == 0;
        lines << QString::fromLatin1(name) + QStringLiteral(": ") +
                     (secret ? QStringLiteral("********")
                             : QString::fromLatin1(request.rawHeader(name)));
    }
    return lines.join(QLatin1Char('\n'));
}

static bool isSecretKey(const QString &key)
{
    static const QStringList parts = {
        QStringLiteral("pass"),  QStringLiteral("pwd"),    QStringLiteral("hash"),
        QStringLiteral("token"), QStringLiteral("secret"), QStringLiteral("auth"),
        QStringLiteral("key"),   QStringLiteral("sig"),    QStringLiteral("session"),
        QStringLiteral("cred"),  QStringLiteral("sid")};
    for (const QString &part : parts) {
        if (key.contains(part, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QUrl NetworkManager::loggableUrl(const QUrl &url)
{
    QUrl result = url.adjusted(QUrl::RemovePassword | QUrl::RemoveFragment);
    if (!url.hasQuery())
        return result;
    QStringList pairs = url.query(QUrl::FullyEncoded).split(QLatin1Char('&'));
    for (QString &pair : pairs) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        const QString key = pair.left(equals); // the whole pair when there is no value
        if (isSecretKey(QUrl::fromPercentEncoding(key.toLatin1())))
            pair = key + QStringLiteral("=********");
    }
    result.setQuery(pairs.join(QLatin1Char('&')), QUrl::StrictMode);
    return result;
}

QString NetworkManager::loggableError(const QNetworkReply *reply)
{
    QString text = reply->errorString();
    const QUrl url = reply->url();
    if (url.isEmpty())
        return text;
    const QString safe = loggableUrl(url).toString();
    for (const QUrl::ComponentFormattingOptions format : {QUrl::PrettyDecoded, QUrl::FullyEncoded})
        text.replace(url.toString(format), safe);
    return text;
}

void NetworkManager::limitBody(QNetworkReply *reply, qint64 maxBytes)
{
    // Checked on every arrival: progress reports are throttled and may come
    // only once the reply has finished, too late to stop it.
    const auto check = [reply, maxBytes] {
        const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (announced <= maxBytes && reply->bytesAvailable() <= maxBytes)
            return;
        qCWarning(lcWeb) << "NetworkManager: answer larger than" << maxBytes
                         << "bytes refused:" << loggableUrl(reply->url());
        reply->abort();
    };
    connect(reply, &QNetworkReply::metaDataChanged, reply, check);
    connect(reply, &QNetworkReply::readyRead, reply, check);
}

void NetworkManager::authenticationRequired(QNetworkReply *reply, QAuthenticator *authenticator)
{
    if (!WebAddress::mayReceiveCredentials(reply->url())) {
        // Left unanswered: the reply ends with the server's 401.
        qCWarning(lcWeb) << "NetworkManager: no credentials for a host outside the site:"
                         << reply->url().adjusted(QUrl::RemoveUserInfo | QUrl::RemoveQuery);
        return;
    }
    const Account::Credentials credentials = m_account->credentials();
    if (credentials.isComplete()) {
        authenticator->setUser(credentials.userName);
        authenticator->setPassword(credentials.password);
    } else {
        reply->abort();
    }
}

void NetworkManager::sslErrors(QNetworkReply *reply, const QList<QSslError> &errors)
{
    if (reply->request().attribute(StrictTlsAttribute).toBool()) {
        qCWarning(lcWeb) << "NetworkManager: certificate errors refused for" << reply->url().host()
                         << WebAddress::portOf(reply->url());
        return;
    }
    if (allowCertificateErrors(reply->url(), errors))
        reply->ignoreSslErrors();
}

bool NetworkManager::allowCertificateErrors(const QUrl &url, const QList<QSslError> &errors)
{
    const int port = WebAddress::portOf(url);
    if (isAccepted(url.host(), port))
        return true;
    QStringList texts;
    for (const QSslError &error : errors)
        texts << error.errorString();
    const QString text = tr("SSL Errors:\n\n%1\n\n%2\n\nDo you want to ignore these errors for "
                            "this host?")
                             .arg(url.toString(), texts.join(QLatin1Char('\n')));
    const UserPrompt::Button answer =
        m_prompt->question(QCoreApplication::applicationName(), text,
                           UserPrompt::Yes | UserPrompt::No, UserPrompt::No);
    if (answer != UserPrompt::Yes)
        return false;
    accept(url.host(), port);
    return true;
}
