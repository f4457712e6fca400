#include "core/SiteConfig.h"

#include <QSettings>

QUrl SiteConfig::value(const char *key, const char *fallback)
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("site"));
    const QString text = settings.value(QLatin1String(key)).toString().trimmed();
    QUrl url(text.isEmpty() ? QString::fromLatin1(fallback) : text);
    if (!url.isValid() || url.host().isEmpty())
        url = QUrl(QString::fromLatin1(fallback));
    return url;
}

QUrl SiteConfig::membersUrl()
{
    return value("membersUrl", "http://members.corvana.example");
}

QUrl SiteConfig::secureMembersUrl()
{
    return value("secureMembersUrl", "https://members.corvana.example");
}

QUrl SiteConfig::channelServerUrl()
{
    return value("channelServerUrl", "http://channels.corvana.example");
}

QUrl SiteConfig::updateUrl()
{
    return value("updateUrl", "https://update.corvana.example");
}

QUrl SiteConfig::updatePlainUrl()
{
    return value("updatePlainUrl", "http://update.corvana.example");
}

QUrl SiteConfig::errorReportUrl()
{
    return value("errorReportUrl", "https://report.corvana.example");
}

QUrl SiteConfig::productSiteUrl()
{
    return value("productSiteUrl", "http://www.corvana.example");
}

QUrl SiteConfig::helpUrl()
{
    return value("helpUrl", "http://www.corvana.example/help/zelta");
}

QString SiteConfig::membersHost()
{
    return membersUrl().host();
}

QUrl SiteConfig::resolve(const QUrl &base, const QString &pathAndQuery)
{
    QUrl url = base;
    const int queryStart = pathAndQuery.indexOf(QLatin1Char('?'));
    if (queryStart < 0) {
        url.setPath(pathAndQuery);
    } else {
        url.setPath(pathAndQuery.left(queryStart));
        url.setQuery(pathAndQuery.mid(queryStart + 1));
    }
    return url;
}

void SiteConfig::setValue(const QString &key, const QUrl &url)
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("site"));
    settings.setValue(key, url.toString());
}
