#include "web/NetworkCookieJar.h"

#include <QDateTime>
#include <QUrl>

#include <algorithm>
#include <array>
#include <string_view>

namespace {

constexpr int kMaxCookiePathLength = 1024;

// Sorted: searched by halving.
constexpr std::array<std::string_view, 62> kRefusedCodes = {
    "ao", "ar", "arpa", "bd", "bn", "br", "co", "cr", "cy", "do", "eg", "et", "fj",
    "fk", "gh", "gn",   "gu", "id", "il", "jm", "ke", "kh", "ki", "kw", "kz", "lb",
    "lc", "lr", "ls",   "ml", "mm", "mv", "mw", "mx", "my", "ng", "ni", "np", "nz",
    "om", "pa", "pe",   "pg", "pw", "py", "qa", "sa", "sb", "sv", "sy", "th", "tn",
    "tz", "uk", "uy",   "va", "ve", "ye", "yu", "za", "zm", "zw"};

QStringList labelsOf(const QString &domain)
{
    QString cleaned = domain.simplified().toLower();
    cleaned.remove(QLatin1Char(' '));
    return cleaned.split(QLatin1Char('.'), Qt::SkipEmptyParts);
}

QString effectiveHost(const QUrl &url)
{
    if (url.scheme() == QLatin1String("file"))
        return QStringLiteral("localhost");
    return url.host().toLower();
}

bool isExpired(const QNetworkCookie &cookie, const QDateTime &now)
{
    return !cookie.isSessionCookie() && cookie.expirationDate().toUTC() < now;
}

} // namespace

NetworkCookieJar::NetworkCookieJar(QObject *parent) : QNetworkCookieJar(parent) {}

NetworkCookieJar::~NetworkCookieJar() = default;

bool NetworkCookieJar::isRefusedSecondLevelCode(const QString &label)
{
    const QByteArray latin = label.toLatin1();
    return std::binary_search(kRefusedCodes.begin(), kRefusedCodes.end(),
                              std::string_view(latin.constData(), size_t(latin.size())));
}

bool NetworkCookieJar::domainAcceptable(const QString &cookieDomain, const QUrl &url)
{
    const QStringList labels = labelsOf(cookieDomain);
    if (labels.isEmpty())
        return false;
    if (labels.size() == 1) {
        if (labels.first() != QLatin1String("localhost"))
            return false;
        if (url.scheme() == QLatin1String("file"))
            return true;
    }
    if (labels.size() == 2 && isRefusedSecondLevelCode(labels.last()))
        return false;
    QStringList hostLabels = url.host().toLower().split(QLatin1Char('.'), Qt::SkipEmptyParts);
    if (hostLabels.isEmpty())
        return false;
    while (hostLabels.size() > labels.size())
        hostLabels.removeFirst();
    return hostLabels == labels;
}

bool NetworkCookieJar::pathMatches(const QString &cookiePath, const QString &urlPath)
{
    QString cookie = cookiePath;
    QString path = urlPath;
    if (!cookie.endsWith(QLatin1Char('/')))
        cookie += QLatin1Char('/');
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path.startsWith(cookie, Qt::CaseSensitive);
}

QString NetworkCookieJar::domainKey(const QString &domain)
{
    QString key = domain.toLower();
    while (key.startsWith(QLatin1Char('.')))
        key.remove(0, 1);
    return key;
}

bool NetworkCookieJar::sameCookie(const QNetworkCookie &a, const QNetworkCookie &b)
{
    return a.name() == b.name() && domainKey(a.domain()) == domainKey(b.domain()) &&
           a.path() == b.path();
}

void NetworkCookieJar::removeMatching(const QNetworkCookie &cookie)
{
    auto it = m_tree.find(domainKey(cookie.domain()));
    if (it == m_tree.end())
        return;
    it->removeIf([&](const QNetworkCookie &stored) { return sameCookie(stored, cookie); });
    if (it->isEmpty())
        m_tree.erase(it);
}

