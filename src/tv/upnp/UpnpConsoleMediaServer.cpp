#include "tv/upnp/UpnpConsoleMediaServer.h"

#include "tv/upnp/UpnpClientSignature.h"
#include "tv/upnp/UpnpScpd.h"

#include <QHostInfo>

const QString UpnpConsoleMediaServer::registrarType =
    QStringLiteral("urn:microsoft.com:service:X_MS_MediaReceiverRegistrar:1");

UpnpConsoleMediaServer::UpnpConsoleMediaServer(const QString &name, QObject *parent)
    : UpnpMediaServer(name, parent), hostName(QHostInfo::localHostName())
{
}

void UpnpConsoleMediaServer::setupServices()
{
    UpnpMediaServer::setupServices();
    addService({QStringLiteral("X_MS_MediaReceiverRegistrar"),
                registrarType,
                QStringLiteral("urn:microsoft.com:serviceId:X_MS_MediaReceiverRegistrar"),
                UpnpScpd::mediaReceiverRegistrar(),
                {{QStringLiteral("AuthorizationGrantedUpdateID"), QStringLiteral("0")},
                 {QStringLiteral("AuthorizationDeniedUpdateID"), QStringLiteral("0")},
                 {QStringLiteral("ValidationSucceededUpdateID"), QStringLiteral("0")},
                 {QStringLiteral("ValidationRevokedUpdateID"), QStringLiteral("0")}}});
}

UpnpDeviceData UpnpConsoleMediaServer::descriptionFields(int clientSignature) const
{
    // A copy per request: concurrent clients never see each other's fields.
    UpnpDeviceData fields = *this;
    const bool withHost = addHostName && !hostName.isEmpty();
    switch (clientSignature) {
    case UpnpClientSignature::Xbox:
        if (withHost)
            fields.friendlyName = friendlyName + QStringLiteral(": ") + hostName;
        else if (!friendlyName.contains(QLatin1Char(':')))
            fields.friendlyName = friendlyName + QStringLiteral(": 1");
        [[fallthrough]];
    case UpnpClientSignature::WindowsMediaPlayer:
        if (clientSignature == UpnpClientSignature::WindowsMediaPlayer && withHost)
            fields.friendlyName = friendlyName + QStringLiteral(" (") + hostName + QLatin1Char(')');
        fields.modelName = QStringLiteral("Windows Media Player Sharing");
        fields.modelNumber = QStringLiteral("12.0");
        fields.manufacturer = QStringLiteral("Microsoft Corporation");
        fields.manufacturerUrl = QStringLiteral("http://www.microsoft.com/");
        fields.modelUrl = QStringLiteral("http://go.microsoft.com/fwlink/?LinkId=105926");
        fields.dlnaDoc = QStringLiteral("DMS-1.50");
        fields.dlnaCap.clear();
        fields.aggregationFlags.clear();
        break;
    case UpnpClientSignature::PlayStation3:
        if (withHost)
            fields.friendlyName = friendlyName + QStringLiteral(" (") + hostName + QLatin1Char(')');
        fields.dlnaDoc = QStringLiteral("DMS-1.50");
        fields.dlnaCap = QStringLiteral("av-upload,image-upload,audio-upload");
        fields.aggregationFlags = QStringLiteral("10");
        break;
    default:
        if (withHost)
            fields.friendlyName = friendlyName + QStringLiteral(" (") + hostName + QLatin1Char(')');
        break;
    }
    return fields;
}

void UpnpConsoleMediaServer::onAction(const UpnpActionRequest &request,
                                      UpnpActionResponse &response)
{
    if (request.serviceType != registrarType)
        return UpnpMediaServer::onAction(request, response);
    if (request.name == QLatin1String("IsAuthorized") ||
        request.name == QLatin1String("IsValidated")) {
        if (!request.has(QStringLiteral("DeviceID")))
            return response.fail(UpnpError::InvalidArgs, QStringLiteral("Invalid or Missing Args"));
        return response.add(QStringLiteral("Result"), QStringLiteral("1"));
    }
    if (request.name == QLatin1String("RegisterDevice"))
        return response.add(QStringLiteral("RegistrationRespMsg"), QString());
    UpnpMediaServer::onAction(request, response);
}
