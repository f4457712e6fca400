#include "gui/mainwindow/ChannelList.h"

#include "core/XmlNesting.h"
#include "web/WebAddress.h"

#include <QDomDocument>
#include <QUrl>

namespace {

QString childText(const QDomElement &element, const char *name)
{
    return element.firstChildElement(QLatin1String(name)).text().trimmed();
}

bool isWebAddress(const QString &text)
{
    return WebAddress::isWeb(QUrl(text));
}

QList<ChannelEntry> channelsIn(const QDomElement &parent, int depth)
{
    QList<ChannelEntry> result;
    if (depth > 8)
        return result;
    for (QDomElement e = parent.firstChildElement(QStringLiteral("channel")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("channel"))) {
        ChannelEntry entry;
        entry.name = childText(e, "name");
        entry.url = childText(e, "url");
        if (entry.name.isEmpty() || (!entry.url.isEmpty() && !isWebAddress(entry.url)))
            continue;
        entry.image = childText(e, "image");
        entry.imageSelected = childText(e, "image_selected");
        entry.search = childText(e, "search");
        entry.searchDisabled = childText(e, "search_disabled");
        entry.searchText = childText(e, "search_text");
        entry.expand = childText(e, "expand") == QLatin1String("true");
        if (!isWebAddress(entry.image))
            entry.image.clear();
        if (!isWebAddress(entry.imageSelected))
            entry.imageSelected.clear();
        entry.children = channelsIn(e, depth + 1);
        result << entry;
    }
    return result;
}

} // namespace

QList<ChannelEntry> ChannelList::parse(const QByteArray &xml, QString *error)
{
    if (xml.size() > MaxBytes) {
        if (error)
            *error = QStringLiteral("channel list larger than %1 bytes").arg(MaxBytes);
        return {};
    }
    if (!XmlNesting::within(xml, MaxDepth)) {
        if (error)
            *error = QStringLiteral("channel list nested deeper than %1 levels").arg(MaxDepth);
        return {};
    }
    QDomDocument document;
    QString message;
    int line = 0;
    if (!document.setContent(xml, &message, &line)) {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(line).arg(message);
        return {};
    }
    if (error)
        error->clear();
    const QDomElement root = document.documentElement();
    if (root.tagName() != QLatin1String("channels")) {
        if (error)
            *error = QStringLiteral("not a channel list: <%1>").arg(root.tagName());
        return {};
    }
    return channelsIn(root, 0);
}
