// SOAP control calls: the action taken from the "SOAPAction" header is an XML
// name (it names the answer's element), the arguments are bounded, and an
// answer or fault carrying any text the caller sent is well-formed XML.
#include "FuzzSupport.h"
#include "tv/upnp/UpnpFileMediaServerDelegate.h"
#include "tv/upnp/UpnpSoap.h"

#include <QXmlStreamReader>

namespace {

bool isXmlName(const QString &name)
{
    if (name.isEmpty() || name.at(0).isDigit() || name.at(0) == QLatin1Char('-') ||
        name.at(0) == QLatin1Char('.'))
        return false;
    for (const QChar c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('_') &&
            c != QLatin1Char('-') && c != QLatin1Char('.'))
            return false;
    }
    return true;
}

bool wellFormed(const QByteArray &xml)
{
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError();
}

} // namespace

FUZZ_QUIET_SETUP()

// First line: the SOAPAction header; the rest: the envelope.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzSupport::input(data, size);
    const qsizetype newline = bytes.indexOf('\n');
    const QByteArray header = newline < 0 ? bytes : bytes.left(newline);
    const QByteArray envelope = newline < 0 ? QByteArray() : bytes.mid(newline + 1);

    QString serviceType = QStringLiteral("urn:schemas-upnp-org:service:ContentDirectory:1");
    QString action = QStringLiteral("Browse");
    if (UpnpSoap::parseSoapAction(header, &serviceType, &action)) {
        FUZZ_CHECK(!serviceType.isEmpty());
        FUZZ_CHECK(isXmlName(action));
    }
    QHash<QString, QString> arguments;
    (void)UpnpSoap::parseArguments(envelope, action, &arguments);
    FUZZ_CHECK(arguments.size() <= 64);

    // Whatever came in may come back out: as an argument value and as a fault text.
    UpnpActionResponse answer;
    for (auto it = arguments.cbegin(); it != arguments.cend(); ++it)
        answer.arguments.append({QStringLiteral("Result"), it.value() + it.key()});
    answer.arguments.append({QStringLiteral("Header"), QString::fromUtf8(header)});
    FUZZ_CHECK(wellFormed(UpnpSoap::response(serviceType, action, answer)));
    FUZZ_CHECK(wellFormed(UpnpSoap::fault(402, QString::fromUtf8(envelope.left(256)))));

    QString classPrefix;
    (void)UpnpFileMediaServerDelegate::parseSearchCriteria(
        arguments.value(QStringLiteral("SearchCriteria"), QString::fromUtf8(header)), &classPrefix);
    return 0;
}
