#pragma once

#include "library/FileCopier.h"
#include "library/LibraryItem.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QSqlDatabase>
#include <QString>

#include <optional>

class IntegrityChecker;
class MetaDataBuilder;
class QNetworkReply;
class QRecursiveMutex;
class QTimer;
class QSqlRecord;
class RecursiveMutex;
class SQLModel;
class VideoImporter;

// The one process-wide library of videos: a table model over the `library`
// table of the library database, with import, search, removal and edits.
// It owns the importer, metadata builder and integrity checker threads and
// the file copier.
class Library : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Sort keys of the header view: creation date, duration (as text), title.
    enum sortHeaders
    {
        SortDate = 0,
        SortDuration = 1,
        SortTitle = 2
    };
    Q_ENUM(sortHeaders)

    explicit Library(QObject *parent = nullptr);
    ~Library() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The video of a row (an invalid item for a bad row).
    LibraryItem item(int row) const;

    // Starts the check of the library folder against the table.
    void startIntegrityCheck();

    // For each item: true when a row has its videoPath, or its title and DVD
    // title (the table is read once for all of them).
    QList<bool> contains(const LibraryItems &items);
    // True when a row has this site guid (compared in its stored, encoded
    // form). `ok` is false when the query failed. Safe from any thread.
    bool containsGuid(const QString &guid, bool *ok = nullptr);

    // Saves new descriptive fields of a row and reports the edit to the site.
    // False when the row is invalid or the update failed.
    bool updateItem(int row, const QString &title, const QString &description,
                    const QString &categories, const QString &stars);

    // Imports a finished download's video; its download record is deleted in
    // the same commit that stores the row (or once the video is found listed).
    void importDownload(const LibraryItem &record);

    // True while copies, imports, the integrity check or an index build run.
    bool isBusy() const;

    MetaDataBuilder *metaDataBuilder() const { return m_metaDataBuilder; }
    IntegrityChecker *integrityChecker() const { return m_integrityChecker; }
    VideoImporter *videoImporter() const { return m_importer; }
    FileCopier *fileCopier() const { return m_copier; }
    SQLModel *sqlModel() const { return m_model; }
    RecursiveMutex *mutex() const { return m_mutex; }
    // The lock readers of the model's rows take: none in the library's own
    // thread, the only one that changes the rows (it does so under mutex()),
    // so reading them there never waits for a worker holding the lock.
    QRecursiveMutex *rowsLock() const;
    // The lock of the shared connection, also for code that has no library.
    static RecursiveMutex *connectionMutex();
    // The library connection of the calling thread: the shared one in the
    // library's thread, a connection of its own in a worker (which calls
    // releaseThreadConnection() before it ends). Use it under mutex().
    QSqlDatabase connection() const;
    static void releaseThreadConnection();

    // Removes the row with this id and, when asked, its files; safe from any
    // thread (the model drops just that row in the GUI thread). False when no
    // such row.
    bool removeRecord(int id, bool deleteFiles);
    // Rows a worker stored (by id) that the model is to show; the GUI thread
    // adds them, without reading the rest. Call it under mutex().
    void addStoredRows(const QList<qlonglong> &ids) { m_storedIds += ids; }
    // Tells the library that the table changed behind the model (a worker's
    // connection wrote it); the next refresh brings the model up to date.
    // Call it under mutex().
    void markModelStale() { m_modelStale = true; }

    // Library folders and database (set up once at start).
    static void setupPaths(const QString &basePath);
    static bool initDatabase(const QString &path);
    // The message for the user when initDatabase() could not upgrade an older
    // library file (the file is left as it was); empty otherwise.
    static QString upgradeProblem();
    static QString libraryPath();
    static QString cachePath();
    static QString databasePath();
    static QSqlDatabase database();
    static QString connectionName();

Q_SIGNALS:
    void updated();
    void importStarted();
    void importProgress(int progress);
    void importFinished();
    void doSorted();

public Q_SLOTS:
    void lastWindowClosed();
    bool isImportItem(LibraryItem item);
    void importItems(LibraryItems records);
    void importItems(LibraryItem record);
    void removeItem(QString guid);
    void removeItem(int row, bool updateMetadata);
    void removeItem(int row);
    bool importFile(QString originalPath, QString toDir);
    bool importFile(QString originalPath);
    void importFolder(QString path);
    LibraryItems find(QString searchString);
    void setDownloaded(QString guid);
    void onSort(Library::sortHeaders column, Qt::SortOrder order);
    void postbackFinsihed(QNetworkReply *reply);

    // Re-reads the table into the model (after a worker thread changed it).
    void refresh();
    // Adds the rows workers stored, and drops the rows they removed, since the
    // last call to the model.
    void showStoredRows();

private Q_SLOTS:
    void done(bool error);
    void fileCopyError(int id, FileCopier::Error error, bool stopped);
    void fileCopyFinished(int id, bool error);
    void fileCopyProgress(int id, qint64 progress);

private:
    static QString threadConnectionName();
    void forwardModelSignals();
    void clearItemCache();
    void itemsInserted(int first, int last);
    void itemsRemoved(int first, int last);
    void itemsChanged(int first, int last);
    LibraryItems findInModel(const QString &pattern, bool *complete) const;
    // A row of the model decoded (what LibraryItem::fromRecord gives, read
    // by position).
    LibraryItem decodeRow(const QList<QVariant> &values) const;
    // Rows of the model whose guid is this one (stored or decoded).
    QList<int> rowsOfGuid(const QString &guid) const;
    // Deletes a removed row's own files inside the library, and their folder
    // when nothing else is left in it. Call it under mutex().
    void deleteItemFiles(const LibraryItem &item);
    // Whether any row names this file (as video, thumbnail or cover).
    bool isReferenced(const QString &path);
    // Stops the worker threads once; false when they were stopped already.
    bool stopWorkers();

    static void tuneConnection(QSqlDatabase &db);
    static bool migrateLibraryV2();
    static bool migrateLibraryV3();
    static void setUpgradeProblem(const QString &reason);

    LibraryItems m_pending;
    // Destinations of copies still running, by copy id: their names are taken.
    QHash<int, QString> m_copyTargets;
    FileCopier *m_copier = nullptr;
    RecursiveMutex *m_mutex = nullptr;
    SQLModel *m_model = nullptr;
    MetaDataBuilder *m_metaDataBuilder = nullptr;
    VideoImporter *m_importer = nullptr;
    IntegrityChecker *m_integrityChecker = nullptr;
    QSqlDatabase m_db;
    // Decoded rows, filled as they are read; rows inserted or removed are
    // inserted or removed here too, any other change clears it.
    mutable QList<std::optional<LibraryItem>> m_items;
    // Model column of each field decodeRow() reads (-1 when missing).
    QList<int> m_itemColumns;
    // True from a change of the table made past the model until the model
    // is read again; searches then read everything from the table.
    bool m_modelStale = false;
    // Stored by workers, not yet in the model (guarded by mutex()).
    QList<qlonglong> m_storedIds;
    // Removed by workers, still in the model (guarded by mutex()).
    QList<qlonglong> m_removedIds;
    QTimer *m_showStoredRetry = nullptr;
    bool m_closed = false;
};
