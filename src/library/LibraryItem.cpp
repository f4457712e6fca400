#include "library/LibraryItem.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSharedData>
#include <QSqlField>
#include <QSqlRecord>
#include <QUrl>

class LibraryItemData : public QSharedData
{
public:
    QString videoPath;
    qint64 sizeInBytes = 0;
    quint32 creationDate = 0;
    quint32 mediaLengthInSecs = 0;
    QString thumbnailPath;
    QString coverPath;
    QString title = QStringLiteral("Unknown");
    QString description;
    QString guid;
    QString dvdTitle;
    QString categories;
    QString stars;
    QString duration;
    bool downloaded = false;
};

namespace {

QString decodedValue(const QSqlRecord &record, const char *name)
{
    return LibraryItem::decode(record.value(QLatin1String(name)).toString());
}

quint32 numberValue(const QSqlRecord &record, const char *name)
{
    return quint32(record.value(QLatin1String(name)).toLongLong());
}

void appendField(QSqlRecord &record, const char *name, const QVariant &value)
{
    QSqlField field(QLatin1String(name), value.metaType());
    field.setValue(value);
    record.append(field);
}

} // namespace

LibraryItem::LibraryItem() : d(new LibraryItemData) {}

LibraryItem::LibraryItem(const LibraryItem &other) = default;
LibraryItem &LibraryItem::operator=(const LibraryItem &other) = default;
LibraryItem::~LibraryItem() = default;

LibraryItem LibraryItem::fromFile(const QString &path, const QString &label)
{
    const QFileInfo info(path);
    LibraryItem item;
    item.sizeInBytes(info.size());
    item.videoPath(info.absoluteFilePath());
    QDateTime created = info.birthTime();
    if (!created.isValid())
        created = info.metadataChangeTime();
    if (!created.isValid())
        created = info.lastModified();
    item.creationDate(quint32(created.toSecsSinceEpoch()));
    item.title(info.baseName());
    item.downloaded(true);
    if (!label.isEmpty()) {
        item.description(label);
        item.dvdTitle(label);
        item.categories(label);
    }
    return item;
}

LibraryItem LibraryItem::fromRecord(const QSqlRecord &record)
{
    LibraryItem item;
    item.videoPath(decodedValue(record, "videoPath"));
    item.sizeInBytes(record.value(QLatin1String("sizeInBytes")).toLongLong());
    item.creationDate(numberValue(record, "creationDate"));
    item.mediaLengthInSecs(numberValue(record, "mediaLengthInSecs"));
    item.thumbnailPath(decodedValue(record, "thumbnailPath"));
    item.coverPath(decodedValue(record, "coverPath"));
    item.title(decodedValue(record, "title"));
    item.description(decodedValue(record, "description"));
    item.guid(decodedValue(record, "guid"));
    item.dvdTitle(decodedValue(record, "dvdTitle"));
    item.categories(decodedValue(record, "categories"));
    item.stars(decodedValue(record, "stars"));
    item.duration(record.value(QStringLiteral("duration")).toString());
    item.downloaded(record.value(QStringLiteral("downloaded")).toBool());
    return item;
}

QSqlRecord LibraryItem::toRecord() const
{
    QSqlRecord record;
    appendField(record, "thumbnailPath", encode(d->thumbnailPath));
    appendField(record, "title", encode(d->title));
    appendField(record, "sizeInBytes", qint64(d->sizeInBytes));
    appendField(record, "creationDate", qint64(d->creationDate));
    appendField(record, "mediaLengthInSecs", qint64(d->mediaLengthInSecs));
    appendField(record, "description", encode(d->description));
    appendField(record, "videoPath", encode(d->videoPath));
    appendField(record, "guid", encode(d->guid));
    appendField(record, "coverPath", encode(d->coverPath));
    appendField(record, "dvdTitle", encode(d->dvdTitle));
    appendField(record, "categories", encode(d->categories));
    appendField(record, "stars", encode(d->stars));
    appendField(record, "duration", d->duration);
    appendField(record, "downloaded", d->downloaded);
    return record;
}