bool NetworkCookieJar::setCookiesFromUrl(const QList<QNetworkCookie> &cookieList, const QUrl &url)
{
    const QString host = effectiveHost(url);
    QString defaultPath = url.path();
    defaultPath = defaultPath.left(defaultPath.lastIndexOf(QLatin1Char('/')) + 1);
    if (defaultPath.isEmpty())
        defaultPath = QStringLiteral("/");
    const QDateTime now = QDateTime::currentDateTimeUtc();

    bool added = false;
    for (QNetworkCookie cookie : cookieList) {
        if (cookie.path().length() > kMaxCookiePathLength)
            continue;
        const bool expired = isExpired(cookie, now);
        if (cookie.path().isEmpty())
            cookie.setPath(defaultPath);
        if (cookie.domain().isEmpty()) {
            if (host.isEmpty())
                continue;
            cookie.setDomain(host);
        } else if (!domainAcceptable(cookie.domain(), url)) {
            continue;
        }
        removeMatching(cookie);
        if (!expired) {
            m_tree[domainKey(cookie.domain())].append(cookie);
            added = true;
        }
    }
    return added;
}

QList<QNetworkCookie> NetworkCookieJar::cookiesForUrl(const QUrl &url) const
{
    const QString host = effectiveHost(url);
    QStringList labels = host.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    const bool secure = url.scheme() == QLatin1String("https");
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QString urlPath = url.path();
    if (urlPath.isEmpty())
        urlPath = QStringLiteral("/");

    QList<QNetworkCookie> result;
    while (!labels.isEmpty()) {
        const bool refusedParent = labels.size() == 2 && labels.join(QLatin1Char('.')) != host &&
                                   isRefusedSecondLevelCode(labels.last());
        auto it = m_tree.find(labels.join(QLatin1Char('.')));
        labels.removeFirst();
        if (refusedParent || it == m_tree.end())
            continue;
        QList<QNetworkCookie> &stored = *it;
        for (qsizetype i = stored.size() - 1; i >= 0; --i) {
            const QNetworkCookie &cookie = stored.at(i);
            if (isExpired(cookie, now)) {
                stored.removeAt(i);
                continue;
            }
            if (!pathMatches(cookie.path(), urlPath))
                continue;
            if (cookie.isSecure() && !secure)
                continue;
            result.prepend(cookie);
        }
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const QNetworkCookie &a, const QNetworkCookie &b) {
                         return a.path().length() > b.path().length();
                     });
    return result;
}

bool NetworkCookieJar::insertCookie(const QNetworkCookie &cookie)
{
    if (cookie.domain().isEmpty())
        return false;
    removeMatching(cookie);
    m_tree[domainKey(cookie.domain())].append(cookie);
    return true;
}

bool NetworkCookieJar::updateCookie(const QNetworkCookie &cookie)
{
    if (!deleteCookie(cookie))
        return false;
    return insertCookie(cookie);
}

bool NetworkCookieJar::deleteCookie(const QNetworkCookie &cookie)
{
    const auto it = m_tree.constFind(domainKey(cookie.domain()));
    if (it == m_tree.constEnd())
        return false;
    const bool found = std::any_of(it->begin(), it->end(), [&](const QNetworkCookie &stored) {
        return sameCookie(stored, cookie);
    });
    if (found)
        removeMatching(cookie);
    return found;
}

QList<QNetworkCookie> NetworkCookieJar::allCookies() const
{
    QList<QNetworkCookie> all;
    for (const QList<QNetworkCookie> &cookies : m_tree)
        all += cookies;
    return all;
}

void NetworkCookieJar::setAllCookies(const QList<QNetworkCookie> &cookieList)
{
    m_tree.clear();
    for (const QNetworkCookie &cookie : cookieList) {
        if (!cookie.domain().isEmpty())
            m_tree[domainKey(cookie.domain())].append(cookie);
    }
}
