#include "library/SQLModel.h"
#include "core/Logging.h"

#include "library/Library.h"
#include "library/RecursiveMutex.h"

#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

#include <algorithm>
#include <functional>

namespace {

// SQLite's storage classes in its sort order: NULL, numbers, text, blobs.
int storageClass(const QVariant &value)
{
    if (value.isNull())
        return 0;
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return 1;
    case QMetaType::QByteArray:
        return 3;
    default:
        return 2;
    }
}

// UTF-16 units ranked as their UTF-8 bytes rank (SQLite compares UTF-8).
int utf8Rank(char16_t unit)
{
    if (unit >= 0xE000)
        return unit - 0x800;
    if (unit >= 0xD800)
        return unit + 0x2000;
    return unit;
}

int compareText(QStringView a, QStringView b)
{
    const qsizetype length = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < length; ++i) {
        if (a[i] != b[i])
            return utf8Rank(a[i].unicode()) < utf8Rank(b[i].unicode()) ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The order SQLite's ORDER BY gives two column values (binary collation).
int compareValues(const QVariant &a, const QVariant &b)
{
    const int classA = storageClass(a);
    const int classB = storageClass(b);
    if (classA != classB)
        return classA < classB ? -1 : 1;
    switch (classA) {
    case 1:
        if (a.typeId() == QMetaType::Double || b.typeId() == QMetaType::Double) {
            const double x = a.toDouble();
            const double y = b.toDouble();
            return x < y ? -1 : (y < x ? 1 : 0);
        } else {
            const qlonglong x = a.toLongLong();
            const qlonglong y = b.toLongLong();
            return x < y ? -1 : (y < x ? 1 : 0);
        }
    case 2:
        return compareText(a.toString(), b.toString());
    case 3: {
        const QByteArray x = a.toByteArray();
        const QByteArray y = b.toByteArray();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    }
    return 0;
}

} // namespace

SQLModel::SQLModel(Library *library, const QSqlDatabase &db)
    : QSqlTableModel(nullptr, db), m_library(library)
{
    setEditStrategy(QSqlTableModel::OnManualSubmit);
    setTable(QStringLiteral("library"));
    m_columns = int(QSqlTableModel::record().count());
    m_idColumn = fieldIndex(QStringLiteral("id"));
}

int SQLModel::rowCount(const QModelIndex &parent) const
{
    LibraryLocker locker(m_library->rowsLock());
    return parent.isValid() ? 0 : int(m_rows.size());
}

int SQLModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant SQLModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    LibraryLocker locker(m_library->rowsLock());
    if (index.row() >= m_rows.size() || index.column() >= m_columns)
        return QVariant();
    return m_rows.at(index.row()).at(index.column());
}

Qt::ItemFlags SQLModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

bool SQLModel::canFetchMore(const QModelIndex &) const
{
    return false;
}

void SQLModel::fetchMore(const QModelIndex &) {}

void SQLModel::setSort(int column, Qt::SortOrder order)
{
    m_sortColumn = column;
    m_sortOrder = order;
    QSqlTableModel::setSort(column, order);
}

QString SQLModel::orderByClause() const
{
    // Ties keep the table's order, so a row's place is always known.
    const QString clause = QSqlTableModel::orderByClause();
    if (clause.isEmpty() || m_idColumn < 0)
        return clause;
    return clause + QStringLiteral(", ") +
           database().driver()->escapeIdentifier(QStringLiteral("id"), QSqlDriver::FieldName);
}

bool SQLModel::readRows(const QString &statement, QList<Row> *rows, const QVariant &from,
                        const QVariant &to)
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.prepare(statement)) {
        setLastError(query.lastError());
        return false;
    }
    if (from.isValid())
        query.addBindValue(from);
    if (to.isValid())
        query.addBindValue(to);
    if (!query.exec()) {
        setLastError(query.lastError());
        return false;
    }
    while (query.next()) {
        Row row;
        row.reserve(m_columns);
        for (int column = 0; column < m_columns; ++column)
            row.append(query.value(column));
        rows->append(std::move(row));
    }
    return true;
}

