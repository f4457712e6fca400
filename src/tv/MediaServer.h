#pragma once

#include "tv/upnp/UpnpConsoleMediaServer.h"

// The program's media server device, "LumiqoTV".
class MediaServer : public UpnpConsoleMediaServer
{
    Q_OBJECT

public:
    explicit MediaServer(const QString &name = QStringLiteral("LumiqoTV"),
                         QObject *parent = nullptr);

protected:
    void setupIcons() override;
};
