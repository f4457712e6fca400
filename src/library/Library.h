#pragma once

#include "library/LibraryLocation.h"

#include <QObject>
#include <QString>

#include <memory>

class ImportController;
class IntegrityChecker;
class LibraryEdits;
class LibraryModel;
class LibraryRemoval;
class LibraryStore;
class MetaDataBuilder;
class PlayPositions;
class TaskTracker;

// The one process-wide library of videos: a small root that owns its parts
// and wires them. The model is the window's copy of the rows; imports,
// removals, play positions and edits each go through the store; the index
// builder and the integrity checker are jobs that talk to the store.
class Library : public QObject
{
    Q_OBJECT

public:
    // A library at `location` with a store of its own on its database file.
    explicit Library(const LibraryLocation &location, QObject *parent = nullptr);
    // A library at `location` over `store` (not owned; it must outlive the
    // library).
    Library(LibraryStore *store, const LibraryLocation &location, QObject *parent = nullptr);
    ~Library() override;

    const LibraryLocation &location() const { return m_location; }
    LibraryStore *store() const { return m_store; }
    LibraryModel *model() const { return m_model; }
    ImportController *imports() const { return m_imports; }
    LibraryRemoval *removal() const { return m_removal; }
    PlayPositions *positions() const { return m_positions; }
    LibraryEdits *edits() const { return m_edits; }
    MetaDataBuilder *metaDataBuilder() const { return m_metaDataBuilder; }
    IntegrityChecker *integrityChecker() const { return m_integrityChecker; }

    // Starts the check of the library folder against the table.
    void startIntegrityCheck();
    // What runs in the library's parts: copies, imports, the integrity
    // check, an index build, rows leaving the model, store jobs.
    TaskTracker *tasks() const;
    bool isBusy() const;

Q_SIGNALS:
    // Rows, counters or lists may have changed.
    void updated();

public Q_SLOTS:
    // Stops the workers (once): the program is closing.
    void lastWindowClosed();

private:
    Library(std::unique_ptr<LibraryStore> ownStore, LibraryStore *sharedStore,
            const LibraryLocation &location, QObject *parent);
    bool stopWorkers();

    const LibraryLocation m_location;
    std::unique_ptr<LibraryStore> m_ownStore;
    LibraryStore *m_store;
    LibraryModel *m_model;
    MetaDataBuilder *m_metaDataBuilder;
    IntegrityChecker *m_integrityChecker;
    ImportController *m_imports;
    LibraryRemoval *m_removal;
    PlayPositions *m_positions;
    LibraryEdits *m_edits;
    bool m_closed = false;
};
