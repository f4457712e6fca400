#include "gui/web/CookieMirror.h"

#include "web/CookieJar.h"

#include <QDateTime>
#include <QUrl>
#include <QWebEngineCookieStore>

namespace {

QString bareDomain(const QString &domain)
{
    return (domain.startsWith(QLatin1Char('.')) ? domain.mid(1) : domain).toLower();
}

// The address a cookie counts as coming from.
QUrl originOf(const QNetworkCookie &cookie)
{
    QUrl url;
    url.setScheme(cookie.isSecure() ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(bareDomain(cookie.domain()));
    url.setPath(cookie.path().isEmpty() ? QStringLiteral("/") : cookie.path());
    return url;
}

} // namespace

CookieMirror::CookieMirror(QWebEngineCookieStore *store, CookieJar *jar, QObject *parent)
    : QObject(parent), m_store(store), m_jar(jar)
{
    // The jar's stored cookies go to the engine first; what the engine then
    // reports back is already known and changes nothing.
    m_known = jarSnapshot();
    for (const QNetworkCookie &cookie : std::as_const(m_known))
        m_store->setCookie(cookie, originOf(cookie));
    connect(m_store, &QWebEngineCookieStore::cookieAdded, this, &CookieMirror::storeAdded);
    connect(m_store, &QWebEngineCookieStore::cookieRemoved, this, &CookieMirror::storeRemoved);
    connect(m_jar, &CookieJar::cookiesChanged, this, &CookieMirror::jarChanged);
}

QString CookieMirror::key(const QNetworkCookie &cookie)
{
    return QString::fromUtf8(cookie.name()) + QLatin1Char('\n') + bareDomain(cookie.domain()) +
           QLatin1Char('\n') + cookie.path();
}

bool CookieMirror::sameContent(const QNetworkCookie &a, const QNetworkCookie &b)
{
    if (key(a) != key(b) || a.value() != b.value() || a.isSecure() != b.isSecure() ||
        a.isHttpOnly() != b.isHttpOnly() || a.isSessionCookie() != b.isSessionCookie())
        return false;
    return a.isSessionCookie() ||
           qAbs(a.expirationDate().secsTo(b.expirationDate())) <= 1;
}

QHash<QString, QNetworkCookie> CookieMirror::jarSnapshot() const
{
    QHash<QString, QNetworkCookie> snapshot;
    for (const QNetworkCookie &cookie : m_jar->allCookies())
        snapshot.insert(key(cookie), cookie);
    return snapshot;
}

void CookieMirror::storeAdded(const QNetworkCookie &cookie)
{
    // The engine's store outlives the program's jar at exit: nothing to mirror then.
    if (!m_jar || !m_store)
        return;
    const auto known = m_known.constFind(key(cookie));
    if (known != m_known.constEnd() && sameContent(*known, cookie))
        return;
    // Through the jar's own rules (policies, exceptions, domain rule).
    m_known.insert(key(cookie), cookie);
    m_jar->setCookiesFromUrl({cookie}, originOf(cookie));
    m_known = jarSnapshot();
    // A cookie the jar refuses does not stay in the pages either.
    if (!m_known.contains(key(cookie)))
        m_store->deleteCookie(cookie, originOf(cookie));
}

void CookieMirror::storeRemoved(const QNetworkCookie &cookie)
{
    if (!m_jar)
        return;
    if (!m_known.remove(key(cookie)))
        return;
    m_jar->removeCookie(cookie);
    m_known = jarSnapshot();
}

void CookieMirror::jarChanged()
{
    if (!m_jar || !m_store)
        return;
    const QHash<QString, QNetworkCookie> now = jarSnapshot();
    for (auto it = m_known.constBegin(); it != m_known.constEnd(); ++it) {
        if (!now.contains(it.key()))
            m_store->deleteCookie(it.value(), originOf(it.value()));
    }
    for (auto it = now.constBegin(); it != now.constEnd(); ++it) {
        const auto known = m_known.constFind(it.key());
        if (known == m_known.constEnd() || !sameContent(*known, it.value()))
            m_store->setCookie(it.value(), originOf(it.value()));
    }
    m_known = now;
}
