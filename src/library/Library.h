#pragma once

#include "library/FileCopier.h"
#include "library/LibraryItem.h"
#include "library/LibraryStore.h"
#include "media/SubtitleFile.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QPair>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

// The row cache's items move by their bytes too, so a row inserted above
// 100,000 others is one memory move rather than an assignment per item.
Q_DECLARE_TYPEINFO(std::optional<LibraryItem>, Q_RELOCATABLE_TYPE);

class ImportSession;
class IntegrityChecker;
class MetaDataBuilder;
class QNetworkReply;
class QTimer;
class VideoImporter;

// The one process-wide library of videos: a table model over a copy of the
// `library` table's rows, kept by the library store (its own thread and
// connection) and brought up to date by the store's signals. It orchestrates
// imports (copy names, the importer), removals with their files, edits and the
// search; the importer, metadata builder and integrity checker are jobs that
// talk to the store.
class Library : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Sort keys of the header view: creation date, duration (as text), title.
    enum sortHeaders
    {
        SortDate = 0,
        SortDuration = 1,
        SortTitle = 2,
        // How much of each video was played (watched ones last).
        SortProgress = 3
    };
    // The column with how much of each video was played.
    static constexpr int ProgressColumn = 7;
    Q_ENUM(sortHeaders)

    // Roles every column answers besides the display text.
    enum Roles
    {
        // Where playback stopped, ms (0 when not started or watched to the end).
        PlayPositionRole = Qt::UserRole + 1,
        // How often the video was watched to the end.
        WatchedCountRole,
        // Share of the video played, 0.0 to 1.0 (0 without a known length).
        ProgressRole,
        // The row's table id.
        IdRole
    };

    // An edit report for the site: form items in order.
    using EditForm = QList<QPair<QString, QString>>;

    // A library with a store of its own, on the database path.
    explicit Library(QObject *parent = nullptr);
    // A library over `store` (not owned; it must outlive the library).
    explicit Library(LibraryStore *store, QObject *parent = nullptr);
    ~Library() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The video of a row (an invalid item for a bad row).
    LibraryItem item(int row) const;
    // The stored values of a row by LibraryStore::Column (empty for a bad row).
    QList<QVariant> valuesAt(int row) const;
    // The table id of a row (-1 for a bad row), and the row of an id (-1).
    qlonglong idOf(int row) const;
    int rowOfId(qlonglong id) const;

    // True once every row of the first read is here (the first come earlier).
    bool isLoaded() const { return m_loaded; }

    // Starts the check of the library folder against the table.
    void startIntegrityCheck();

    // For each item: true when a row has its videoPath, or its title and DVD
    // title. For worker threads (it waits for the store).
    QList<bool> contains(const LibraryItems &items);
    // True when a row has this site guid. In the window's thread it is
    // answered from the rows shown, without waiting for the store.
    bool containsGuid(const QString &guid, bool *ok = nullptr);

    // Saves new descriptive fields of a row and, once stored, reports the edit
    // (editReported). False for a bad row.
    bool updateItem(int row, const QString &title, const QString &description,
                    const QString &categories, const QString &stars);

    // The row whose video is this file (-1 when none), from the rows shown.
    qlonglong idOfVideo(const QString &path) const;
    // Where playback of the video of `id` stopped (ms), from the rows shown;
    // 0 when not started or unknown.
    qint64 playPosition(qlonglong id) const;
    int watchedCount(qlonglong id) const;
    // Remembers where playback stopped (0 clears it); queued to the store.
    void savePlayPosition(qlonglong id, qint64 positionMs);
    // Marks a video watched to the end (its position cleared) or not watched.
    void setWatched(qlonglong id, bool watched);
    // Points the row of `id` at its video file's new place (the user found
    // a moved file); queued to the store, the row changes once it is stored.
    void relocateVideo(qlonglong id, const QString &path);

    // Imports a finished download's video; its download record is deleted in
    // the same commit that stores the row (or once the video is found listed).
    void importDownload(const LibraryItem &record);

    // True while copies, imports, the integrity check, an index build or
    // store jobs run.
    bool isBusy() const;

    MetaDataBuilder *metaDataBuilder() const { return m_metaDataBuilder; }
    IntegrityChecker *integrityChecker() const { return m_integrityChecker; }
    // The import the user started last (files and folders to a summary).
    ImportSession *importSession() const { return m_importSession; }
    VideoImporter *videoImporter() const { return m_importer; }
    FileCopier *fileCopier() const { return m_copier; }
    LibraryStore *store() const { return m_store; }

    // Removes the row with this id and, when asked, its files. For worker
    // threads (it waits for the store). False when no such row.
    bool removeRecord(qlonglong id, bool deleteFiles);
    // The same for many rows in one transaction; how many were removed.
    int removeRecords(const QList<qlonglong> &ids, bool deleteFiles);

    // Library folders and database (set up once at start).
    static void setupPaths(const QString &basePath);
    // Opens the database file, creates what is missing and migrates an older
    // file, on a store's thread (this one waits and opens no connection).
    // False when the file cannot be opened. When an older file could not be
    // brought up to date, `upgradeProblem` gets the message for the user.
    static bool initDatabase(const QString &path, QString *upgradeProblem = nullptr);
    static QString libraryPath();
    static QString cachePath();
    static QString databasePath();

