#include "library/LibrarySortOrder.h"

#include "library/LibraryStore.h"

#include <algorithm>

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

} // namespace

// The order SQLite's ORDER BY gives two column values (binary collation), so
// rows placed here sit where the store's sorted read puts them.
int LibrarySortOrder::compareValues(const QVariant &a, const QVariant &b)
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

qlonglong LibrarySortOrder::idOfRow(const QList<QVariant> &row)
{
    // Read in place: searches call this for every row, and the store's ids
    // are 64-bit integers already.
    if (row.size() <= LibraryStore::Id)
        return 0;
    const QVariant &id = row.at(LibraryStore::Id);
    if (id.metaType().id() == QMetaType::LongLong)
        return *static_cast<const qlonglong *>(id.constData());
    return id.toLongLong();
}

double LibrarySortOrder::progressOf(const QList<QVariant> &row)
{
    const qint64 length = row.value(LibraryStore::MediaLengthInSecs).toLongLong() * 1000;
    const qint64 position = row.value(LibraryStore::PlayPosition).toLongLong();
    if (position <= 0)
        return row.value(LibraryStore::WatchedCount).toInt() > 0 ? 2.0 : 0.0;
    return length > 0 ? qBound(0.0, double(position) / double(length), 1.0) : 0.0;
}

bool LibrarySortOrder::before(const QList<QVariant> &a, const QList<QVariant> &b) const
{
    if (m_column == ProgressSort) {
        const double x = progressOf(a);
        const double y = progressOf(b);
        if (x != y)
            return (m_order == Qt::DescendingOrder) ? y < x : x < y;
    } else if (m_column > LibraryStore::Id && m_column < LibraryStore::ColumnCount) {
        int order = compareValues(a.at(m_column), b.at(m_column));
        if (m_order == Qt::DescendingOrder)
            order = -order;
        if (order != 0)
            return order < 0;
    } else if (m_column == LibraryStore::Id && m_order == Qt::DescendingOrder) {
        return idOfRow(b) < idOfRow(a);
    }
    return idOfRow(a) < idOfRow(b);
}
