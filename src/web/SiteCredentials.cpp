#include "web/SiteCredentials.h"

#include "core/SiteConfig.h"

#include <QList>

namespace {

int portOf(const QUrl &url)
{
    return url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
}

} // namespace

bool SiteCredentials::mayAnswer(const QUrl &url)
{
    const QString scheme = url.scheme();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return false;
    const QList<QUrl> site = {SiteConfig::membersUrl(), SiteConfig::secureMembersUrl(),
                              SiteConfig::channelServerUrl()};
    bool known = false;
    for (const QUrl &address : site) {
        if (address.host().compare(url.host(), Qt::CaseInsensitive) != 0)
            continue;
        // A host configured for HTTPS never gets them in the clear.
        if (address.scheme() == QLatin1String("https") && scheme != QLatin1String("https"))
            return false;
        if (address.scheme() == scheme && portOf(address) == portOf(url))
            known = true;
    }
    return known;
}