Q_SIGNALS:
    void updated();
    void importStarted();
    void importProgress(int progress);
    void importFinished();
    void doSorted();
    // A file's copy into the library started; its copy failed; the importer
    // stored the copied video, or refused it as no video (and deleted it).
    void importQueued(const QString &source, const QString &destination);
    void importCopyFailed(const QString &destination);
    void videoImported(const QString &path, bool stored);
    // An edit was stored; the form is what the site is told (the wiring adds
    // the member's name in front and sends it).
    void editReported(const Library::EditForm &form);

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
    // The same with the video's subtitles already found (by a listing off
    // the window's thread): nothing is listed here.
    bool importFile(const QString &originalPath, const SubtitleFiles &subtitles);
    void importFolder(QString path);
    // Imports files and folders (with everything below them) as one import,
    // followed by importSession() to its summary.
    void importPaths(const QStringList &paths);
    // Waits for the store (zelta-cli, the page's search box).
    LibraryItems find(QString searchString);
    void setDownloaded(QString guid);
    void onSort(Library::sortHeaders column, Qt::SortOrder order);
    void postbackFinsihed(QNetworkReply *reply);

    // Reads every row from the store again, waiting for them (zelta-cli).
    void reload();

private Q_SLOTS:
    void done(bool error);
    void fileCopyError(int id, FileCopier::Error error, bool stopped);
    void fileCopyFinished(int id, bool error);
    void fileCopyProgress(int id, qint64 progress);

