#pragma once

#include "tv/upnp/UpnpMediaServerDelegate.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>

class LibraryStore;
struct MediaNodeInfo;

// Where televisions keep their places. A library video's place and watched
// count live in the library; a served file the library does not hold has
// its place in a small store of our own. Only clients that speak bookmarks
// may write, each at a bounded rate, and a video counts as watched at most
// once per play of a client (a play begins with a request for the file from
// its start). Called on the server's threads.
class TvBookmarks
{
public:
    // Places kept for files outside the library; the oldest go first.
    static constexpr int kMaxOwnPlaces = 500;
    // Each client may write this many places at once, then one per interval.
    static constexpr int kBurst = 5;
    static constexpr qint64 kRefillMs = 10000;

    // `ownStorePath`: the file of our own places (empty: kept in memory only).
    explicit TvBookmarks(const QString &ownStorePath = QString());

    void setLibraryStore(LibraryStore *store) { m_store = store; }
    // X_SetBookmark: 0 or the UPnP error to answer with.
    int set(const UpnpBookmarkRequest &request, const MediaNodeInfo &node);
    // The client began playing the file.
    void notePlay(const QString &client, const QString &path);
    // The stored places (ms) of these files, by absolute path.
    QHash<QString, qint64> positionsOf(const QStringList &paths) const;
    // Places this client may still write at once (for diagnostics and tests).
    int tokensOf(const QString &client);

private:
    // The number of a client's current play of a file, and of the play
    // that counted as watched (-1: none yet).
    struct Play
    {
        int current = 0;
        int counted = -1;
    };
    struct Client
    {
        double tokens = kBurst;
        QElapsedTimer refill;
        QSet<QString> loggedRefusals;
        QHash<QString, Play> plays; // by file
    };

    Client &clientLocked(const QString &client);
    bool takeToken(Client &client);
    void refuse(Client &client, const QString &clientName, const QString &reason) const;
    int writeToLibrary(const QString &client, const QString &path, qint64 positionMs,
                       qint64 lengthMs, bool *notInLibrary);
    void writeOwn(const QString &path, qint64 positionMs, qint64 lengthMs);
    void loadOwn();
    void saveOwnLocked() const;

    LibraryStore *m_store = nullptr;
    QString m_ownStorePath;
    mutable QMutex m_lock;
    QHash<QString, Client> m_clients;
    QHash<QString, qint64> m_own;
    QStringList m_ownOrder; // oldest first
};
