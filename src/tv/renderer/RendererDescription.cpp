#include "tv/renderer/RendererDescription.h"

#include <QXmlStreamReader>

namespace {

constexpr int maxDepth = 16;
constexpr int maxDevices = 16;
constexpr qsizetype maxText = 1024;

const QLatin1String rendererType("urn:schemas-upnp-org:device:MediaRenderer:");
const QLatin1String avTransportType("urn:schemas-upnp-org:service:AVTransport:");
const QLatin1String renderingControlType("urn:schemas-upnp-org:service:RenderingControl:");
const QLatin1String connectionManagerType("urn:schemas-upnp-org:service:ConnectionManager:");

struct RawService
{
    QString type;
    QString controlUrl;
    QString eventUrl;
};

struct RawDevice
{
    QString deviceType;
    QString udn;
    QString friendlyName;
    QString manufacturer;
    QString modelName;
    QList<RawService> services;
};

// Text of a leaf element, cut to a sane length; nested elements are an error.
QString leafText(QXmlStreamReader &xml)
{
    return xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement).trimmed().left(maxText);
}

class Reader
{
public:
    explicit Reader(const QByteArray &bytes) : m_xml(bytes) {}

    bool read(QList<RawDevice> *devices, QString *urlBase)
    {
        while (!m_xml.atEnd() && !m_xml.hasError()) {
            const QXmlStreamReader::TokenType token = m_xml.readNext();
            if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference)
                return false; // no document types, so no entities of any kind
            if (token == QXmlStreamReader::StartElement) {
                if (++m_depth > maxDepth)
                    return false;
                const QStringView name = m_xml.name();
                if (name == QLatin1String("device")) {
                    if (devices->size() >= maxDevices)
                        return false;
                    m_stack.append(devices->size());
                    devices->append(RawDevice());
                } else if (name == QLatin1String("service") && !m_stack.isEmpty()) {
                    RawDevice &device = (*devices)[m_stack.last()];
                    if (device.services.size() >= 16)
                        return false;
                    device.services.append(RawService());
                    m_inService = true;
                } else if (!readField(name, devices, urlBase)) {
                    return false;
                }
            } else if (token == QXmlStreamReader::EndElement) {
                --m_depth;
                const QStringView name = m_xml.name();
                if (name == QLatin1String("device") && !m_stack.isEmpty())
                    m_stack.removeLast();
                else if (name == QLatin1String("service"))
                    m_inService = false;
            }
        }
        return !m_xml.hasError();
    }

private:
    // A leaf the description is made of, or anything else (skipped whole
    // when it is a known leaf elsewhere, entered otherwise).
    bool readField(QStringView name, QList<RawDevice> *devices, QString *urlBase)
    {
        if (m_stack.isEmpty()) {
            if (name == QLatin1String("URLBase")) {
                *urlBase = leafText(m_xml);
                --m_depth;
            }
            return !m_xml.hasError();
        }
        RawDevice &device = (*devices)[m_stack.last()];
        QString *target = nullptr;
        if (m_inService && !device.services.isEmpty()) {
            RawService &service = device.services.last();
            if (name == QLatin1String("serviceType"))
                target = &service.type;
            else if (name == QLatin1String("controlURL"))
                target = &service.controlUrl;
            else if (name == QLatin1String("eventSubURL"))
                target = &service.eventUrl;
        } else if (name == QLatin1String("deviceType")) {
            target = &device.deviceType;
        } else if (name == QLatin1String("UDN")) {
            target = &device.udn;
        } else if (name == QLatin1String("friendlyName")) {
            target = &device.friendlyName;
        } else if (name == QLatin1String("manufacturer")) {
            target = &device.manufacturer;
        } else if (name == QLatin1String("modelName")) {
            target = &device.modelName;
        }
        if (target) {
            *target = leafText(m_xml);
            --m_depth;
        }
        return !m_xml.hasError();
    }

    QXmlStreamReader m_xml;
    int m_depth = 0;
    QList<qsizetype> m_stack; // devices being read, innermost last
    bool m_inService = false;
};

// An address of the renderer's: relative ones on the description's host,
// absolute ones only when they name that host and port over HTTP.
QUrl serviceUrl(const QString &text, const QUrl &base, const QUrl &location)
{
    if (text.isEmpty())
        return {};
    const QUrl url = base.resolved(QUrl(text));
    if (!url.isValid() || url.scheme() != QLatin1String("http") || url.host() != location.host() ||
        url.port(80) != location.port(80) || !url.userInfo().isEmpty())
        return {};
    return url;
}

bool startsWithType(const QString &type, QLatin1String prefix)
{
    return type.startsWith(prefix) && type.size() > prefix.size();
}

} // namespace

bool RendererDescription::parse(const QByteArray &xml, const QUrl &location,
                                RendererDescription *out)
{
    if (xml.size() > MaxSize || !location.isValid() || location.scheme() != QLatin1String("http"))
        return false;
    QList<RawDevice> devices;
    QString urlBase;
    if (!Reader(xml).read(&devices, &urlBase))
        return false;
    QUrl base = location;
    if (!urlBase.isEmpty()) {
        const QUrl given = serviceUrl(urlBase, location, location);
        if (!given.isValid())
            return false;
        base = given;
    }
    for (const RawDevice &device : std::as_const(devices)) {
        if (!startsWithType(device.deviceType, rendererType) || device.udn.isEmpty())
            continue;
        RendererDescription description;
        description.udn = device.udn;
        description.deviceType = device.deviceType;
        description.friendlyName = device.friendlyName;
        description.manufacturer = device.manufacturer;
        description.modelName = device.modelName;
        for (const RawService &raw : device.services) {
            Service *service = nullptr;
            if (startsWithType(raw.type, avTransportType))
                service = &description.avTransport;
            else if (startsWithType(raw.type, renderingControlType))
                service = &description.renderingControl;
            else if (startsWithType(raw.type, connectionManagerType))
                service = &description.connectionManager;
            if (!service || service->isValid())
                continue;
            service->type = raw.type;
            service->controlUrl = serviceUrl(raw.controlUrl, base, location);
            service->eventUrl = serviceUrl(raw.eventUrl, base, location);
        }
        if (!description.avTransport.isValid())
            continue;
        if (description.friendlyName.isEmpty())
            description.friendlyName = description.modelName;
        *out = description;
        return true;
    }
    return false;
}