private:
    using Row = QList<QVariant>;

    Library(std::unique_ptr<LibraryStore> ownStore, LibraryStore *sharedStore, QObject *parent);
    void connectStore();
    QVariant playData(int row, int role) const;
    QString progressText(int row) const;
    // Replaces every row (ordered by the current sort already).
    void setRows(QList<Row> rows);
    void addRows(QList<Row> rows);
    // Starts the first read of the table (once the event loop runs).
    void readFirstRows();
    // A piece of a read of every row: the first replaces the rows, the others
    // add to them; `generation` tells pieces of a replaced read.
    void takeReadRows(QList<Row> rows, bool first, bool last, int generation);
    // Every stored guid, read before the first piece of the first read.
    void takeGuids(LibraryStore::Guids guids, int generation);
    // While the first read comes: the guids of rows a store signal tells of.
    void trackGuids(const QList<Row> &rows);
    void trackRemovedGuids(const QList<qlonglong> &ids);
    void stopTrackingGuids();
    // Adds rows (below the others when they come in the current order).
    void appendRows(QList<Row> rows);
    // Takes the next piece of the first read that came; all of them.
    void absorbPiece();
    void absorbAllPieces();
    // Once the last piece is in: the rows are all here.
    void endRead();
    void changeRows(const QList<Row> &rows);
    // Rows the store removed leave the model a few ms' worth per turn of
    // the event loop (dropSomeRows).
    void dropRows(const QList<qlonglong> &ids);
    void dropSomeRows();
    // A slice of the pass over the rows that finds where those still to go
    // are (in m_leavingRows once the pass is whole).
    void searchLeavingRows();
    void forgetLeavingRows();
    // Rows `from` to `end` (not included) whose ids are among `ids`, in
    // order, until all are found; where it stopped.
    qsizetype findRows(const QSet<qlonglong> &ids, qsizetype from, qsizetype end,
                       std::vector<std::pair<int, qlonglong>> *found) const;
    void dropRowsNow(const QList<qlonglong> &ids);
    void dropRow(int row);
    void insertSorted(QList<Row> added);
    // True when `a` comes before `b` in the current sort (ties by id).
    bool before(const Row &a, const Row &b) const;
    void countGuid(const Row &row, int delta);
    void addGuid(const QString &guid, int delta);
    // Row of an id, without building the map of all rows (-1 when none).
    int findRow(qlonglong id) const;
    // Rows whose guid is this one (stored or decoded).
    QList<int> rowsOfGuid(const QString &guid) const;
    // Removes the rows of these ids in the store's thread, and their files.
    void removeInStore(const QList<qlonglong> &ids, bool deleteFiles);
    // Deletes a removed row's own files inside the library, and their folder
    // when nothing else is left in it (run in the store's thread).
    static void deleteItemFiles(LibraryStore *store, const LibraryItem &item);
    // Stops the worker threads once; false when they were stopped already.
    bool stopWorkers();
    bool queueImport(const QString &originalPath, const QString &toDir,
                     const SubtitleFiles &subtitles);
    void trackCopy(int id, const QString &destination);

    LibraryItems m_pending;
    // Destinations of copies still running, by copy id: their names are taken.
    QHash<int, QString> m_copyTargets;
    // The same destinations, for looking a name up.
    QSet<QString> m_copyDestinations;
    // Copies of subtitle files that come with an imported video.
    QSet<int> m_subtitleCopies;
    FileCopier *m_copier = nullptr;
    std::unique_ptr<LibraryStore> m_ownStore;
    LibraryStore *m_store;
    MetaDataBuilder *m_metaDataBuilder = nullptr;
    VideoImporter *m_importer = nullptr;
    IntegrityChecker *m_integrityChecker = nullptr;
    ImportSession *m_importSession = nullptr;

    // The rows, in the current sort.
    QList<Row> m_rows;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    // Row of each id, built when first asked for after a change.
    mutable QHash<qlonglong, int> m_rowById;
    // Decoded rows, filled as they are read (same length as m_rows or empty).
    mutable QList<std::optional<LibraryItem>> m_items;
    // The ids shown.
    QSet<qlonglong> m_ids;
    // Rows per stored guid, for the "already in the library?" question.
    QHash<QString, int> m_guids;
    // While the first read comes: the guid of every stored row by id (rows
    // without one left out), kept from the store's signals; m_guids counts
    // them. The rows the read will bring, for room made ahead.
    QHash<qlonglong, QString> m_guidOfId;
    bool m_trackingGuids = false;
    qsizetype m_expectedRows = 0;
    // True once every row of the first read came from the store.
    bool m_loaded = false;
    // True while the pieces of the first read come.
    bool m_reading = false;
    int m_readGeneration = 0;
    // Pieces of the first read that came and wait to go in, and whether
    // the last of them came.
    QList<QList<Row>> m_incoming;
    bool m_readEnded = false;
    QTimer *m_absorber = nullptr;
    // Ids of rows the store removed that are still shown, and what takes
    // them out.
    QList<qlonglong> m_leaving;
    // Where some of them were found, by row; taken from the end.
    std::vector<std::pair<int, qlonglong>> m_leavingRows;
    // A pass finding them under way: the next row it looks at (-1: none),
    // the ids it looks for, and the rows' revision when it began.
    qsizetype m_searchFrom = -1;
    QSet<qlonglong> m_searched;
    quint64 m_searchRevision = 0;
    int m_searchRestarts = 0;
    // Counts the changes that move rows (inserted, removed, moved, sorted).
    quint64 m_rowsRevision = 0;
    QTimer *m_dropper = nullptr;
    bool m_closed = false;
};
