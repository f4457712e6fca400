#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <functional>

struct sqlite3_stmt;

// Steps through the rows of one statement on an open SQLite connection with
// SQLite's own calls: each row's values as QVariants of the types the Qt
// driver gives (whole numbers as qlonglong, text and real numbers as text,
// NULL as a null text), without the driver's per-cell copies and its UTF-16
// conversion. Falls back to QSqlQuery where the connection is no SQLite one.
class LibraryRowReader
{
public:
    using Visitor = std::function<void(QList<QVariant> &&values)>;

    explicit LibraryRowReader(const QSqlDatabase &db) : m_db(db) {}

    // Runs `statement` (no bound values) and hands every row to `visit`;
    // false when it failed (lastError() says why).
    bool run(const QString &statement, const Visitor &visit);
    QString lastError() const { return m_error; }

private:
    bool runWithQuery(const QString &statement, const Visitor &visit);
    static QVariant valueOf(sqlite3_stmt *statement, int column);

    QSqlDatabase m_db;
    QString m_error;
};
