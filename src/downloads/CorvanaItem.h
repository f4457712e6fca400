#pragma once

#include "downloads/CorvanaMedia.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QSharedDataPointer>
#include <QSharedPointer>
#include <QString>

class CorvanaItemData;
class QDomElement;

// One entry of a descriptor file: a video with its media description. An
// implicitly shared value; a default-constructed item is null.
class CorvanaItem
{
public:
    CorvanaItem();
    CorvanaItem(const CorvanaItem &other);
    CorvanaItem &operator=(const CorvanaItem &other);
    ~CorvanaItem();

    // The largest descriptor document fetched; a longer answer is refused.
    static constexpr qint64 MaxDocumentBytes = 4 * 1024 * 1024;
    // The largest video believed: 1 TiB. A descriptor naming more (or a size
    // past what a number holds) describes no real video.
    static constexpr qint64 MaxMediaBytes = qint64(1) << 40;

    // Parses a descriptor document into its items, in document order. A
    // malformed document gives an empty list.
    static QList<CorvanaItem> parseCorvanaFile(const QByteArray &document);
    // The title as shown: the site's text with control characters dropped,
    // trimmed.
    static QString filterTitle(const QString &title);
    // A shown title as a file or folder name: the characters common file
    // systems refuse in a name become spaces, then trimmed; "_" when nothing
    // is left. Earlier downloads were named this way, so their folders keep
    // their names.
    static QString fileNameTitle(const QString &title);

    bool isNull() const;
    QString title() const;
    QString guid() const;
    QString description() const;
    QDateTime pubDate() const;
    QString cover() const;
    QString categories() const;
    QString stars() const;
    QString duration() const;

    // Media fields (empty values when the item has no media).
    CorvanaMedia media() const;
    QUrl mediaUrl() const;
    QString mediaTitle() const;
    QUrl thumbnailUrl() const;
    QString rating() const;
    QString fileType() const;
    qint64 mediaSize() const;
    // Whether the media file type is one of the video types the program saves.
    bool hasVideoFileType() const;
    // Whether the announced size (0: unknown) could be a real video's.
    bool hasBelievableSize() const;

    void setTitle(const QString &title);
    void setGuid(const QString &guid);
    void setMediaSize(qint64 size);
    // The remaining fields, for an item kept in the download queue.
    void setDescription(const QString &description);
    void setPubDate(const QDateTime &date);
    void setCover(const QString &cover);
    void setCategories(const QString &categories);
    void setStars(const QString &stars);
    void setDuration(const QString &duration);
    void setMedia(const CorvanaMedia &media);

private:
    static CorvanaItem fromElement(const QDomElement &element);
    static CorvanaMedia mediaFromGroup(const QDomElement &group);
    CorvanaMedia &mutableMedia();

    QSharedDataPointer<CorvanaItemData> d;
};

using CorvanaItems = QList<CorvanaItem>;

Q_DECLARE_METATYPE(CorvanaItem)
