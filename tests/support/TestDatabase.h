#pragma once

#include "library/LibraryLocation.h"
#include "library/LibraryStore.h"

#include <QSqlDatabase>
#include <QString>

// A connection of the test's own to a library file, for building old layouts
// and checking what was stored, and the start-up opening of a test's home.
// The program itself reaches the file only through its library store.
namespace TestDatabase {

inline QString connectionName()
{
    return QStringLiteral("zeltaTest");
}

inline QSqlDatabase database(const QString &databaseFile)
{
    QSqlDatabase db = QSqlDatabase::contains(connectionName())
                          ? QSqlDatabase::database(connectionName(), false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName());
    if (!db.isOpen() || db.databaseName() != databaseFile) {
        db.close();
        db.setDatabaseName(databaseFile);
        db.open();
    }
    return db;
}

inline QSqlDatabase database(const LibraryLocation &location)
{
    return database(location.databaseFile());
}

// Lets go of the test's connection (before the program opens the file again).
inline void close()
{
    QSqlDatabase::removeDatabase(connectionName());
}

// Opens the database file of `location` the way the program starts: a store
// of its own creates and migrates it on its thread. False when the file
// cannot be opened; `upgradeProblem` gets the message for an older file that
// could not be brought up to date.
inline bool open(const LibraryLocation &location, QString *upgradeProblem = nullptr)
{
    LibraryStore store(location.databaseFile(), LibraryStore::Opening::Upgrade);
    if (upgradeProblem)
        *upgradeProblem = store.call([&store] { return store.upgradeProblem(); });
    return store.call([&store] { return store.isOpen(); });
}

// A library under `base` with its database opened; empty when the file could
// not be opened.
inline LibraryLocation setUpHome(const QString &base)
{
    const LibraryLocation location = LibraryLocation::setUp(base);
    return open(location) ? location : LibraryLocation();
}

} // namespace TestDatabase
