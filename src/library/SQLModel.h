#pragma once

#include <QHash>
#include <QList>
#include <QMutex>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QVariant>

class Library;

// The rows of the `library` table, all of them in memory. Used from the GUI
// thread; every use of the connection is under the library mutex.
//
// The rows are kept by the model itself: inserts and removals go through
// bound statements and change only the rows concerned (placed by the current
// sort, ties by id), so a change never re-reads the whole table.
class SQLModel : public QSqlTableModel
{
    Q_OBJECT

public:
    SQLModel(Library *library, const QSqlDatabase &db);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool canFetchMore(const QModelIndex &parent = QModelIndex()) const override;
    void fetchMore(const QModelIndex &parent = QModelIndex()) override;
    void setSort(int column, Qt::SortOrder order) override;
    bool select() override;

    // Inserts the records (one transaction), each at the place the current
    // sort gives it; false when any insert failed.
    bool insertRecords(const QList<QSqlRecord> &records);
    // Adds rows the table already holds (stored by another connection), each
    // at the place the current sort gives it. The ids must not be shown yet.
    bool showStoredRows(const QList<qlonglong> &ids);
    // Reads the stored values of a row again; the row moves when its place in
    // the sort changed. False when the row is gone from the table.
    bool reloadRow(int row);
    // Drops the shown rows of these ids, which the table no longer holds
    // (removed through another connection); unknown ids are skipped.
    void forgetRows(const QList<qlonglong> &ids);
    // Removes rows and their table rows; false for a range outside the model
    // or when the table rows could not be deleted (then nothing is removed).
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    using QSqlTableModel::record;
    // The stored values of a row (an empty record of the table's fields for a
    // bad row).
    QSqlRecord record(int row) const;
    QSqlRecord recordAt(int row) const;
    // Row of the record with this id, or -1.
    int rowOfId(int id) const;
    // The stored values of a row in column order (empty for a bad row).
    QList<QVariant> valuesAt(int row) const;

    void fetchAll();

protected:
    QString orderByClause() const override;

private:
    using Row = QList<QVariant>;

    // Takes a shown row out of the model only (the table is not touched).
    void dropRow(int row);
    // The select of all fields with a condition.
    QString selectById(const QString &condition) const;
    bool readRows(const QString &statement, QList<Row> *rows, const QVariant &from = {},
                  const QVariant &to = {});
    // True when `a` comes before `b` in the current sort.
    bool before(const Row &a, const Row &b) const;
    void insertSorted(QList<Row> added);

    Library *m_library;
    mutable QMutex m_mutex;
    QList<Row> m_rows;
    // Row of each id, built when first asked for after a change.
    mutable QHash<qlonglong, int> m_rowById;
    int m_columns = 0;
    int m_idColumn = -1;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
