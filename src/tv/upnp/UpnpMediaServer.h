#pragma once

#include "tv/upnp/UpnpDeviceHost.h"
#include "tv/upnp/UpnpMediaServerDelegate.h"

#include <QMutex>

#include <atomic>

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
    // Any thread: the container's content changed. SystemUpdateID grows and
    // the subscribers hear it with the container's new update id.
    void containerChanged(const QString &containerId);

protected:
    void setupServices() override;
    void onAction(const UpnpActionRequest &request, UpnpActionResponse &response) override;
    bool processFileRequest(const UpnpHttpRequest &request, UpnpHttpResponse &response) override;
    QString scpdFor(const UpnpService &service, const UpnpHttpRequest &request) const override;

private:
    void setBookmark(const UpnpActionRequest &request, UpnpActionResponse &response);
    void browse(const UpnpActionRequest &request, UpnpActionResponse &response);
    void search(const UpnpActionRequest &request, UpnpActionResponse &response);
    bool readCommon(const UpnpActionRequest &request, const QString &idArgument,
                    UpnpBrowseRequest *browse) const;
    void answer(int error, const UpnpBrowseResult &result, UpnpActionResponse &response) const;

    UpnpMediaServerDelegate *m_delegate = nullptr;
    QMutex m_updateLock; // events leave in the order of their ids
    std::atomic<quint32> m_systemUpdateId{1};
};
