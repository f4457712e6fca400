#include "tv/upnp/UpnpDidlObject.h"

namespace {

QString attribute(const QString &name, const QString &value)
{
    return QStringLiteral(" %1=\"%2\"").arg(name, value.toHtmlEscaped());
}

QString element(const QString &name, const QString &value)
{
    return QStringLiteral("<%1>%2</%1>").arg(name, value.toHtmlEscaped());
}

QString resource(const UpnpDidlResource &res)
{
    QString xml =
        QStringLiteral("<res") + attribute(QStringLiteral("protocolInfo"), res.protocolInfo);
    if (res.size >= 0)
        xml += attribute(QStringLiteral("size"), QString::number(res.size));
    if (!res.duration.isEmpty())
        xml += attribute(QStringLiteral("duration"), res.duration);
    if (!res.resolution.isEmpty())
        xml += attribute(QStringLiteral("resolution"), res.resolution);
    if (res.bitrate > 0)
        xml += attribute(QStringLiteral("bitrate"), QString::number(res.bitrate));
    if (res.nrAudioChannels > 0)
        xml += attribute(QStringLiteral("nrAudioChannels"), QString::number(res.nrAudioChannels));
    if (res.sampleFrequency > 0)
        xml += attribute(QStringLiteral("sampleFrequency"), QString::number(res.sampleFrequency));
    return xml + QLatin1Char('>') + res.url.toHtmlEscaped() + QStringLiteral("</res>");
}

} // namespace

QString UpnpDidlObject::document(const QList<UpnpDidlObject> &objects)
{
    QString xml =
        QStringLiteral("<DIDL-Lite xmlns=\"urn:schemas-upnp-org:metadata-1-0/DIDL-Lite/\" "
                       "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                       "xmlns:upnp=\"urn:schemas-upnp-org:metadata-1-0/upnp/\" "
                       "xmlns:dlna=\"urn:schemas-dlna-org:metadata-1-0/\">");
    for (const UpnpDidlObject &object : objects) {
        const QString tag = object.container ? QStringLiteral("container") : QStringLiteral("item");
        xml += QLatin1Char('<') + tag + attribute(QStringLiteral("id"), object.id) +
               attribute(QStringLiteral("parentID"), object.parentId) +
               attribute(QStringLiteral("restricted"), QStringLiteral("1"));
        if (object.container && object.childCount >= 0)
            xml += attribute(QStringLiteral("childCount"), QString::number(object.childCount));
        xml += QLatin1Char('>') + element(QStringLiteral("dc:title"), object.title) +
               element(QStringLiteral("upnp:class"), object.upnpClass);
        if (!object.date.isEmpty())
            xml += element(QStringLiteral("dc:date"), object.date);
        if (!object.albumArtUri.isEmpty())
            xml += QStringLiteral("<upnp:albumArtURI dlna:profileID=\"JPEG_TN\">") +
                   object.albumArtUri.toHtmlEscaped() + QStringLiteral("</upnp:albumArtURI>");
        for (const UpnpDidlResource &res : object.resources)
            xml += resource(res);
        xml += QStringLiteral("</") + tag + QLatin1Char('>');
    }
    return xml + QStringLiteral("</DIDL-Lite>");
}
