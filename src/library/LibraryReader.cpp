#include "library/LibraryReader.h"
#include "library/LibraryModel.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// The fields of an item, in the order of itemFields().
enum ItemField
{
    VideoPath,
    SizeInBytes,
    CreationDate,
    MediaLengthInSecs,
    ThumbnailPath,
    CoverPath,
    Title,
    Description,
    Guid,
    DvdTitle,
    Categories,
    Stars,
    Duration,
    Downloaded,
    FieldCount
};

// The id, then the item's columns.
QString selectStatement()
{
    return QStringLiteral("SELECT id, ") + LibraryReader::itemFields().join(QStringLiteral(", ")) +
           QStringLiteral(" FROM library ");
}

// Where the item's columns are in a row of selectStatement().
QList<int> selectedColumns()
{
    QList<int> columns;
    for (int field = 0; field < FieldCount; ++field)
        columns << field + 1;
    return columns;
}

QString sortColumn(LibraryModel::sortHeaders key)
{
    switch (key) {
    case LibraryModel::SortDuration:
        return QStringLiteral("duration");
    case LibraryModel::SortTitle:
        return QStringLiteral("title");
    case LibraryModel::SortDate:
        break;
    }
    return QStringLiteral("creationDate");
}

} // namespace

bool LibraryReader::sorted(LibraryModel::sortHeaders key, Qt::SortOrder order, const Visitor &visit)
{
    const QString direction =
        order == Qt::DescendingOrder ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
    return run(selectStatement() + QStringLiteral("ORDER BY ") + sortColumn(key) + direction +
                   QStringLiteral(", id"),
               QString(), visit);
}

bool LibraryReader::find(const QString &text, const Visitor &visit)
{
    return run(selectStatement() + QStringLiteral("WHERE ") + findCondition(), findPattern(text),
               visit);
}

QString LibraryReader::findCondition()
{
    return QStringLiteral(
        "title LIKE :text ESCAPE '\\' OR description LIKE :text ESCAPE '\\' OR categories LIKE "
        ":text ESCAPE '\\' OR stars LIKE :text ESCAPE '\\' "
        // Videos without a guid (imported from disk) are each their own hit.
        "GROUP BY CASE WHEN guid<>'' THEN guid END, CASE WHEN guid<>'' THEN NULL ELSE id END "
        "ORDER BY dvdTitle");
}

QString LibraryReader::findPattern(const QString &text)
{
    QString encoded = LibraryItem::encode(text);
    encoded.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    encoded.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + encoded + QLatin1Char('%');
}

const QStringList &LibraryReader::itemFields()
{
    static const QStringList fields = {
        QStringLiteral("videoPath"),     QStringLiteral("sizeInBytes"),
        QStringLiteral("creationDate"),  QStringLiteral("mediaLengthInSecs"),
        QStringLiteral("thumbnailPath"), QStringLiteral("coverPath"),
        QStringLiteral("title"),         QStringLiteral("description"),
        QStringLiteral("guid"),          QStringLiteral("dvdTitle"),
        QStringLiteral("categories"),    QStringLiteral("stars"),
        QStringLiteral("duration"),      QStringLiteral("downloaded")};
    return fields;
}

LibraryItem LibraryReader::decode(const QList<QVariant> &values, const QList<int> &columns)
{
    const auto value = [&](ItemField field) {
        const int column = columns.value(field, -1);
        return column >= 0 && column < values.size() ? values.at(column) : QVariant();
    };
    const auto text = [&](ItemField field) { return LibraryItem::decode(value(field).toString()); };
    const auto number = [&](ItemField field) { return quint32(value(field).toLongLong()); };
    LibraryItem item;
    item.videoPath(text(VideoPath));
    item.sizeInBytes(value(SizeInBytes).toLongLong());
    item.creationDate(number(CreationDate));
    item.mediaLengthInSecs(number(MediaLengthInSecs));
    item.thumbnailPath(text(ThumbnailPath));
    item.coverPath(text(CoverPath));
    item.title(text(Title));
    item.description(text(Description));
    item.guid(text(Guid));
    item.dvdTitle(text(DvdTitle));
    item.categories(text(Categories));
    item.stars(text(Stars));
    item.duration(value(Duration).toString());
    item.downloaded(value(Downloaded).toBool());
    return item;
}

bool LibraryReader::run(const QString &statement, const QString &text, const Visitor &visit)
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.prepare(statement)) {
        m_error = query.lastError().text();
        return false;
    }
    if (!text.isNull())
        query.bindValue(QStringLiteral(":text"), text);
    if (!query.exec()) {
        m_error = query.lastError().text();
        return false;
    }
    static const QList<int> columns = selectedColumns();
    QList<QVariant> values(FieldCount + 1);
    while (query.next()) {
        for (int column = 0; column <= FieldCount; ++column)
            values[column] = query.value(column);
        visit(values.at(0).toInt(), decode(values, columns));
    }
    m_error.clear();
    return true;
}
