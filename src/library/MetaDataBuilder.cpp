#include "library/MetaDataBuilder.h"
#include "core/Logging.h"

#include "library/Library.h"
#include "library/LibraryItem.h"
#include "library/LibrarySchema.h"
#include "library/RecursiveMutex.h"

#include <QAtomicInt>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

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

QStringList splitNames(const QString &stored)
{
    QStringList names;
    const QStringList parts =
        LibraryItem::decode(stored).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &part : parts)
        names << part.trimmed();
    return names;
}

// Id of a name in a name table, inserted when new; -1 on failure. Known names
// are remembered for the rest of the build.
class NameTable
{
public:
    NameTable(QSqlDatabase &db, const QString &table, const QString &column)
        : m_insert(db), m_table(table)
    {
        m_insert.prepare(
            QStringLiteral("INSERT OR IGNORE INTO %1 (%2) VALUES(?);").arg(table, column));
    }

    qint64 id(const QString &name)
    {
        const auto known = m_ids.constFind(name);
        if (known != m_ids.cend())
            return *known;
        m_insert.addBindValue(LibraryItem::encode(name));
        if (!m_insert.exec()) {
            m_error = m_insert.lastError().text();
            return -1;
        }
        const QVariant inserted = m_insert.lastInsertId();
        if (!inserted.isValid()) {
            m_error = QStringLiteral("last insert id was invalid (%1)").arg(m_table);
            return -1;
        }
        m_ids.insert(name, inserted.toLongLong());
        return inserted.toLongLong();
    }

    QString error() const { return m_error; }

private:
    QSqlQuery m_insert;
    QString m_table;
    QString m_error;
    QHash<QString, qint64> m_ids;
};

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
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
            db.setDatabaseName(m_databasePath);
            if (!db.open())
                qCWarning(lcLibrary) << "MetaDataBuilder::run invalid database connection";
            else if (buildIndex(db))
                emit update();
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
    db.transaction();

    QSqlQuery rows(db);
    rows.setForwardOnly(true);
    if (!rows.exec(QStringLiteral("SELECT dvdTitle, categories, stars FROM library"))) {
        qCWarning(lcLibrary).noquote() << QStringLiteral("MetaDataBuilder::run error, ") +
                                    rows.lastError().text();
        db.commit();
        return false;
    }
    QList<std::array<QString, 3>> library;
    while (rows.next())
        library.append(
            {rows.value(0).toString(), rows.value(1).toString(), rows.value(2).toString()});
    rows.finish();

    setupTables(db);
    NameTable titles(db, QStringLiteral("dvd_titles"), QStringLiteral("title"));
    NameTable categories(db, QStringLiteral("categories"), QStringLiteral("category"));
    QSqlQuery model(db);
    model.prepare(QStringLiteral("INSERT OR IGNORE INTO models (name) VALUES(?);"));
    QSqlQuery titleModel(db);
    titleModel.prepare(
        QStringLiteral("INSERT OR IGNORE INTO titlesxmodels (title_id, model_id) VALUES(?, ?);"));
    QSqlQuery categoryTitle(db);
    categoryTitle.prepare(QStringLiteral(
        "INSERT OR IGNORE INTO categoriesxtitles (category_id, title_id) VALUES(?, ?);"));
    QSqlQuery categoryModel(db);
    categoryModel.prepare(QStringLiteral(
        "INSERT OR IGNORE INTO categoriesxmodels (category_id, model_id) VALUES(?, ?);"));

    auto fail = [&db](const QString &what, const QSqlQuery &query) {
        qCWarning(lcLibrary).noquote() << what + query.lastError().text();
        db.commit();
        return false;
    };

    for (const auto &row : std::as_const(library)) {
        if (isStopping()) {
            // The previous index stays as it was.
            db.rollback();
            return false;
        }
        const qint64 titleId = titles.id(LibraryItem::decode(row[0]).trimmed());
        if (titleId < 0)
            qCWarning(lcLibrary).noquote() << QStringLiteral("MetaDataBuilder::titleId there was an error "
                                                   "(dvd_titles) ") +
                                        titles.error();

        QList<qint64> modelIds;
        for (const QString &name : splitNames(row[2])) {
            model.addBindValue(LibraryItem::encode(name));
            if (!model.exec())
                return fail(QStringLiteral("MetaDataThread::run there was an error (models): "),
                            model);
            modelIds << model.lastInsertId().toLongLong();
        }
        QList<qint64> categoryIds;
        for (const QString &name : splitNames(row[1])) {
            if (name.isEmpty()) {
                qCWarning(lcLibrary).noquote() << QStringLiteral("MetaDataBuilder::categoryId invalid "
                                                       "category: ") +
                                            name;
                continue;
            }
            const qint64 id = categories.id(name);
            if (id < 0)
                qCWarning(lcLibrary).noquote() << QStringLiteral("MetaDataBuilder::categoryId there was an "
                                                       "error: ") +
                                            categories.error();
            else
                categoryIds << id;
        }

        for (qint64 modelId : std::as_const(modelIds)) {
            titleModel.addBindValue(titleId);
            titleModel.addBindValue(modelId);
            if (!titleModel.exec())
                return fail(QStringLiteral("MetaDataThread::run there was an error "
                                           "(titlesxmodels): "),
                            titleModel);
        }
        for (qint64 categoryId : std::as_const(categoryIds)) {
            categoryTitle.addBindValue(categoryId);
            categoryTitle.addBindValue(titleId);
            if (!categoryTitle.exec())
                return fail(QStringLiteral("MetaDataThread::run there was an error "
                                           "(categoriesxtitles): "),
                            categoryTitle);
            for (qint64 modelId : std::as_const(modelIds)) {
                categoryModel.addBindValue(categoryId);
                categoryModel.addBindValue(modelId);
                if (!categoryModel.exec())
                    return fail(QStringLiteral("MetaDataThread::run there was an error "
                                               "(categoriesxmodels): "),
                                categoryModel);
            }
        }
    }
    if (!db.commit())
        qCWarning(lcLibrary).noquote() << QStringLiteral("MetaDataBuilder::run could not commit: ") +
                                    db.lastError().text();
    return true;
}
