#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Brings a library file up to the current layout: creates the missing tables
// and runs the migrations of older layouts, each all or nothing (a failed
// step leaves the file as it was, and the next start tries again). Run by the
// library store on its own connection and thread.
class LibraryUpgrade
{
public:
    explicit LibraryUpgrade(const QSqlDatabase &db);

    // False when a migration failed (problem() says what for the user).
    bool run();
    // The message for the user when run() could not upgrade an older library
    // file (the file is left as it was); empty otherwise.
    QString problem() const { return m_problem; }

private:
    bool migrateLibraryV2();
    bool migrateLibraryV3();
    bool migrateLibraryV4();
    bool migrateDownloadsV5();
    // Runs the statements in one transaction: all of them or none.
    bool runAllOrNothing(const QStringList &statements, const char *where);
    // Commits a step's transaction; false (rolled back) when it could not.
    bool commit(const char *where);
    // Undoes a step's transaction; always false, with the problem set.
    bool rollBack(const char *where, const QString &reason);
    void setProblem(const QString &reason);

    QSqlDatabase m_db;
    QString m_problem;
};
