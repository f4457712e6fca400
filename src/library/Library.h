#pragma once

#include <QAbstractTableModel>
#include <QSqlDatabase>
#include <QString>

// The one process-wide library of videos: a table model over the `library`
// table of the library database.
class Library : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit Library(QObject *parent = nullptr);
    ~Library() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Starts the check of the library folder against the table.
    void startIntegrityCheck();

    // Library folders and database (set up once at start).
    static void setupPaths(const QString &basePath);
    static bool initDatabase(const QString &path);
    static QString libraryPath();
    static QString cachePath();
    static QString databasePath();
    static QSqlDatabase database();
    static QString connectionName();

public Q_SLOTS:
    void lastWindowClosed();

private:
    static bool migrateLibraryV2();
    static bool migrateLibraryV3();
};
