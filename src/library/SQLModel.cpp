#include "SQLModel.h"

#include "Library.h"
#include "RecursiveMutex.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

SQLModel::SQLModel(Library *library, const QSqlDatabase &db)
    : QSqlTableModel(nullptr, db), m_library(library)
{
    setEditStrategy(QSqlTableModel::OnManualSubmit);
    setTable(QStringLiteral("library"));
}

int SQLModel::rowCount(const QModelIndex &parent) const
{
    LibraryLocker locker(m_library->mutex()->mutex());
    return QSqlTableModel::rowCount(parent);
}

bool SQLModel::select()
{
    LibraryLocker locker(m_library->mutex()->mutex());
    qDebug().noquote() << QStringLiteral("select query: ") + selectStatement();
    const bool ok = QSqlTableModel::select();
    fetchAll();
    return ok;
}

bool SQLModel::insertRecords(const QList<QSqlRecord> &records)
{
    if (records.isEmpty())
        return true;
    LibraryLocker locker(m_library->mutex()->mutex());
    const int first = QSqlTableModel::rowCount();
    beginInsertRows(QModelIndex(), first, first + int(records.size()) - 1);
    blockSignals(true);
    bool ok = true;
    for (const QSqlRecord &record : records) {
        if (!insertRecord(-1, record)) {
            ok = false;
            qWarning().noquote() << QStringLiteral("SQLModel::insertRecord failed: ") +
                                        lastError().text();
        }
    }
    submitChanges();
    fetchAll();
    blockSignals(false);
    endInsertRows();
    return ok;
}

bool SQLModel::removeRows(int row, int count, const QModelIndex &parent)
{
    LibraryLocker locker(m_library->mutex()->mutex());
    if (parent.isValid() || row < 0 || count < 1 || row + count > QSqlTableModel::rowCount())
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    {
        QMutexLocker own(&m_mutex);
        blockSignals(true);
        if (!QSqlTableModel::removeRows(row, count, parent)) {
            qWarning().noquote() << QStringLiteral("SQLModel::removeRows failed: %1, %2 : %3")
                                        .arg(row)
                                        .arg(count)
                                        .arg(lastError().text());
        }
        submitChanges();
        fetchAll();
        blockSignals(false);
    }
    endRemoveRows();
    return true;
}

QSqlRecord SQLModel::recordAt(int row) const
{
    LibraryLocker locker(m_library->mutex()->mutex());
    return record(row);
}

int SQLModel::rowOfId(int id) const
{
    LibraryLocker locker(m_library->mutex()->mutex());
    const int rows = QSqlTableModel::rowCount();
    const int idColumn = fieldIndex(QStringLiteral("id"));
    for (int row = 0; row < rows; ++row) {
        if (index(row, idColumn).data().toInt() == id)
            return row;
    }
    return -1;
}

void SQLModel::fetchAll()
{
    while (canFetchMore())
        fetchMore();
}

void SQLModel::submitChanges()
{
    QSqlDatabase db = database();
    if (!db.transaction())
        qWarning() << "SQLModel: can't open transaction";
    if (!submitAll())
        qWarning() << "SQLModel: can't submit all";
    if (!db.commit())
        qWarning() << "SQLModel: can't commit transaction";
}
