#include "web/WebAddress.h"

#include "core/SiteConfig.h"

#include <QList>

namespace {

int defaultPort(const QString &scheme)
{
    return scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80;
}

QList<QUrl> siteAddresses()
{
    return {SiteConfig::membersUrl(),       SiteConfig::secureMembersUrl(),
            SiteConfig::channelServerUrl(), SiteConfig::updateUrl(),
            SiteConfig::updatePlainUrl(),   SiteConfig::errorReportUrl()};
}

bool sameServer(const QUrl &a, const QUrl &b)
{
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           WebAddress::portOf(a) == WebAddress::portOf(b);
}

} // namespace

bool WebAddress::isWeb(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

int WebAddress::portOf(const QUrl &url)
{
    return url.port(defaultPort(url.scheme()));
}

QString WebAddress::originOf(const QUrl &url)
{
    QString host = url.host().toLower();
    if (host.contains(QLatin1Char(':')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    QString origin = url.scheme().toLower() + QStringLiteral("://") + host;
    if (url.port() != -1 && url.port() != defaultPort(url.scheme()))
        origin += QLatin1Char(':') + QString::number(url.port());
    return origin;
}

QStringList WebAddress::siteOrigins()
{
    QStringList origins;
    for (const QUrl &url : {SiteConfig::membersUrl(), SiteConfig::secureMembersUrl()}) {
        const QString origin = originOf(url);
        if (!origins.contains(origin))
            origins << origin;
    }
    return origins;
}

bool WebAddress::isSiteOrigin(const QUrl &url)
{
    return isWeb(url) && siteOrigins().contains(originOf(url));
}

bool WebAddress::isSiteAddress(const QUrl &url)
{
    if (!isWeb(url))
        return false;
    for (const QUrl &own : siteAddresses()) {
        if (sameServer(own, url))
            return true;
    }
    return false;
}

bool WebAddress::mayReceiveCredentials(const QUrl &url)
{
    return isSiteAddress(url);
}
