#pragma once

#include "library/Library.h"

#include <QSqlDatabase>
#include <QString>

// A connection of the test's own to the library file in use (Library's
// database path), for building old layouts and checking what was stored.
// The program itself reaches the file only through its library store.
namespace TestDatabase {

inline QString connectionName()
{
    return QStringLiteral("zeltaTest");
}

inline QSqlDatabase database()
{
    QSqlDatabase db = QSqlDatabase::contains(connectionName())
                          ? QSqlDatabase::database(connectionName(), false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName());
    if (!db.isOpen() || db.databaseName() != Library::databasePath()) {
        db.close();
        db.setDatabaseName(Library::databasePath());
        db.open();
    }
    return db;
}

// Lets go of the test's connection (before the program opens the file again).
inline void close()
{
    QSqlDatabase::removeDatabase(connectionName());
}

} // namespace TestDatabase