QString LibraryItem::encode(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

QString LibraryItem::decode(const QString &stored)
{
    // Same result as QUrl::fromPercentEncoding(stored.toUtf8()) in one pass;
    // every row read goes through here.
    if (!stored.contains(QLatin1Char('%')))
        return stored;
    const auto hexValue = [](QChar c) -> int {
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9')
            return u - '0';
        if (u >= 'A' && u <= 'F')
            return u - 'A' + 10;
        if (u >= 'a' && u <= 'f')
            return u - 'a' + 10;
        return -1;
    };
    QByteArray bytes;
    bytes.reserve(stored.size());
    const qsizetype size = stored.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = stored.at(i);
        if (c.unicode() >= 0x80) {
            const qsizetype run = c.isHighSurrogate() && i + 1 < size ? 2 : 1;
            bytes += QStringView(stored).mid(i, run).toUtf8();
            i += run - 1;
        } else if (c == QLatin1Char('%') && i + 2 < size && hexValue(stored.at(i + 1)) >= 0 &&
                   hexValue(stored.at(i + 2)) >= 0) {
            bytes += char(hexValue(stored.at(i + 1)) * 16 + hexValue(stored.at(i + 2)));
            i += 2;
        } else {
            bytes += char(c.unicode());
        }
    }
    return QString::fromUtf8(bytes);
}

bool LibraryItem::operator==(const LibraryItem &other) const
{
    if (d == other.d)
        return true;
    const LibraryItemData &a = *d;
    const LibraryItemData &b = *other.d;
    return a.videoPath == b.videoPath && a.sizeInBytes == b.sizeInBytes &&
           a.creationDate == b.creationDate && a.mediaLengthInSecs == b.mediaLengthInSecs &&
           a.thumbnailPath == b.thumbnailPath && a.coverPath == b.coverPath && a.title == b.title &&
           a.description == b.description && a.guid == b.guid && a.dvdTitle == b.dvdTitle &&
           a.categories == b.categories && a.stars == b.stars && a.duration == b.duration &&
           a.downloaded == b.downloaded;
}

bool LibraryItem::isValid() const
{
    return !d->videoPath.isEmpty() && d->sizeInBytes != 0 && d->creationDate != 0;
}

qint64 LibraryItem::fileSize() const
{
    return QFileInfo(d->videoPath).size();
}

#define LIBRARY_ITEM_FIELD(Type, name)                                                             \
    Type LibraryItem::name() const                                                                 \
    {                                                                                              \
        return d->name;                                                                            \
    }                                                                                              \
    void LibraryItem::name(Type value)                                                             \
    {                                                                                              \
        d->name = value;                                                                           \
    }

#define LIBRARY_ITEM_TEXT(name)                                                                    \
    QString LibraryItem::name() const                                                              \
    {                                                                                              \
        return d->name;                                                                            \
    }                                                                                              \
    void LibraryItem::name(const QString &value)                                                   \
    {                                                                                              \
        d->name = value;                                                                           \
    }

LIBRARY_ITEM_TEXT(videoPath)
LIBRARY_ITEM_FIELD(qint64, sizeInBytes)
LIBRARY_ITEM_FIELD(quint32, creationDate)
LIBRARY_ITEM_FIELD(quint32, mediaLengthInSecs)
LIBRARY_ITEM_TEXT(thumbnailPath)
LIBRARY_ITEM_TEXT(coverPath)
LIBRARY_ITEM_TEXT(title)
LIBRARY_ITEM_TEXT(description)
LIBRARY_ITEM_TEXT(guid)
LIBRARY_ITEM_TEXT(dvdTitle)
LIBRARY_ITEM_TEXT(categories)
LIBRARY_ITEM_TEXT(stars)
LIBRARY_ITEM_TEXT(duration)
LIBRARY_ITEM_FIELD(bool, downloaded)
