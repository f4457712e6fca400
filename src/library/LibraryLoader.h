#pragma once

#include "library/LibrarySortOrder.h"
#include "library/LibraryStore.h"

#include <QObject>

// Reads the `library` table for the window: every stored guid first, then a
// screenful of rows, then the rest in pieces, each a store job of its own so
// that other jobs queued meanwhile go first. What it reads comes back on the
// loader's thread by signals, tagged with the caller's generation.
class LibraryLoader : public QObject
{
    Q_OBJECT

public:
    // Rows of the first piece (more than a screen shows), and of each after.
    static constexpr qsizetype FirstRows = 100;
    static constexpr qsizetype RowsPerPiece = 2000;

    // `store` must outlive the loader's jobs (the library drains it first).
    LibraryLoader(LibraryStore *store, QObject *parent);

    // Starts a read in `order`; its signals carry `generation`.
    void read(const LibrarySortOrder &order, int generation);
    // Every row at once, waiting for the store (zelta-cli).
    LibraryStore::Rows readAll(const LibrarySortOrder &order);

Q_SIGNALS:
    void guidsRead(LibraryStore::Guids guids, int generation);
    void rowsRead(LibraryStore::Rows rows, bool first, bool last, int generation);

private:
    void readRest(const LibrarySortOrder &order, int generation, const QSet<qlonglong> &taken);

    LibraryStore *m_store;
};
