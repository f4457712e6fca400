#include "tv/LumiqoTv.h"

#include "library/LibraryLocation.h"
#include "tv/MediaModel.h"
#include "tv/MediaServer.h"
#include "tv/ServerDelegate.h"

LumiqoTv::LumiqoTv(const QString &friendlyName, const LibraryLocation &library,
                   UpnpEngine::Mode mode, QObject *parent)
    : QObject(parent), m_engine(std::make_unique<UpnpEngine>(1900, mode)),
      m_model(std::make_unique<MediaModel>()),
      m_delegate(std::make_unique<ServerDelegate>(library.cacheFolder() +
                                                  QStringLiteral("/tv-bookmarks.json"))),
      m_server(QSharedPointer<MediaServer>::create(friendlyName))
{
    m_model->setRoot(library.folder());
    m_delegate->setMediaModel(m_model.get());
    m_server->setDelegate(m_delegate.get());
    // Clients that cache by update id hear of a folder's change at once.
    MediaServer *server = m_server.get();
    connect(server, &UpnpDeviceHost::stopped, this, &LumiqoTv::stopped);
    connect(
        m_model.get(), &MediaModel::folderChanged, server,
        [server](const QString &objectId) { server->containerChanged(objectId); },
        Qt::DirectConnection);
}

LumiqoTv::~LumiqoTv()
{
    // Answers waiting for probes go on at once: the end does not wait for them.
    m_model->releaseWaits();
    if (m_running) {
        if (m_deviceAdded)
            m_engine->removeDevice(m_server);
        m_engine->stop();
    }
    // The server's threads, those of earlier stops too, are gone before the
    // delegate and the tree go.
    m_server->stop();
}

bool LumiqoTv::isStopping() const
{
    return m_server->isStopping();
}

void LumiqoTv::toggleServerStatus()
{
    if (m_running) {
        // The window's thread never waits for an answer in progress (a
        // Browse may wait seconds for probes): they end in the background.
        m_engine->stopInBackground();
        m_running = false;
        return;
    }
    m_engine->start();
    if (!m_deviceAdded) {
        m_engine->addDevice(m_server);
        m_deviceAdded = true;
    }
    m_running = true;
}

void LumiqoTv::setLibraryStore(LibraryStore *store)
{
    m_delegate->setLibraryStore(store);
}
