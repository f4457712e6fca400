#include "library/LibraryRowReader.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sqlite3.h>

#include <memory>

namespace {

sqlite3 *handleOf(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

struct StatementDeleter
{
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};

} // namespace

QVariant LibraryRowReader::valueOf(sqlite3_stmt *statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(statement, column)));
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    case SQLITE_BLOB: {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(statement, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(statement, column)));
    }
    default: {
        // Text, and real numbers as text (as the Qt driver gives them).
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(statement, column)));
    }
    }
}

bool LibraryRowReader::run(const QString &statement, const Visitor &visit)
{
    sqlite3 *db = handleOf(m_db);
    if (!db)
        return runWithQuery(statement, visit);
    const QByteArray sql = statement.toUtf8();
    sqlite3_stmt *prepared = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &prepared, nullptr) != SQLITE_OK) {
        m_error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(prepared);
        return false;
    }
    const std::unique_ptr<sqlite3_stmt, StatementDeleter> owner(prepared);
    const int columns = sqlite3_column_count(prepared);
    int result;
    while ((result = sqlite3_step(prepared)) == SQLITE_ROW) {
        QList<QVariant> values;
        values.reserve(columns + 1);
        for (int column = 0; column < columns; ++column)
            values.append(valueOf(prepared, column));
        visit(std::move(values));
    }
    if (result != SQLITE_DONE) {
        m_error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    m_error.clear();
    return true;
}

bool LibraryRowReader::runWithQuery(const QString &statement, const Visitor &visit)
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(statement)) {
        m_error = query.lastError().text();
        return false;
    }
    const int columns = query.record().count();
    while (query.next()) {
        QList<QVariant> values;
        values.reserve(columns + 1);
        for (int column = 0; column < columns; ++column)
            values.append(query.value(column));
        visit(std::move(values));
    }
    m_error.clear();
    return true;
}
