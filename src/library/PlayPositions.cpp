#include "library/PlayPositions.h"

#include "library/LibraryStore.h"

PlayPositions::PlayPositions(LibraryStore *store, QObject *parent) : QObject(parent), m_store(store)
{
}

void PlayPositions::savePlayPosition(qlonglong id, qint64 positionMs)
{
    if (id < 0)
        return;
    LibraryStore *store = m_store;
    store->post([store, id, positionMs] { store->setPlayPosition(id, positionMs); });
}

void PlayPositions::setWatched(qlonglong id, bool watched)
{
    if (id < 0)
        return;
    LibraryStore *store = m_store;
    store->post([store, id, watched] { store->setWatched(id, watched); });
}
