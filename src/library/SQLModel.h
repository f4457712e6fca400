#pragma once

#include <QList>
#include <QMutex>
#include <QSqlRecord>
#include <QSqlTableModel>

class Library;

// The rows of the `library` table, all of them in memory. Used from the GUI
// thread; every use of the connection is under the library mutex.
class SQLModel : public QSqlTableModel
{
    Q_OBJECT

public:
    SQLModel(Library *library, const QSqlDatabase &db);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    bool select() override;

    // Appends the records (one transaction); false when any insert failed.
    bool insertRecords(const QList<QSqlRecord> &records);
    // Removes rows and their table rows; false for a range outside the model.
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    QSqlRecord recordAt(int row) const;
    // Row of the record with this id, or -1.
    int rowOfId(int id) const;

    void fetchAll();
    void submitChanges();

private:
    Library *m_library;
    mutable QMutex m_mutex;
};