bool SQLModel::select()
{
    LibraryLocker locker(m_library->mutex()->mutex());
    const QString statement = selectStatement();
    qCDebug(lcLibrary).noquote() << QStringLiteral("select query: ") + statement;
    QList<Row> rows;
    rows.reserve(m_rows.size());
    if (!readRows(statement, &rows)) {
        qCWarning(lcLibrary).noquote() << QStringLiteral("SQLModel::select failed: ") + lastError().text();
        return false;
    }
    setLastError(QSqlError());
    beginResetModel();
    m_rows.swap(rows);
    m_rowById.clear();
    endResetModel();
    return true;
}

bool SQLModel::before(const Row &a, const Row &b) const
{
    if (m_sortColumn >= 0 && m_sortColumn < m_columns) {
        int order = compareValues(a.at(m_sortColumn), b.at(m_sortColumn));
        if (m_sortOrder == Qt::DescendingOrder)
            order = -order;
        if (order != 0)
            return order < 0;
    }
    return a.at(m_idColumn).toLongLong() < b.at(m_idColumn).toLongLong();
}

void SQLModel::insertSorted(QList<Row> added)
{
    const auto less = [this](const Row &a, const Row &b) { return before(a, b); };
    std::stable_sort(added.begin(), added.end(), less);
    QList<qsizetype> places;
    places.reserve(added.size());
    for (const Row &row : std::as_const(added))
        places << (std::upper_bound(m_rows.cbegin(), m_rows.cend(), row, less) - m_rows.cbegin());
    // Runs of rows that share a place go in together, the last run first so
    // the places found stay right.
    qsizetype end = added.size();
    while (end > 0) {
        qsizetype start = end - 1;
        const qsizetype place = places.at(start);
        while (start > 0 && places.at(start - 1) == place)
            --start;
        const qsizetype count = end - start;
        beginInsertRows(QModelIndex(), int(place), int(place + count - 1));
        m_rows.insert(place, count, Row());
        m_rowById.clear();
        for (qsizetype i = 0; i < count; ++i)
            m_rows[place + i] = std::move(added[start + i]);
        endInsertRows();
        end = start;
    }
}

bool SQLModel::insertRecords(const QList<QSqlRecord> &records)
{
    if (records.isEmpty())
        return true;
    LibraryLocker locker(m_library->mutex()->mutex());
    QSqlDatabase db = database();
    const bool transaction = db.transaction();
    if (!transaction)
        qCWarning(lcLibrary) << "SQLModel: can't open transaction";
    bool ok = true;
    QList<qlonglong> ids;
    QSqlQuery query(db);
    QString prepared;
    for (const QSqlRecord &record : records) {
        const QString statement =
            db.driver()->sqlStatement(QSqlDriver::InsertStatement, tableName(), record, true);
        if (statement != prepared) {
            prepared = statement;
            query.prepare(statement);
        }
        for (int i = 0; i < record.count(); ++i) {
            if (record.isGenerated(i))
                query.addBindValue(record.value(i));
        }
        if (query.exec()) {
            ids << query.lastInsertId().toLongLong();
        } else {
            ok = false;
            setLastError(query.lastError());
            qCWarning(lcLibrary).noquote() << QStringLiteral("SQLModel::insertRecord failed: ") +
                                        query.lastError().text();
        }
    }
    query.finish();
    if (transaction && !db.commit()) {
        qCWarning(lcLibrary) << "SQLModel: can't commit transaction";
        setLastError(db.lastError());
        db.rollback();
        return false;
    }
    if (!ids.isEmpty() && !showStoredRows(ids))
        return false;
    return ok;
}

bool SQLModel::showStoredRows(const QList<qlonglong> &ids)
{
    if (ids.isEmpty())
        return true;
    LibraryLocker locker(m_library->mutex()->mutex());
    // The new rows as the table holds them (its types, its defaults).
    const auto [low, high] = std::minmax_element(ids.cbegin(), ids.cend());
    QList<Row> rows;
    if (!readRows(selectById(QStringLiteral("id >= ? AND id <= ?")), &rows, *low, *high)) {
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("SQLModel: can't read the new rows: ") + lastError().text();
        select();
        return false;
    }
    const QSet<qlonglong> wanted(ids.cbegin(), ids.cend());
    rows.removeIf(
        [&](const Row &row) { return !wanted.contains(row.at(m_idColumn).toLongLong()); });
    insertSorted(std::move(rows));
    return true;
}

