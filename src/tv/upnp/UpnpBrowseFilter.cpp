#include "tv/upnp/UpnpBrowseFilter.h"

#include <QStringList>

#include <algorithm>

UpnpBrowseFilter::UpnpBrowseFilter(const QString &filter) : m_all(false)
{
    for (const QString &part : filter.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        if (name == QLatin1String("*")) {
            m_all = true;
            m_names.clear();
            return;
        }
        if (!name.isEmpty())
            m_names.insert(name);
    }
}

bool UpnpBrowseFilter::wants(QLatin1String property) const
{
    return m_all || m_names.contains(property);
}

bool UpnpBrowseFilter::wantsAttribute(QLatin1String element, QLatin1String attribute) const
{
    if (m_all)
        return true;
    const QString bare = QLatin1Char('@') + attribute;
    return m_names.contains(bare) || m_names.contains(QString(element) + bare);
}

QString UpnpBrowseFilter::key() const
{
    if (m_all)
        return QStringLiteral("*");
    QStringList names(m_names.cbegin(), m_names.cend());
    std::sort(names.begin(), names.end());
    return names.join(QLatin1Char(','));
}
