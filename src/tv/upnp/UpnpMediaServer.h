#pragma once

#include "tv/upnp/UpnpDeviceHost.h"
#include "tv/upnp/UpnpMediaServerDelegate.h"

// A MediaServer:1 device with ContentDirectory and ConnectionManager, whose
// content comes from a delegate.
class UpnpMediaServer : public UpnpDeviceHost
{
    Q_OBJECT

public:
    static const QString contentDirectoryType;
    static const QString connectionManagerType;

    explicit UpnpMediaServer(const QString &name, QObject *parent = nullptr);

    // Not owned; must outlive the running server.
    void setDelegate(UpnpMediaServerDelegate *delegate);
    UpnpMediaServerDelegate *delegate() const { return m_delegate; }

    quint32 systemUpdateId() const { return m_systemUpdateId; }

protected:
    void setupServices() override;
    void onAction(const UpnpActionRequest &request, UpnpActionResponse &response) override;
    bool processFileRequest(const UpnpHttpRequest &request, UpnpHttpResponse &response) override;

private:
    void browse(const UpnpActionRequest &request, UpnpActionResponse &response);
    void search(const UpnpActionRequest &request, UpnpActionResponse &response);
    bool readCommon(const UpnpActionRequest &request, const QString &idArgument,
                    UpnpBrowseRequest *browse) const;
    void answer(int error, const UpnpBrowseResult &result, UpnpActionResponse &response) const;

    UpnpMediaServerDelegate *m_delegate = nullptr;
    quint32 m_systemUpdateId = 1;
};
