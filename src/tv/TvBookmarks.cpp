#include "tv/TvBookmarks.h"

#include "core/Logging.h"
#include "library/LibraryStore.h"
#include "tv/MediaNodeInfo.h"
#include "tv/upnp/UpnpAction.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSqlQuery>
#include <QVariant>

namespace {

// Kept within the length; 0 once in the watched zone ("watched to the end").
qint64 placeWithin(qint64 positionMs, qint64 lengthMs, bool *inZone)
{
    qint64 position = qMax(qint64(0), positionMs);
    *inZone = false;
    if (lengthMs > 0) {
        position = qMin(position, lengthMs);
        *inZone = position > 0 && position >= lengthMs - LibraryStore::watchedZoneMs(lengthMs);
    }
    return *inZone ? 0 : position;
}

} // namespace

TvBookmarks::TvBookmarks(const QString &ownStorePath) : m_ownStorePath(ownStorePath)
{
    loadOwn();
}

TvBookmarks::Client &TvBookmarks::clientLocked(const QString &client)
{
    auto found = m_clients.find(client);
    if (found == m_clients.end()) {
        // Far more clients than a home has: forget them all rather than grow.
        if (m_clients.size() >= 1000)
            m_clients.clear();
        found = m_clients.insert(client, Client());
        found->refill.start();
    }
    return *found;
}

bool TvBookmarks::takeToken(Client &client)
{
    client.tokens =
        qMin(double(kBurst), client.tokens + double(client.refill.restart()) / double(kRefillMs));
    if (client.tokens < 1)
        return false;
    client.tokens -= 1;
    return true;
}

void TvBookmarks::refuse(Client &client, const QString &clientName, const QString &reason) const
{
    if (client.loggedRefusals.contains(reason))
        return;
    client.loggedRefusals.insert(reason);
    qCWarning(lcTv).noquote() << "TvBookmarks: refused a bookmark of" << clientName << "-" << reason
                              << "(further ones are not logged)";
}

int TvBookmarks::tokensOf(const QString &client)
{
    QMutexLocker locker(&m_lock);
    Client &state = clientLocked(client);
    return int(
        qMin(double(kBurst), state.tokens + double(state.refill.elapsed()) / double(kRefillMs)));
}

void TvBookmarks::notePlay(const QString &client, const QString &path)
{
    QMutexLocker locker(&m_lock);
    ++clientLocked(client).plays[QFileInfo(path).absoluteFilePath()].current;
}

int TvBookmarks::set(const UpnpBookmarkRequest &request, const MediaNodeInfo &node)
{
    {
        QMutexLocker locker(&m_lock);
        Client &client = clientLocked(request.client);
        if (!request.bookmarks) {
            refuse(client, request.client, QStringLiteral("the client does not keep bookmarks"));
            return UpnpError::InvalidAction;
        }
        if (!takeToken(client)) {
            refuse(client, request.client, QStringLiteral("too many bookmarks in a short time"));
            return UpnpError::ActionFailed;
        }
    }
    const QString path = QFileInfo(node.path).absoluteFilePath();
    const qint64 positionMs = qint64(request.seconds) * 1000;
    const qint64 lengthMs = qMax(qint64(0), qint64(node.durationMs));
    bool notInLibrary = true;
    if (m_store) {
        const int error = writeToLibrary(request.client, path, positionMs, lengthMs, &notInLibrary);
        if (!notInLibrary)
            return error;
    }
    writeOwn(path, positionMs, lengthMs);
    return 0;
}

int TvBookmarks::writeToLibrary(const QString &client, const QString &path, qint64 positionMs,
                                qint64 lengthMs, bool *notInLibrary)
{
    LibraryStore *store = m_store;
    // The store's thread writes; this server thread waits for the answer.
    return store->call([&, store]() -> int {
        const qlonglong id = store->idOfVideo(path);
        *notInLibrary = id < 0;
        if (id < 0)
            return 0;
        qint64 length = lengthMs;
        QSqlQuery query(store->connection());
        query.prepare(QStringLiteral("SELECT mediaLengthInSecs FROM library WHERE id=?"));
        query.addBindValue(id);
        if (query.exec() && query.next() && query.value(0).toLongLong() > 0)
            length = query.value(0).toLongLong() * 1000;
        bool inZone = false;
        const qint64 place = placeWithin(positionMs, length, &inZone);
        bool count = false;
        if (inZone) {
            QMutexLocker locker(&m_lock);
            Play &play = clientLocked(client).plays[path];
            count = play.counted != play.current;
            play.counted = play.current;
        }
        const bool stored = count ? store->setWatched(id, true) : store->setPlayPosition(id, place);
        return stored ? 0 : int(UpnpError::ActionFailed);
    });
}

void TvBookmarks::writeOwn(const QString &path, qint64 positionMs, qint64 lengthMs)
{
    bool inZone = false;
    const qint64 place = placeWithin(positionMs, lengthMs, &inZone);
    QMutexLocker locker(&m_lock);
    m_ownOrder.removeOne(path);
    if (place > 0) {
        m_own.insert(path, place);
        m_ownOrder.append(path);
        while (m_ownOrder.size() > kMaxOwnPlaces)
            m_own.remove(m_ownOrder.takeFirst());
    } else {
        m_own.remove(path);
    }
    saveOwnLocked();
}

QHash<QString, qint64> TvBookmarks::positionsOf(const QStringList &paths) const
{
    QHash<QString, qint64> positions;
    if (m_store) {
        LibraryStore *store = m_store;
        positions = store->call([store, &paths] { return store->playPositionsOf(paths); });
    }
    QMutexLocker locker(&m_lock);
    for (const QString &path : paths) {
        if (!positions.contains(path))
            positions.insert(path, m_own.value(path, 0));
    }
    return positions;
}

void TvBookmarks::loadOwn()
{
    if (m_ownStorePath.isEmpty())
        return;
    QFile file(m_ownStorePath);
    // Our own small file; anything larger is not ours to read.
    if (!file.open(QIODevice::ReadOnly) || file.size() > 1024 * 1024)
        return;
    const QJsonObject places = QJsonDocument::fromJson(file.readAll()).object();
    for (auto it = places.begin(); it != places.end() && m_own.size() < kMaxOwnPlaces; ++it) {
        const qint64 place = it.value().toInteger();
        if (place > 0) {
            m_own.insert(it.key(), place);
            m_ownOrder.append(it.key());
        }
    }
}

void TvBookmarks::saveOwnLocked() const
{
    if (m_ownStorePath.isEmpty())
        return;
    QJsonObject places;
    for (auto it = m_own.cbegin(); it != m_own.cend(); ++it)
        places.insert(it.key(), it.value());
    QSaveFile file(m_ownStorePath);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(places).toJson(QJsonDocument::Compact)) < 0 || !file.commit())
        qCWarning(lcTv).noquote() << "TvBookmarks: can't save" << m_ownStorePath
                                  << file.errorString();
}
