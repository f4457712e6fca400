#include "tv/upnp/UpnpSoap.h"

#include <QXmlStreamReader>

#include <cctype>

namespace {

bool isXmlName(const QByteArray &name)
{
    if (name.isEmpty() || !(std::isalpha(uchar(name.at(0))) || name.at(0) == '_'))
        return false;
    for (const char c : name) {
        if (!std::isalnum(uchar(c)) && c != '_' && c != '-' && c != '.')
            return false;
    }
    return true;
}

// Service types are URNs: printable characters without spaces.
bool isServiceType(const QByteArray &type)
{
    for (const char c : type) {
        if (c <= ' ' || c > '~')
            return false;
    }
    return !type.isEmpty();
}

} // namespace

namespace UpnpSoap {

bool parseSoapAction(const QByteArray &header, QString *serviceType, QString *action)
{
    QByteArray value = header.trimmed();
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        value = value.mid(1, value.size() - 2);
    const qsizetype hash = value.indexOf('#');
    if (hash <= 0 || hash >= 200 || value.size() - hash - 1 <= 0 || value.size() - hash > 100)
        return false;
    // The action names the answer's element: an XML name, nothing else.
    const QByteArray name = value.mid(hash + 1);
    if (!isXmlName(name) || !isServiceType(value.left(hash)))
        return false;
    *serviceType = QString::fromUtf8(value.left(hash));
    *action = QString::fromLatin1(name);
    return true;
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
    QString clean;
    clean.reserve(text.size() + text.size() / 8);
    appendEscaped(clean, text);
    return clean;
}

void appendEscaped(QString &clean, const QString &text)
{
    appendEscaped(clean, text, true);
}

void appendEscaped(QString &clean, const QString &text, bool quotes)
{
    // Runs of plain characters are copied whole: a large Browse answer is
    // escaped in one pass.
    const qsizetype size = text.size();
    qsizetype from = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t u = text.at(i).unicode();
        const bool plain = (u >= 0x20 && u < 0xD800 && u != u'&' && u != u'<' && u != u'>' &&
                            (u != u'"' || !quotes)) ||
                           (u >= 0xE000 && u != 0xFFFE && u != 0xFFFF);
        if (plain)
            continue;
        if (QChar::isHighSurrogate(u) && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            ++i; // a whole pair
            continue;
        }
        clean.append(QStringView(text).mid(from, i - from));
        from = i + 1;
        switch (u) {
        case u'&':
            clean += QLatin1String("&amp;");
            break;
        case u'<':
            clean += QLatin1String("&lt;");
            break;
        case u'>':
            clean += QLatin1String("&gt;");
            break;
        case u'"':
            clean += QLatin1String("&quot;");
            break;
        case 0x9:
        case 0xA:
        case 0xD:
            clean += QChar(u);
            break;
        default:
            break; // dropped
        }
    }
    clean.append(QStringView(text).mid(from));
}

QByteArray response(const QString &serviceType, const QString &action,
                    const UpnpActionResponse &answer)
{
    qsizetype size = 512;
    for (const QByteArray &xml : answer.escaped)
        size += xml.size();
    QByteArray out;
    out.reserve(size);
    out += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
           "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">"
           "<s:Body><u:";
    const QByteArray name = action.toUtf8();
    out += name + "Response xmlns:u=\"" + escapedUtf8(serviceType) + "\">";
    for (const auto &argument : answer.arguments) {
        const QByteArray element = argument.first.toUtf8();
        out += '<' + element + '>';
        const auto escaped = answer.escaped.constFind(argument.first);
        out += escaped != answer.escaped.constEnd() ? *escaped : escapedTextUtf8(argument.second);
        out += "</" + element + '>';
    }
    out += "</u:" + name + "Response></s:Body></s:Envelope>\r\n";
    return out;
}

QByteArray escapedUtf8(const QString &text)
{
    return escape(text).toUtf8();
}

QByteArray escapedTextUtf8(const QString &text)
{
    QString clean;
    clean.reserve(text.size() + text.size() / 8);
    appendEscaped(clean, text, false);
    return clean.toUtf8();
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
