#include "library/MetaDataBuilder.h"
#include "core/Logging.h"

#include "library/Library.h"
#include "library/LibrarySchema.h"
#include "library/MetaDataIndex.h"
#include "library/RecursiveMutex.h"

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
            qCWarning(lcLibrary).noquote() << QStringLiteral("MetaDataBuilder::setupTables could not drop "
                                                   "table ") +
                                        name;
        if (!query.exec(table.create))
            qCWarning(lcLibrary).noquote() << QStringLiteral("Library::initDatabase could not make ") + name +
                                        QStringLiteral(" table\n    with error: ") +
                                        query.lastError().text();
    }
}

} // namespace

MetaDataBuilder::MetaDataBuilder(Library *library, const QString &databasePath)
    : m_library(library), m_databasePath(databasePath), m_connectionName(uniqueConnectionName())
{
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
    wait();
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
    wait(); // the previous run may still be returning
    start();
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
            if (!db.open()) {
                qCWarning(lcLibrary) << "MetaDataBuilder::run invalid database connection";
            } else {
                const bool built =
                    full || !m_index ? buildIndex(db) : updateIndex(db, changed);
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
    LibraryLocker locker(m_library->mutex()->mutex());
    m_index.reset();
    db.transaction();

    QSqlQuery rows(db);
    rows.setForwardOnly(true);
    if (!rows.exec(QStringLiteral("SELECT id, dvdTitle, categories, stars FROM library"))) {
        qCWarning(lcLibrary).noquote() << QStringLiteral("MetaDataBuilder::run error, ") +
                                    rows.lastError().text();
        db.commit();
        return false;
    }
    QList<std::pair<qlonglong, MetaDataIndex::Row>> library;
    while (rows.next())
        library.append({rows.value(0).toLongLong(),
                        {rows.value(1).toString(), rows.value(2).toString(),
                         rows.value(3).toString()}});
    rows.finish();

    setupTables(db);
    auto index = std::make_unique<MetaDataIndex>();
    index->attach(db);
    for (const auto &[id, row] : std::as_const(library)) {
        if (isStopping()) {
            // The previous index stays as it was.
            index->detach();
            db.rollback();
            return false;
        }
        if (!index->add(id, row)) {
            qCWarning(lcLibrary).noquote() << index->error();
            index->detach();
            db.commit();
            return false;
        }
    }
    index->detach();
    if (!db.commit()) {
        qCWarning(lcLibrary).noquote() << QStringLiteral("MetaDataBuilder::run could not commit: ") +
                                    db.lastError().text();
        return true;
    }
    m_index = std::move(index);
    return true;
}

bool MetaDataBuilder::updateIndex(QSqlDatabase &db, const QSet<qlonglong> &ids)
{
    LibraryLocker locker(m_library->mutex()->mutex());
    db.transaction();
    QStringList list;
    for (qlonglong id : ids)
        list << QString::number(id);
    QSqlQuery rows(db);
    rows.setForwardOnly(true);
    bool ok = rows.exec(QStringLiteral("SELECT id, dvdTitle, categories, stars FROM library "
                                       "WHERE id IN (%1)")
                            .arg(list.join(QLatin1Char(','))));
    QHash<qlonglong, MetaDataIndex::Row> stored;
    while (ok && rows.next())
        stored.insert(rows.value(0).toLongLong(),
                      {rows.value(1).toString(), rows.value(2).toString(),
                       rows.value(3).toString()});
    rows.finish();
    m_index->attach(db);
    for (auto id = ids.cbegin(); ok && id != ids.cend(); ++id) {
        const auto row = stored.constFind(*id);
        ok = row == stored.cend() ? m_index->remove(*id) : m_index->add(*id, *row);
    }
    m_index->detach();
    if (ok && db.commit())
        return true;
    // What is kept of the index no longer matches the tables: built anew.
    qCWarning(lcLibrary).noquote() << QStringLiteral("MetaDataBuilder: update failed, ") +
                                m_index->error() + rows.lastError().text() +
                                db.lastError().text();
    db.rollback();
    return buildIndex(db);
}
