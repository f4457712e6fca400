#include "tv/renderer/LastChange.h"

#include <QXmlStreamReader>

namespace {

constexpr int maxDepth = 8;
constexpr qsizetype maxValue = 4096;

bool refused(QXmlStreamReader::TokenType token)
{
    return token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference;
}

} // namespace

namespace LastChange {

bool parse(const QByteArray &xml, QHash<QString, QString> *variables)
{
    if (xml.size() > MaxSize)
        return false;
    QXmlStreamReader reader(xml);
    int depth = 0;
    bool sawEvent = false;
    bool inInstanceZero = false;
    QHash<QString, QString> found;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (refused(token))
            return false;
        if (token == QXmlStreamReader::StartElement) {
            if (++depth > maxDepth)
                return false;
            const QStringView name = reader.name();
            if (depth == 1) {
                sawEvent = name == QLatin1String("Event");
                if (!sawEvent)
                    return false;
            } else if (depth == 2) {
                inInstanceZero =
                    name == QLatin1String("InstanceID") &&
                    reader.attributes().value(QLatin1String("val")).trimmed() == QLatin1String("0");
            } else if (depth == 3 && inInstanceZero) {
                const QXmlStreamAttributes attributes = reader.attributes();
                if (!attributes.hasAttribute(QLatin1String("val")))
                    continue;
                QString key = name.toString();
                const QStringView channel = attributes.value(QLatin1String("channel"));
                if (!channel.isEmpty() && channel != QLatin1String("Master"))
                    key += QLatin1Char('/') + channel.left(64).toString();
                if (!found.contains(key) && found.size() >= MaxVariables)
                    return false;
                found.insert(key, attributes.value(QLatin1String("val")).left(maxValue).toString());
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    if (reader.hasError() || !sawEvent)
        return false;
    *variables = found;
    return true;
}

bool valueOfPropertySet(const QByteArray &body, QByteArray *lastChange)
{
    if (body.size() > 4 * MaxSize)
        return false;
    QXmlStreamReader reader(body);
    int depth = 0;
    bool found = false;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (refused(token))
            return false;
        if (token == QXmlStreamReader::StartElement) {
            if (++depth > maxDepth)
                return false;
            if (depth == 1 && reader.name() != QLatin1String("propertyset"))
                return false;
            if (depth == 3 && reader.name() == QLatin1String("LastChange")) {
                const QString text = reader.readElementText();
                --depth;
                if (reader.hasError())
                    return false;
                *lastChange = text.toUtf8();
                found = true;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    return !reader.hasError() && found;
}

} // namespace LastChange
