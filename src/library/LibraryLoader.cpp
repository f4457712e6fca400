#include "library/LibraryLoader.h"

#include <utility>

LibraryLoader::LibraryLoader(LibraryStore *store, QObject *parent) : QObject(parent), m_store(store)
{
}

void LibraryLoader::read(const LibrarySortOrder &order, int generation)
{
    LibraryStore *store = m_store;
    LibraryLoader *self = this;
    store->post([store, order, generation, self] {
        // The guids first, so the window answers "already in the library?"
        // before even the first rows are read.
        LibraryStore::Guids guids;
        store->readGuids(&guids);
        QMetaObject::invokeMethod(self, [self, guids = std::move(guids), generation]() mutable {
            emit self->guidsRead(std::move(guids), generation);
        });
        store->post([store, order, generation, self] {
            LibraryStore::Rows first;
            const bool read =
                store->readFirstPiece(order.column(), order.order(), FirstRows, &first);
            const bool last = !read || first.size() < FirstRows;
            const QSet<qlonglong> taken = LibraryStore::idsOf(first);
            QMetaObject::invokeMethod(
                self, [self, first = std::move(first), last, generation]() mutable {
                    emit self->rowsRead(std::move(first), true, last, generation);
                });
            if (last) {
                store->ensureIndexes();
                return;
            }
            self->readRest(order, generation, taken);
        });
    });
}

void LibraryLoader::readRest(const LibrarySortOrder &order, int generation,
                             const QSet<qlonglong> &taken)
{
    // Runs on the store's thread: the rest goes in a job of its own.
    LibraryStore *store = m_store;
    LibraryLoader *self = this;
    store->post([store, order, generation, self, taken] {
        store->readPieces(order.column(), order.order(), taken, RowsPerPiece,
                          [generation, self](LibraryStore::Rows &&rows, bool last) {
                              QMetaObject::invokeMethod(
                                  self, [self, rows = std::move(rows), last, generation]() mutable {
                                      emit self->rowsRead(std::move(rows), false, last, generation);
                                  });
                          });
        store->ensureIndexes();
    });
}

LibraryStore::Rows LibraryLoader::readAll(const LibrarySortOrder &order)
{
    LibraryStore *store = m_store;
    return store->call([store, order] {
        LibraryStore::Rows read;
        store->readAll(&read, order.column(), order.order());
        return read;
    });
}
