#include "library/MetaDataBuilder.h"
#include "core/Logging.h"

#include "library/LibrarySchema.h"
#include "library/LibraryStore.h"
#include "library/MetaDataIndex.h"

#include <QAtomicInt>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

#include <utility>

namespace {

struct TableSpec
{
    const char *name;
    QLatin1StringView create;
};

const TableSpec kTables[] = {
    {"categories", LibrarySchema::createCategories},
    {"models", LibrarySchema::createModels},
    {"dvd_titles", LibrarySchema::createDvdTitles},
    {"categoriesxmodels", LibrarySchema::createCategoriesXModels},
    {"categoriesxtitles", LibrarySchema::createCategoriesXTitles},
    {"titlesxmodels", LibrarySchema::createTitlesXModels},
};

QString uniqueConnectionName()
{
    static QAtomicInt counter;
    const int n = counter.fetchAndAddRelaxed(1);
    return n == 0 ? QStringLiteral("metaDatabase") : QStringLiteral("metaDatabase-%1").arg(n);
}

void setupTables(QSqlDatabase &db)
{
    const QStringList existing = db.tables(QSql::Tables);
    QSqlQuery query(db);
    for (const TableSpec &table : kTables) {
        const QString name = QLatin1String(table.name);
        if (existing.contains(name) && !query.exec(QStringLiteral("drop table ") + name))
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("MetaDataBuilder::setupTables could not drop "
                                  "table ") +
                       name;
        if (!query.exec(table.create))
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("Library::initDatabase could not make ") + name +
                       QStringLiteral(" table\n    with error: ") + query.lastError().text();
    }
}

} // namespace

MetaDataBuilder::MetaDataBuilder(LibraryStore *store, const QString &databasePath)
    : m_store(store), m_databasePath(databasePath), m_connectionName(uniqueConnectionName()),
      m_jobs(QStringLiteral("index"), store->tasks())
{
}

void MetaDataBuilder::setBuildGate(std::function<void()> gate)
{
    QMutexLocker locker(&m_mutex);
    m_gate = std::move(gate);
}

bool MetaDataBuilder::begin(QSqlDatabase &db)
{
    // The write lock from the start: the store's writes wait for this
    // transaction rather than fail inside their own.
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return true;
    qCWarning(lcLibrary).noquote()
        << QStringLiteral("MetaDataBuilder: can't open transaction: ") + query.lastError().text();
    return false;
}

MetaDataBuilder::~MetaDataBuilder()
{
    stop();
}

void MetaDataBuilder::stop()
{
    {
        QMutexLocker locker(&m_mutex);
        m_stop = true;
        m_again = false;
    }
    m_jobs.finish();
}

bool MetaDataBuilder::isStopping() const
{
    QMutexLocker locker(&m_mutex);
    return m_stop;
}

bool MetaDataBuilder::isBuilding() const
{
    QMutexLocker locker(&m_mutex);
    return m_running;
}

void MetaDataBuilder::build()
{
    {
        QMutexLocker locker(&m_mutex);
        m_full = true;
    }
    request();
}

void MetaDataBuilder::updateRows(const QList<qlonglong> &ids)
{
    if (ids.isEmpty())
        return;
    {
        QMutexLocker locker(&m_mutex);
        m_changed.unite(QSet<qlonglong>(ids.cbegin(), ids.cend()));
    }
    request();
}

void MetaDataBuilder::request()
{
    QMutexLocker locker(&m_mutex);
    if (m_stop)
        return;
    if (m_running) {
        m_again = true;
        return;
    }
    m_running = true;
    m_jobs.post([this] { run(); });
}

void MetaDataBuilder::run()
{
    for (;;) {
        bool full;
        QSet<qlonglong> changed;
        {
            QMutexLocker locker(&m_mutex);
            full = std::exchange(m_full, false);
            changed.swap(m_changed);
        }
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
            db.setDatabaseName(m_databasePath);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=60000"));
            if (!db.open()) {
                qCWarning(lcLibrary) << "MetaDataBuilder::run invalid database connection";
            } else {
                const bool built = full || !m_index ? buildIndex(db) : updateIndex(db, changed);
                if (built)
                    emit update();
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connectionName);

        // A build asked for meanwhile runs now; the check and the end of the
        // loop are one step, so no request falls between them.
        QMutexLocker locker(&m_mutex);
        if (!m_again || m_stop) {
            m_again = false;
            m_running = false;
            return;
        }
        m_again = false;
    }
}

bool MetaDataBuilder::buildIndex(QSqlDatabase &db)
{
    m_index.reset();
    // The library rows come from the store (a short read there); the index
    // tables, derived data, are written here on this thread's connection.
    bool read = false;
    const LibraryStore::Rows library =
        m_store->call([store = m_store, &read] { return store->metaDataRows({}, &read); });
    if (!read)
        return false;
    if (!begin(db))
        return false;
    setupTables(db);
    auto index = std::make_unique<MetaDataIndex>();
    index->attach(db);
    std::function<void()> gate;
    {
        QMutexLocker locker(&m_mutex);
        gate = m_gate;
    }
    const qsizetype middle = library.size() / 2;
    for (qsizetype i = 0; i < library.size(); ++i) {
        if (i == middle && gate)
            gate();
        if (isStopping()) {
            // The previous index stays as it was.
            index->detach();
            db.rollback();
            return false;
        }
        const LibraryStore::Row &row = library.at(i);
        if (!index->add(row.at(0).toLongLong(),
                        {row.at(1).toString(), row.at(2).toString(), row.at(3).toString()})) {
            qCWarning(lcLibrary).noquote() << index->error();
            index->detach();
            db.commit();
            return false;
        }
    }
    index->detach();
    if (!db.commit()) {
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("MetaDataBuilder::run could not commit: ") + db.lastError().text();
        return true;
    }
    m_index = std::move(index);
    return true;
}

bool MetaDataBuilder::updateIndex(QSqlDatabase &db, const QSet<qlonglong> &ids)
{
    bool ok = false;
    const QList<qlonglong> wanted(ids.cbegin(), ids.cend());
    const LibraryStore::Rows rows =
        m_store->call([store = m_store, &wanted, &ok] { return store->metaDataRows(wanted, &ok); });
    QHash<qlonglong, MetaDataIndex::Row> stored;
    for (const LibraryStore::Row &row : rows)
        stored.insert(row.at(0).toLongLong(),
                      {row.at(1).toString(), row.at(2).toString(), row.at(3).toString()});
    ok = ok && begin(db);
    if (ok) {
        m_index->attach(db);
        for (auto id = ids.cbegin(); ok && id != ids.cend(); ++id) {
            const auto row = stored.constFind(*id);
            ok = row == stored.cend() ? m_index->remove(*id) : m_index->add(*id, *row);
        }
        m_index->detach();
    }
    if (ok && db.commit())
        return true;
    // What is kept of the index no longer matches the tables: built anew.
    qCWarning(lcLibrary).noquote() << QStringLiteral("MetaDataBuilder: update failed, ") +
                                          m_index->error() + db.lastError().text();
    db.rollback();
    return buildIndex(db);
}
