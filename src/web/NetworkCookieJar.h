#pragma once

#include <QList>
#include <QMap>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QStringList>

// A cookie store indexed by domain that decides which cookies a URL may set
// and receive. Each domain (without a leading dot) holds the cookies set for
// exactly that domain; a URL receives the cookies of its host and of every
// parent domain.
class NetworkCookieJar : public QNetworkCookieJar
{
    Q_OBJECT

public:
    explicit NetworkCookieJar(QObject *parent = nullptr);
    ~NetworkCookieJar() override;

    QList<QNetworkCookie> cookiesForUrl(const QUrl &url) const override;
    bool setCookiesFromUrl(const QList<QNetworkCookie> &cookieList, const QUrl &url) override;

    bool insertCookie(const QNetworkCookie &cookie) override;
    bool updateCookie(const QNetworkCookie &cookie) override;
    bool deleteCookie(const QNetworkCookie &cookie) override;

    // Every stored cookie (the flattened store) and its replacement.
    QList<QNetworkCookie> allCookies() const;
    void setAllCookies(const QList<QNetworkCookie> &cookieList);

    // Whether a cookie for `cookieDomain` may be set by (and sent to) `url`.
    static bool domainAcceptable(const QString &cookieDomain, const QUrl &url);
    // Second-level codes under which a two-label domain is refused ("co.uk").
    static bool isRefusedSecondLevelCode(const QString &label);
    // Whether a cookie with `cookiePath` applies to the URL path `urlPath`.
    static bool pathMatches(const QString &cookiePath, const QString &urlPath);

private:
    static QString domainKey(const QString &domain);
    static bool sameCookie(const QNetworkCookie &a, const QNetworkCookie &b);
    void removeMatching(const QNetworkCookie &cookie);

    mutable QMap<QString, QList<QNetworkCookie>> m_tree;
};
