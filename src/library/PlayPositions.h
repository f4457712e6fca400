#pragma once

#include <QObject>

class LibraryStore;

// Where playback of each library video stopped and how often it was watched
// to the end: written through the store (queued), read back from the rows.
class PlayPositions : public QObject
{
    Q_OBJECT

public:
    // `store` must outlive the jobs queued here.
    explicit PlayPositions(LibraryStore *store, QObject *parent = nullptr);

    // Remembers where playback stopped (0 clears it); queued to the store.
    void savePlayPosition(qlonglong id, qint64 positionMs);
    // Marks a video watched to the end (its position cleared) or not watched.
    void setWatched(qlonglong id, bool watched);

private:
    LibraryStore *m_store;
};