bool SQLModel::reloadRow(int row)
{
    LibraryLocker locker(m_library->mutex()->mutex());
    if (row < 0 || row >= m_rows.size())
        return false;
    const QVariant id = m_rows.at(row).at(m_idColumn);
    QList<Row> rows;
    if (!readRows(selectById(QStringLiteral("id = ?")), &rows, id) || rows.isEmpty())
        return false;
    Row &stored = m_rows[row];
    const bool placed = (row == 0 || !before(rows.first(), m_rows.at(row - 1))) &&
                        (row + 1 == m_rows.size() || !before(m_rows.at(row + 1), rows.first()));
    if (placed) {
        stored = std::move(rows.first());
        emit dataChanged(index(row, 0), index(row, m_columns - 1));
        return true;
    }
    // Its sort key changed: out at the old place, in at the new one.
    dropRow(row);
    insertSorted(std::move(rows));
    return true;
}

void SQLModel::forgetRows(const QList<qlonglong> &ids)
{
    if (ids.isEmpty())
        return;
    LibraryLocker locker(m_library->mutex()->mutex());
    QList<int> rows;
    for (qlonglong id : ids) {
        const int row = rowOfId(int(id));
        if (row >= 0)
            rows << row;
    }
    // From the bottom up, so the rows found stay right.
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : std::as_const(rows))
        dropRow(row);
}

void SQLModel::dropRow(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.remove(row);
    m_rowById.clear();
    endRemoveRows();
}

QString SQLModel::selectById(const QString &condition) const
{
    return database().driver()->sqlStatement(QSqlDriver::SelectStatement, tableName(),
                                             QSqlTableModel::record(), false) +
           QStringLiteral(" WHERE ") + condition;
}

bool SQLModel::removeRows(int row, int count, const QModelIndex &parent)
{
    LibraryLocker locker(m_library->mutex()->mutex());
    if (parent.isValid() || row < 0 || count < 1 || row + count > m_rows.size())
        return false;
    QMutexLocker own(&m_mutex);
    QSqlDatabase db = database();
    const bool transaction = db.transaction();
    if (!transaction)
        qCWarning(lcLibrary) << "SQLModel: can't open transaction";
    QSqlQuery query(db);
    bool ok = query.prepare(QStringLiteral("DELETE FROM library WHERE id=?"));
    for (int r = row; ok && r < row + count; ++r) {
        query.addBindValue(m_rows.at(r).at(m_idColumn));
        ok = query.exec();
    }
    if (!ok) {
        setLastError(query.lastError());
        qCWarning(lcLibrary).noquote() << QStringLiteral("SQLModel::removeRows failed: %1, %2 : %3")
                                    .arg(row)
                                    .arg(count)
                                    .arg(lastError().text());
    }
    query.finish();
    if (ok && transaction && !db.commit()) {
        qCWarning(lcLibrary) << "SQLModel: can't commit transaction";
        setLastError(db.lastError());
        ok = false;
    }
    if (!ok) {
        if (transaction)
            db.rollback();
        return false;
    }
    own.unlock();
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    own.relock();
    m_rows.remove(row, count);
    m_rowById.clear();
    own.unlock();
    endRemoveRows();
    return true;
}

QSqlRecord SQLModel::record(int row) const
{
    LibraryLocker locker(m_library->rowsLock());
    QSqlRecord values = QSqlTableModel::record();
    if (row < 0 || row >= m_rows.size())
        return values;
    const Row &stored = m_rows.at(row);
    for (int column = 0; column < m_columns; ++column)
        values.setValue(column, stored.at(column));
    return values;
}

QSqlRecord SQLModel::recordAt(int row) const
{
    return record(row);
}

QList<QVariant> SQLModel::valuesAt(int row) const
{
    LibraryLocker locker(m_library->rowsLock());
    return row >= 0 && row < m_rows.size() ? m_rows.at(row) : Row();
}

int SQLModel::rowOfId(int id) const
{
    LibraryLocker locker(m_library->mutex()->mutex());
    if (m_idColumn < 0)
        return -1;
    if (m_rowById.isEmpty() && !m_rows.isEmpty()) {
        m_rowById.reserve(m_rows.size());
        for (qsizetype row = 0; row < m_rows.size(); ++row)
            m_rowById.insert(m_rows.at(row).at(m_idColumn).toLongLong(), int(row));
    }
    return m_rowById.value(id, -1);
}

void SQLModel::fetchAll()
{
    while (canFetchMore())
        fetchMore();
}
