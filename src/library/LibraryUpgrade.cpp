// Table creation and the migrations of older library files, run by the
// library store on its own thread and connection.
#include "library/LibraryUpgrade.h"
#include "core/Logging.h"

#include "library/LibraryItem.h"
#include "library/LibrarySchema.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMap>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QUrl>
#include <QtDebug>

#include <utility>

namespace {

// Runs one statement of a migration; false (with a log line) when it fails.
bool execMigrationStatement(QSqlDatabase &db, const QString &statement, const char *where,
                            QString *error = nullptr)
{
    QSqlQuery query(db);
    if (query.exec(statement))
        return true;
    if (error)
        *error = query.lastError().text();
    qCWarning(lcLibrary).noquote()
        << QStringLiteral("%1 statement failed: ").arg(QLatin1String(where)) + statement;
    qCWarning(lcLibrary).noquote() << QStringLiteral("    with error: ") + query.lastError().text();
    return false;
}

QString encodedColumn(const QSqlQuery &query, int column)
{
    return LibraryItem::encode(QString::fromUtf8(query.value(column).toByteArray()));
}

} // namespace

LibraryUpgrade::LibraryUpgrade(const QSqlDatabase &db) : m_db(db) {}

bool LibraryUpgrade::run()
{
    m_problem.clear();
    QSqlDatabase &db = m_db;
    QMap<QString, QString> statements;
    statements.insert(QStringLiteral("library"), LibrarySchema::createLibrary);
    statements.insert(QStringLiteral("downloads"), LibrarySchema::createDownloads);

    if (!db.record(QStringLiteral("downloads")).contains(QStringLiteral("downloadPath"))) {
        QSqlQuery drop(db);
        drop.exec(QStringLiteral("DROP TABLE downloads;"));
    }

    const QStringList tables = db.tables(QSql::Tables);
    for (auto it = statements.cbegin(); it != statements.cend(); ++it) {
        if (tables.contains(it.key()))
            continue;
        QSqlQuery create(db);
        if (!create.exec(it.value())) {
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("Library::initDatabase could not make ") + it.key() +
                       QStringLiteral(" table\n") + QStringLiteral("    with error: ") +
                       create.lastError().text();
        }
    }

    if (!db.record(QStringLiteral("library")).contains(QStringLiteral("id"))) {
        qCDebug(lcLibrary) << "migrating to new library format";
        migrateLibraryV2();
    }
    if (!db.tables(QSql::Tables).contains(QStringLiteral("zelta"))) {
        qCDebug(lcLibrary) << "migrating to percent encoding and zelta table";
        migrateLibraryV3();
    }
    if (!db.record(QStringLiteral("library")).contains(QStringLiteral("playPosition"))) {
        qCDebug(lcLibrary) << "migrating to play positions";
        migrateLibraryV4();
    }
    if (!db.record(QStringLiteral("downloads")).contains(QStringLiteral("guid"))) {
        qCDebug(lcLibrary) << "migrating to whole download items";
        migrateDownloadsV5();
    }
    return m_problem.isEmpty();
}

