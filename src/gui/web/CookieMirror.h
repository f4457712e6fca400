#pragma once

#include <QHash>
#include <QNetworkCookie>
#include <QObject>
#include <QPointer>

class CookieJar;
class QWebEngineCookieStore;

// Keeps the web views' cookie store and the program's CookieJar equal: a
// cookie a page sets reaches the program's requests and the other way round.
// Only the jar writes cookies to disk; the web engine keeps none of its own.
class CookieMirror : public QObject
{
    Q_OBJECT

public:
    CookieMirror(QWebEngineCookieStore *store, CookieJar *jar, QObject *parent = nullptr);

    // Identity of a cookie in both stores: name, domain without its dot, path.
    static QString key(const QNetworkCookie &cookie);
    // Same key, value, flags and (to the second) expiry.
    static bool sameContent(const QNetworkCookie &a, const QNetworkCookie &b);

private:
    void storeAdded(const QNetworkCookie &cookie);
    void storeRemoved(const QNetworkCookie &cookie);
    void jarChanged();
    QHash<QString, QNetworkCookie> jarSnapshot() const;

    QPointer<QWebEngineCookieStore> m_store;
    QPointer<CookieJar> m_jar;
    QHash<QString, QNetworkCookie> m_known; // the jar as last mirrored
};
