#pragma once

#include "core/TaskTracker.h"

#include "library/LibraryGuidIndex.h"
#include "library/LibraryItem.h"
#include "library/LibrarySortOrder.h"
#include "library/LibraryStore.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QSet>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

// The row cache's items move by their bytes too, so a row inserted above
// 100,000 others is one memory move rather than an assignment per item.
Q_DECLARE_TYPEINFO(std::optional<LibraryItem>, Q_RELOCATABLE_TYPE);

class LibraryLoader;
class QTimer;

// The window's table of the library's videos: one list of the `library`
// table's rows in the store's sort order, with an index by id and by guid,
// filled by the loader and kept up to date by the store's signals.
class LibraryModel : public QAbstractTableModel
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
        IdRole,
        // The video's file is not there (looked at once, until forgetFileMarks()).
        FileMissingRole
    };

    // A model over `store` (not owned; it must outlive the model). The first
    // read starts once the event loop runs.
    explicit LibraryModel(LibraryStore *store, QObject *parent = nullptr);

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
    // The row whose video is this file (-1 when none).
    qlonglong idOfVideo(const QString &path) const;
    // Files may have gone or come back since FileMissingRole was last
    // answered: the next answers look again.
    void forgetFileMarks() { m_fileMissing.clear(); }
    // Rows whose guid is this one (stored or decoded).
    QList<int> rowsOfGuid(const QString &guid) const;
    // Where playback of the video of `id` stopped (ms); 0 when not started
    // or unknown. How often it was watched to the end.
    qint64 playPosition(qlonglong id) const;
    int watchedCount(qlonglong id) const;

    // True once every row of the first read is here (the first come earlier).
    bool isLoaded() const { return m_loaded; }
    // True while rows the store removed still wait to leave the model.
    bool hasLeavingRows() const { return !m_leaving.isEmpty(); }

    // True when a row has this site guid. In the window's thread it is
    // answered from the rows shown, without waiting for the store.
    bool containsGuid(const QString &guid, bool *ok = nullptr);

    void onSort(LibraryModel::sortHeaders column, Qt::SortOrder order);
    // Reads every row from the store again, waiting for them (zelta-cli).
    void reload();

Q_SIGNALS:
    void updated();
    void doSorted();

private:
    using Row = QList<QVariant>;

    void connectStore();
    QVariant playData(int row, int role) const;
    QString progressText(int row) const;
    bool isFileMissing(int row) const;
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
    // Holds the leaving task while rows wait to go.
    void trackLeaving();
    // Rows `from` to `end` (not included) whose ids are among `ids`, in
    // order, until all are found; where it stopped.
    qsizetype findRows(const QSet<qlonglong> &ids, qsizetype from, qsizetype end,
                       std::vector<std::pair<int, qlonglong>> *found) const;
    void dropRowsNow(const QList<qlonglong> &ids);
    void dropRow(int row);
    void insertSorted(QList<Row> added);
    // True when `a` comes before `b` in the current sort (ties by id).
    bool before(const Row &a, const Row &b) const;
    // Row of an id, without building the map of all rows (-1 when none).
    int findRow(qlonglong id) const;

    LibraryStore *m_store;
    LibraryLoader *m_loader;

    // The rows, in the current sort.
    QList<Row> m_rows;
    LibrarySortOrder m_order;
    // Row of each id, built when first asked for after a change.
    mutable QHash<qlonglong, int> m_rowById;
    // Decoded rows, filled as they are read (same length as m_rows or empty).
    mutable QList<std::optional<LibraryItem>> m_items;
    // The ids shown.
    QSet<qlonglong> m_ids;
    // Whether each shown video's file was missing when last looked at, by path.
    mutable QHash<QString, bool> m_fileMissing;
    // Rows per stored guid, for the "already in the library?" question.
    LibraryGuidIndex m_guids;
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
    // Held while rows wait to leave.
    TaskTracker::Task m_leavingTask;
};