bool LibraryUpgrade::migrateLibraryV2()
{
    static const char *const statements[] = {
        "CREATE TABLE backup(thumbnailPath VARCHAR, title VARCHAR, sizeInBytes INTEGER, "
        "creationDate INTEGER, mediaLengthInSecs INTEGER, description VARCHAR, videoPath VARCHAR, "
        "guid VARCHAR, coverPath VARCHAR, dvdTitle VARCHAR, categories VARCHAR, stars VARCHAR, "
        "duration VARCHAR, downloaded INTEGER);",
        "INSERT INTO backup(thumbnailPath, title, sizeInBytes, creationDate, mediaLengthInSecs, "
        "description, videoPath, guid, coverPath, dvdTitle, categories, stars, duration, "
        "downloaded) SELECT thumbnailPath, title, sizeInBytes, creationDate, mediaLengthInSecs, "
        "description, videoPath, guid, coverPath, dvdTitle, categories, stars, duration, "
        "downloaded FROM library;",
        "DROP TABLE library; ",
        "CREATE TABLE library (id INTEGER PRIMARY KEY, thumbnailPath VARCHAR, title VARCHAR, "
        "sizeInBytes INTEGER, creationDate INTEGER, mediaLengthInSecs INTEGER, description "
        "VARCHAR, videoPath VARCHAR, guid VARCHAR, coverPath VARCHAR, dvdTitle VARCHAR, "
        "categories VARCHAR, stars VARCHAR, duration VARCHAR, downloaded INTEGER);",
        "INSERT INTO library (thumbnailPath,  title, sizeInBytes, creationDate, "
        "mediaLengthInSecs, description, videoPath, guid, coverPath, dvdTitle, categories, "
        "stars, duration, downloaded) SELECT thumbnailPath, title, sizeInBytes, creationDate, "
        "mediaLengthInSecs, description, videoPath, guid, coverPath, dvdTitle, categories, "
        "stars, duration, downloaded FROM backup;",
        "DROP TABLE backup;",
    };

    // All or nothing: a half-copied library must never be committed.
    QStringList all;
    for (const char *statement : statements)
        all << QLatin1String(statement);
    return runAllOrNothing(all, "Library::migrateLibraryV2");
}

bool LibraryUpgrade::migrateLibraryV3()
{
    QSqlDatabase &db = m_db;
    if (!db.record(QStringLiteral("library")).contains(QStringLiteral("id"))) {
        qCWarning(lcLibrary)
            << "Library::migrateLibraryV3 skipped: the library table has no id column";
        return false;
    }

    // The marker and every encoded row land together or not at all: a file
    // must never carry the marker while some rows are still plain text.
    db.transaction();
    QSqlQuery marker(db);
    if (!marker.exec(QStringLiteral("CREATE TABLE zelta(dbVersion INTEGER);")) ||
        !marker.exec(QStringLiteral("INSERT INTO zelta(dbVersion) VALUES(1);"))) {
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("Library::migrateLibraryV3 could not create the "
                              "zelta table: ") +
                   marker.lastError().text();
        const QString reason = marker.lastError().text();
        marker.finish();
        return rollBack("Library::migrateLibraryV3", reason);
    }

    QSqlQuery rows(db);
    rows.setForwardOnly(true);
    if (!rows.exec(QStringLiteral("SELECT * FROM library"))) {
        // Unread rows would stay plain under the marker.
        const QString reason = rows.lastError().text();
        return rollBack("Library::migrateLibraryV3", reason);
    }
    const QSqlRecord record = rows.record();
    const int idColumn = record.indexOf(QStringLiteral("id"));
    static const char *const columns[] = {"thumbnailPath", "title",    "description", "videoPath",
                                          "coverPath",     "dvdTitle", "categories",  "stars"};
    int columnIndex[8];
    for (int i = 0; i < 8; ++i)
        columnIndex[i] = record.indexOf(QLatin1String(columns[i]));

    QSqlQuery update(db);
    while (rows.next()) {
        const int id = rows.value(idColumn).toInt();
        QString statement = QStringLiteral("UPDATE library SET ");
        for (int i = 0; i < 8; ++i) {
            statement += QStringLiteral("%1='%2'").arg(QLatin1String(columns[i]),
                                                       encodedColumn(rows, columnIndex[i]));
            statement += (i < 7) ? QStringLiteral(", ") : QStringLiteral(" ");
        }
        statement += QStringLiteral("WHERE id=%1").arg(id);
        if (!update.exec(statement)) {
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("Library::migrateLibraryV3 could not update "
                                  "record: ") +
                       update.lastError().text();
            qCWarning(lcLibrary).noquote() << statement;
            // One row left plain under the marker would read back wrongly
            // ("%41" as "A"): nothing is kept, the next start tries again.
            const QString reason = update.lastError().text();
            update.finish();
            rows.finish();
            return rollBack("Library::migrateLibraryV3", reason);
        }
    }
    rows.finish();
    return commit("Library::migrateLibraryV3");
}

