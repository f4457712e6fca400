#pragma once

#include "tv/upnp/UpnpEngine.h"

#include <QObject>
#include <QSharedPointer>

#include <memory>

class LibraryLocation;
class LibraryStore;
class MediaModel;
class MediaServer;
class ServerDelegate;

// The switch of the home-network media server over the library folder.
class LumiqoTv : public QObject
{
    Q_OBJECT

public:
    // Serves the folder of `library` (and keeps the TVs' bookmarks in its
    // cache folder) as `friendlyName`; a headless server may go without SSDP.
    LumiqoTv(const QString &friendlyName, const LibraryLocation &library,
             UpnpEngine::Mode mode = UpnpEngine::Multicast, QObject *parent = nullptr);
    ~LumiqoTv() override;

    bool isRunning() const { return m_running; }
    // A stop's answers still running in the background.
    bool isStopping() const;
    bool isDeviceAdded() const { return m_deviceAdded; }
    MediaServer *server() const { return m_server.get(); }
    UpnpEngine *engine() const { return m_engine.get(); }
    MediaModel *model() const { return m_model.get(); }
    ServerDelegate *delegate() const { return m_delegate.get(); }
    // Where TVs read and keep their play positions (the library's store,
    // which must outlive the server); set before the server starts.
    void setLibraryStore(LibraryStore *store);

public Q_SLOTS:
    // Starts or stops the server; a stop returns at once and stopped()
    // tells when the last answer has ended.
    void toggleServerStatus();

Q_SIGNALS:
    void stopped();

private:
    std::unique_ptr<UpnpEngine> m_engine;
    std::unique_ptr<MediaModel> m_model;
    std::unique_ptr<ServerDelegate> m_delegate;
    QSharedPointer<MediaServer> m_server;
    bool m_running = false;
    bool m_deviceAdded = false;
};
