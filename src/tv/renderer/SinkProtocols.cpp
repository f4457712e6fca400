#include "tv/renderer/SinkProtocols.h"

namespace {

constexpr qsizetype maxEntries = 512;

QString mimeOf(const QString &protocolInfo)
{
    return protocolInfo.section(QLatin1Char(':'), 2, 2).trimmed().toLower();
}

bool mimeMatches(const QString &pattern, const QString &mime)
{
    if (pattern == QLatin1String("*") || pattern == mime)
        return true;
    if (pattern.endsWith(QLatin1String("/*")))
        return mime.startsWith(pattern.chopped(1));
    return false;
}

} // namespace

SinkProtocols::SinkProtocols(const QString &list)
{
    for (const QString &entry : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString trimmed = entry.trimmed();
        if (trimmed.count(QLatin1Char(':')) < 3)
            continue;
        m_entries.append(trimmed);
        if (m_entries.size() >= maxEntries)
            break;
    }
}

bool SinkProtocols::accepts(const QString &protocolInfo) const
{
    if (m_entries.isEmpty())
        return true;
    const QString mime = mimeOf(protocolInfo);
    if (mime.isEmpty())
        return false;
    for (const QString &entry : m_entries) {
        const QString protocol = entry.section(QLatin1Char(':'), 0, 0).trimmed();
        if (protocol != QLatin1String("http-get") && protocol != QLatin1String("*"))
            continue;
        if (mimeMatches(mimeOf(entry), mime))
            return true;
    }
    return false;
}
