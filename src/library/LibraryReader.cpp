#include "library/LibraryReader.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// The columns of kSelect, in order.
enum Column
{
    Id,
    ThumbnailPath,
    Title,
    SizeInBytes,
    CreationDate,
    MediaLengthInSecs,
    Description,
    VideoPath,
    Guid,
    CoverPath,
    DvdTitle,
    Categories,
    Stars,
    Duration,
    Downloaded
};

const QString kSelect = QStringLiteral("SELECT id, thumbnailPath, title, sizeInBytes, creationDate, "
                                       "mediaLengthInSecs, description, videoPath, guid, coverPath, "
                                       "dvdTitle, categories, stars, duration, downloaded "
                                       "FROM library ");

// A row of kSelect decoded, read by position (no look-ups by name per row).
LibraryItem itemAt(const QSqlQuery &query)
{
    const auto text = [&query](Column column) {
        return LibraryItem::decode(query.value(column).toString());
    };
    const auto number = [&query](Column column) { return quint32(query.value(column).toLongLong()); };
    LibraryItem item;
    item.videoPath(text(VideoPath));
    item.sizeInBytes(number(SizeInBytes));
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
    item.duration(query.value(Duration).toString());
    item.downloaded(query.value(Downloaded).toBool());
    return item;
}

QString sortColumn(Library::sortHeaders key)
{
    switch (key) {
    case Library::SortDuration:
        return QStringLiteral("duration");
    case Library::SortTitle:
        return QStringLiteral("title");
    case Library::SortDate:
        break;
    }
    return QStringLiteral("creationDate");
}

} // namespace

bool LibraryReader::sorted(Library::sortHeaders key, Qt::SortOrder order, const Visitor &visit)
{
    const QString direction =
        order == Qt::DescendingOrder ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
    return run(kSelect + QStringLiteral("ORDER BY ") + sortColumn(key) + direction +
                   QStringLiteral(", id"),
               QString(), visit);
}

bool LibraryReader::find(const QString &text, const Visitor &visit)
{
    return run(kSelect + QStringLiteral("WHERE ") + findCondition(), findPattern(text), visit);
}

QString LibraryReader::findCondition()
{
    return QStringLiteral(
        "title LIKE :text ESCAPE '\\' OR description LIKE :text ESCAPE '\\' OR categories LIKE "
        ":text ESCAPE '\\' OR stars LIKE :text ESCAPE '\\' GROUP BY guid ORDER BY dvdTitle");
}

QString LibraryReader::findPattern(const QString &text)
{
    QString encoded = LibraryItem::encode(text);
    encoded.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    encoded.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + encoded + QLatin1Char('%');
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
    while (query.next())
        visit(query.value(Id).toInt(), itemAt(query));
    m_error.clear();
    return true;
}
