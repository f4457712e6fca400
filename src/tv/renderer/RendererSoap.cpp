#include "tv/renderer/RendererSoap.h"

#include "tv/upnp/UpnpSoap.h"

#include <QXmlStreamReader>

namespace {

// The UPnPError of a fault envelope: its code and description.
bool parseFault(const QByteArray &body, int *code, QString *description)
{
    QXmlStreamReader xml(body);
    bool sawFault = false;
    int depth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference)
            return false;
        if (token == QXmlStreamReader::StartElement) {
            if (++depth > 16)
                return false;
            const QStringView name = xml.name();
            if (name == QLatin1String("Fault"))
                sawFault = true;
            else if (sawFault && name == QLatin1String("errorCode")) {
                *code = xml.readElementText().trimmed().toInt();
                --depth;
            } else if (sawFault && name == QLatin1String("errorDescription")) {
                *description = xml.readElementText().trimmed().left(512);
                --depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    return !xml.hasError() && sawFault;
}

bool hasDocumentType(const QByteArray &body)
{
    QXmlStreamReader xml(body);
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference)
            return true;
        if (token == QXmlStreamReader::StartElement)
            return false; // a document type comes before the root or not at all
    }
    return false;
}

} // namespace

namespace RendererSoap {

QByteArray request(const QString &serviceType, const QString &action,
                   const QList<QPair<QString, QString>> &arguments)
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
                     "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                     "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">"
                     "<s:Body><u:";
    const QByteArray name = action.toLatin1();
    out += name + " xmlns:u=\"" + UpnpSoap::escapedUtf8(serviceType) + "\">";
    for (const auto &[argument, value] : arguments) {
        const QByteArray element = argument.toLatin1();
        out += '<' + element + '>' + UpnpSoap::escapedUtf8(value) + "</" + element + '>';
    }
    out += "</u:" + name + "></s:Body></s:Envelope>\r\n";
    return out;
}

Reply parseReply(const QByteArray &body, const QString &action)
{
    Reply reply;
    if (body.size() > MaxReplySize || hasDocumentType(body))
        return reply;
    if (UpnpSoap::parseArguments(body, action + QLatin1String("Response"), &reply.arguments)) {
        reply.ok = true;
        return reply;
    }
    reply.arguments.clear();
    if (!parseFault(body, &reply.errorCode, &reply.errorDescription)) {
        reply.errorCode = 0;
        reply.errorDescription.clear();
    }
    return reply;
}

} // namespace RendererSoap
