#pragma once

#include <QSet>
#include <QString>

// The properties a Browse or Search asks for ("*": all of them; otherwise a
// comma-separated list such as "dc:title,res,res@size,@childCount"). Required
// properties are written whatever the filter says; optional ones only when
// named.
class UpnpBrowseFilter
{
public:
    UpnpBrowseFilter() = default; // everything
    explicit UpnpBrowseFilter(const QString &filter);

    bool all() const { return m_all; }
    // An element ("dc:date", "res", "upnp:albumArtURI").
    bool wants(QLatin1String property) const;
    // An attribute of an element ("res", "size" for "res@size"); a bare
    // "@size" names it for any element.
    bool wantsAttribute(QLatin1String element, QLatin1String attribute) const;
    // A stable text of what is asked for (for keeping written answers apart).
    QString key() const;

private:
    bool m_all = true;
    QSet<QString> m_names;
};