bool LibraryUpgrade::migrateLibraryV4()
{
    QSqlDatabase &db = m_db;
    const QStringList tables = db.tables(QSql::Tables);
    if (!tables.contains(QStringLiteral("zelta"))) {
        // The older steps did not finish; they run again on the next start.
        qCWarning(lcLibrary) << "Library::migrateLibraryV4 skipped: the library is not encoded yet";
        return false;
    }
    // Both columns or neither: a file is never left with one of them.
    return runAllOrNothing({LibrarySchema::addPlayPosition, LibrarySchema::addWatchedCount},
                           "Library::migrateLibraryV4");
}

// The queue's records of the old layout kept three strings; they get the
// item's columns, and the title their file is named after, so that a restored
// card shows it at once. The columns and every title land together or not at
// all.
bool LibraryUpgrade::migrateDownloadsV5()
{
    QSqlDatabase &db = m_db;
    db.transaction();
    for (const char *column : LibrarySchema::downloadItemColumns) {
        QString reason;
        if (!execMigrationStatement(
                db, QStringLiteral("ALTER TABLE downloads ADD COLUMN ") + QLatin1String(column),
                "Library::migrateDownloadsV5", &reason))
            return rollBack("Library::migrateDownloadsV5", reason);
    }
    QSqlQuery rows(db);
    rows.setForwardOnly(true);
    if (!rows.exec(QStringLiteral("SELECT rowid, downloadPath, corvanaUrl FROM downloads"))) {
        const QString reason = rows.lastError().text();
        return rollBack("Library::migrateDownloadsV5", reason);
    }
    QSqlQuery update(db);
    update.prepare(QStringLiteral("UPDATE downloads SET title=? WHERE rowid=?"));
    while (rows.next()) {
        const QString path = LibraryItem::decode(rows.value(1).toString());
        QString title = QFileInfo(path).completeBaseName();
        if (title.isEmpty())
            title =
                QFileInfo(QUrl(LibraryItem::decode(rows.value(2).toString())).path()).fileName();
        update.addBindValue(LibraryItem::encode(title));
        update.addBindValue(rows.value(0));
        if (!update.exec()) {
            const QString reason = update.lastError().text();
            update.finish();
            rows.finish();
            return rollBack("Library::migrateDownloadsV5", reason);
        }
    }
    rows.finish();
    return commit("Library::migrateDownloadsV5");
}

bool LibraryUpgrade::runAllOrNothing(const QStringList &statements, const char *where)
{
    m_db.transaction();
    for (const QString &statement : statements) {
        QString reason;
        if (!execMigrationStatement(m_db, statement, where, &reason))
            return rollBack(where, reason);
    }
    return commit(where);
}

bool LibraryUpgrade::commit(const char *where)
{
    if (m_db.commit())
        return true;
    qCWarning(lcLibrary).noquote()
        << QLatin1String(where) + QStringLiteral(" could not commit transaction");
    return rollBack(where, m_db.lastError().text());
}

bool LibraryUpgrade::rollBack(const char *where, const QString &reason)
{
    m_db.rollback();
    qCWarning(lcLibrary).noquote()
        << QLatin1String(where) + QStringLiteral(" rolled back; the library keeps its old layout");
    setProblem(reason);
    return false;
}

void LibraryUpgrade::setProblem(const QString &reason)
{
    m_problem =
        QCoreApplication::translate(
            "Library", "Your library could not be brought up to date (%1). Nothing in it "
                       "was changed; CorvanaZELTA will try again the next time it starts.")
            .arg(reason.isEmpty() ? QCoreApplication::translate("Library", "unknown database error")
                                  : reason);
}
