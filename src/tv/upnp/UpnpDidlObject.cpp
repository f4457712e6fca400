#include "tv/upnp/UpnpDidlObject.h"

#include "tv/upnp/UpnpBrowseFilter.h"
#include "tv/upnp/UpnpSoap.h"

namespace {

using UpnpSoap::appendEscaped;

void attribute(QString &xml, QLatin1String name, const QString &value)
{
    xml += QLatin1Char(' ');
    xml += name;
    xml += QLatin1String("=\"");
    appendEscaped(xml, value);
    xml += QLatin1Char('"');
}

void attribute(QString &xml, QLatin1String name, qint64 value)
{
    attribute(xml, name, QString::number(value));
}

void element(QString &xml, QLatin1String name, const QString &value)
{
    xml += QLatin1Char('<');
    xml += name;
    xml += QLatin1Char('>');
    appendEscaped(xml, value);
    xml += QLatin1String("</");
    xml += name;
    xml += QLatin1Char('>');
}

void resource(QString &xml, const UpnpDidlResource &res, const UpnpBrowseFilter &filter)
{
    const QLatin1String tag("res");
    auto wanted = [&](const char *name) { return filter.wantsAttribute(tag, QLatin1String(name)); };
    xml += QLatin1String("<res");
    attribute(xml, QLatin1String("protocolInfo"), res.protocolInfo);
    if (res.size >= 0 && wanted("size"))
        attribute(xml, QLatin1String("size"), res.size);
    if (!res.duration.isEmpty() && wanted("duration"))
        attribute(xml, QLatin1String("duration"), res.duration);
    if (!res.resolution.isEmpty() && wanted("resolution"))
        attribute(xml, QLatin1String("resolution"), res.resolution);
    if (res.bitrate > 0 && wanted("bitrate"))
        attribute(xml, QLatin1String("bitrate"), res.bitrate);
    if (res.nrAudioChannels > 0 && wanted("nrAudioChannels"))
        attribute(xml, QLatin1String("nrAudioChannels"), res.nrAudioChannels);
    if (res.sampleFrequency > 0 && wanted("sampleFrequency"))
        attribute(xml, QLatin1String("sampleFrequency"), res.sampleFrequency);
    xml += QLatin1Char('>');
    appendEscaped(xml, res.url);
    xml += QLatin1String("</res>");
}

} // namespace

QString UpnpDidlObject::document(const QList<UpnpDidlObject> &objects,
                                 const UpnpBrowseFilter &filter)
{
    QStringList fragments;
    fragments.reserve(objects.size());
    for (const UpnpDidlObject &object : objects)
        fragments.append(fragment(object, filter));
    return document(fragments);
}

QString UpnpDidlObject::document(const QStringList &fragments)
{
    static const QLatin1String head(
        "<DIDL-Lite xmlns=\"urn:schemas-upnp-org:metadata-1-0/DIDL-Lite/\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
        "xmlns:upnp=\"urn:schemas-upnp-org:metadata-1-0/upnp/\" "
        "xmlns:dlna=\"urn:schemas-dlna-org:metadata-1-0/\" "
        "xmlns:sec=\"http://www.sec.co.kr/\">");
    static const QLatin1String tail("</DIDL-Lite>");
    qsizetype size = head.size() + tail.size();
    for (const QString &fragment : fragments)
        size += fragment.size();
    QString xml;
    xml.reserve(size);
    xml += head;
    for (const QString &fragment : fragments)
        xml += fragment;
    return xml += tail;
}

QString UpnpDidlObject::fragment(const UpnpDidlObject &object, const UpnpBrowseFilter &filter)
{
    // Built by appending only: a large folder's answer is written once.
    QString xml;
    xml.reserve(640);
    const QLatin1String tag(object.container ? "container" : "item");
    xml += QLatin1Char('<');
    xml += tag;
    attribute(xml, QLatin1String("id"), object.id);
    attribute(xml, QLatin1String("parentID"), object.parentId);
    xml += QLatin1String(" restricted=\"1\"");
    if (object.container && object.childCount >= 0 &&
        filter.wantsAttribute(QLatin1String("container"), QLatin1String("childCount")))
        attribute(xml, QLatin1String("childCount"), object.childCount);
    xml += QLatin1Char('>');
    element(xml, QLatin1String("dc:title"), object.title);
    element(xml, QLatin1String("upnp:class"), object.upnpClass);
    if (!object.date.isEmpty() && filter.wants(QLatin1String("dc:date")))
        element(xml, QLatin1String("dc:date"), object.date);
    if (!object.albumArtUri.isEmpty() && filter.wants(QLatin1String("upnp:albumArtURI"))) {
        xml += QLatin1String("<upnp:albumArtURI dlna:profileID=\"JPEG_TN\">");
        appendEscaped(xml, object.albumArtUri);
        xml += QLatin1String("</upnp:albumArtURI>");
    }
    if (!object.container && object.bookmarkSeconds >= 0 &&
        filter.wants(QLatin1String("sec:dcmInfo"))) {
        xml += QLatin1String("<sec:dcmInfo xmlns:sec=\"http://www.sec.co.kr/\">BM=");
        xml += QString::number(object.bookmarkSeconds);
        xml += QLatin1String("</sec:dcmInfo>");
    }
    if (filter.wants(QLatin1String("res"))) {
        const bool pictures = filter.wants(QLatin1String("upnp:albumArtURI"));
        for (const UpnpDidlResource &res : object.resources) {
            if (pictures || !res.thumbnail)
                resource(xml, res, filter);
        }
    }
    for (const auto &[type, url] : object.captions) {
        if (!filter.wants(QLatin1String("sec:CaptionInfoEx")))
            break;
        xml += QLatin1String("<sec:CaptionInfoEx");
        attribute(xml, QLatin1String("sec:type"), type);
        xml += QLatin1Char('>');
        appendEscaped(xml, url);
        xml += QLatin1String("</sec:CaptionInfoEx>");
    }
    xml += QLatin1String("</");
    xml += tag;
    xml += QLatin1Char('>');
    xml.squeeze();
    return xml;
}

QByteArray UpnpDidlObject::escapedDocument(const QList<QByteArray> &escapedFragments)
{
    static const QByteArray head =
        UpnpSoap::escapedTextUtf8(document(QStringList()))
            .chopped(UpnpSoap::escapedTextUtf8(QStringLiteral("</DIDL-Lite>")).size());
    static const QByteArray tail = UpnpSoap::escapedTextUtf8(QStringLiteral("</DIDL-Lite>"));
    qsizetype size = head.size() + tail.size();
    for (const QByteArray &fragment : escapedFragments)
        size += fragment.size();
    QByteArray xml;
    xml.reserve(size);
    xml += head;
    for (const QByteArray &fragment : escapedFragments)
        xml += fragment;
    return xml += tail;
}
