#pragma once

#include "tv/upnp/UpnpMediaServer.h"

// A media server that Windows Media clients and game consoles accept: it adds
// the media receiver registrar and shows each kind of client the description
// fields it expects.
class UpnpConsoleMediaServer : public UpnpMediaServer
{
    Q_OBJECT

public:
    static const QString registrarType;

    explicit UpnpConsoleMediaServer(const QString &name, QObject *parent = nullptr);

    bool addHostName = false;
    // Defaults to the machine's host name.
    QString hostName;

protected:
    void setupServices() override;
    UpnpDeviceData descriptionFields(int clientSignature) const override;
    void onAction(const UpnpActionRequest &request, UpnpActionResponse &response) override;
};
