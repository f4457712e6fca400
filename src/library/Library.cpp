#include "library/Library.h"

#include "library/ImportController.h"
#include "library/ImportSession.h"
#include "library/IntegrityChecker.h"
#include "library/LibraryEdits.h"
#include "library/LibraryModel.h"
#include "library/LibraryRemoval.h"
#include "library/LibraryStore.h"
#include "library/MetaDataBuilder.h"
#include "library/PlayPositions.h"
#include "library/VideoImporter.h"

Library::Library(const LibraryLocation &location, QObject *parent)
    : Library(std::make_unique<LibraryStore>(location.databaseFile()), nullptr, location, parent)
{
}

Library::Library(LibraryStore *store, const LibraryLocation &location, QObject *parent)
    : Library(nullptr, store, location, parent)
{
}

Library::Library(std::unique_ptr<LibraryStore> ownStore, LibraryStore *sharedStore,
                 const LibraryLocation &location, QObject *parent)
    : QObject(parent), m_location(location), m_ownStore(std::move(ownStore)),
      m_store(m_ownStore ? m_ownStore.get() : sharedStore),
      m_model(new LibraryModel(m_store, this)),
      m_metaDataBuilder(new MetaDataBuilder(m_store, m_location.databaseFile())),
      m_integrityChecker(new IntegrityChecker(m_store, m_location, this))
{
    m_metaDataBuilder->setParent(this);
    m_imports = new ImportController(m_store, m_location, m_metaDataBuilder, this);
    m_removal = new LibraryRemoval(m_store, m_location, m_model, m_metaDataBuilder, this);
    m_positions = new PlayPositions(m_store, this);
    m_edits = new LibraryEdits(m_store, m_model, m_metaDataBuilder, this);

    connect(m_integrityChecker, &IntegrityChecker::finished, m_metaDataBuilder,
            &MetaDataBuilder::build);
    connect(m_integrityChecker, &IntegrityChecker::filesFound, m_imports,
            qOverload<const LibraryItems &>(&ImportController::importItems), Qt::QueuedConnection);
    connect(m_integrityChecker, &IntegrityChecker::rowsRemoved, this, &Library::updated,
            Qt::QueuedConnection);
    connect(m_model, &LibraryModel::updated, this, &Library::updated);
    connect(m_imports, &ImportController::updated, this, &Library::updated);
    connect(m_removal, &LibraryRemoval::updated, this, &Library::updated);
}

Library::~Library()
{
    stopWorkers();
    if (m_ownStore) {
        // The store goes before the workers' objects, which no longer use it.
        m_ownStore.reset();
        return;
    }
    // A store that stays: the jobs this library queued finish before its
    // parts go.
    m_store->drain();
}

TaskTracker *Library::tasks() const
{
    return m_store->tasks();
}

bool Library::isBusy() const
{
    return !m_store->tasks()->isIdle();
}

void Library::startIntegrityCheck()
{
    if (!m_closed)
        m_integrityChecker->start();
}

bool Library::stopWorkers()
{
    if (m_closed)
        return false;
    m_closed = true;
    m_integrityChecker->stop();
    m_metaDataBuilder->stop();
    m_imports->stop();
    m_removal->finish();
    return true;
}

void Library::lastWindowClosed()
{
    stopWorkers();
}
