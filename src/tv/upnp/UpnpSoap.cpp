#include "tv/upnp/UpnpSoap.h"

#include <QXmlStreamReader>

namespace UpnpSoap {

bool parseSoapAction(const QByteArray &header, QString *serviceType, QString *action)
{
    QByteArray value = header.trimmed();
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        value = value.mid(1, value.size() - 2);
    const qsizetype hash = value.indexOf('#');
    if (hash <= 0 || hash >= 200 || value.size() - hash - 1 <= 0 || value.size() - hash > 100)
        return false;
    *serviceType = QString::fromUtf8(value.left(hash));
    *action = QString::fromUtf8(value.mid(hash + 1));
    return !action->contains(QLatin1Char(' '));
}

bool parseArguments(const QByteArray &envelope, const QString &action,
                    QHash<QString, QString> *arguments)
{
    QXmlStreamReader xml(envelope);
    int depth = 0;
    int actionDepth = -1;
    bool sawEnvelope = false;
    bool sawBody = false;
    bool sawAction = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            const QStringView name = xml.name();
            if (depth == 1)
                sawEnvelope = name == QLatin1String("Envelope");
            else if (depth == 2 && name == QLatin1String("Body"))
                sawBody = true;
            else if (depth == 3 && sawBody && name == action) {
                sawAction = true;
                actionDepth = depth;
            } else if (actionDepth > 0 && depth == actionDepth + 1) {
                const QString argument = name.toString();
                const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                --depth;
                if (arguments->size() < 64)
                    arguments->insert(argument, text);
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == actionDepth)
                actionDepth = -1;
            --depth;
        }
    }
    return !xml.hasError() && sawEnvelope && sawBody && sawAction;
}

QString escape(const QString &text)
{
    return text.toHtmlEscaped();
}

QByteArray response(const QString &serviceType, const QString &action,
                    const UpnpActionResponse &answer)
{
    QString body;
    for (const auto &argument : answer.arguments)
        body += QStringLiteral("<%1>%2</%1>").arg(argument.first, escape(argument.second));
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
                          "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                          "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">"
                          "<s:Body><u:%1Response xmlns:u=\"%2\">%3</u:%1Response></s:Body>"
                          "</s:Envelope>\r\n")
        .arg(action, escape(serviceType), body)
        .toUtf8();
}

QByteArray fault(int errorCode, const QString &description)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
                          "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                          "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">"
                          "<s:Body><s:Fault><faultcode>s:Client</faultcode>"
                          "<faultstring>UPnPError</faultstring><detail>"
                          "<UPnPError xmlns=\"urn:schemas-upnp-org:control-1-0\">"
                          "<errorCode>%1</errorCode><errorDescription>%2</errorDescription>"
                          "</UPnPError></detail></s:Fault></s:Body></s:Envelope>\r\n")
        .arg(errorCode)
        .arg(escape(description))
        .toUtf8();
}

} // namespace UpnpSoap
