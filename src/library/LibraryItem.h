#pragma once

#include <QList>
#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>

class QSqlRecord;
class LibraryItemData;

// One video of the library. Implicitly shared: copies share their data until
// one of them is changed.
class LibraryItem
{
public:
    LibraryItem();
    LibraryItem(const LibraryItem &other);
    LibraryItem &operator=(const LibraryItem &other);
    ~LibraryItem();

    // A video file on disk; a non-empty label becomes description, DVD title
    // and categories.
    static LibraryItem fromFile(const QString &path, const QString &label = QString());
    // A row of the `library` table (text columns decoded).
    static LibraryItem fromRecord(const QSqlRecord &record);
    // The row to insert: every column but `id`, text columns encoded.
    QSqlRecord toRecord() const;

    // The stored form of the text columns and back.
    static QString encode(const QString &text);
    static QString decode(const QString &stored);

    // Same values in every field.
    bool operator==(const LibraryItem &other) const;
    bool operator!=(const LibraryItem &other) const { return !(*this == other); }

    bool isValid() const;
    // Current size of the file at videoPath (0 when missing).
    qint64 fileSize() const;

    QString videoPath() const;
    void videoPath(const QString &value);
    qint64 sizeInBytes() const;
    void sizeInBytes(qint64 value);
    quint32 creationDate() const;
    void creationDate(quint32 value);
    quint32 mediaLengthInSecs() const;
    void mediaLengthInSecs(quint32 value);
    QString thumbnailPath() const;
    void thumbnailPath(const QString &value);
    QString coverPath() const;
    void coverPath(const QString &value);
    QString title() const;
    void title(const QString &value);
    QString description() const;
    void description(const QString &value);
    QString guid() const;
    void guid(const QString &value);
    QString dvdTitle() const;
    void dvdTitle(const QString &value);
    QString categories() const;
    void categories(const QString &value);
    QString stars() const;
    void stars(const QString &value);
    QString duration() const;
    void duration(const QString &value);
    bool downloaded() const;
    void downloaded(bool value);

private:
    QSharedDataPointer<LibraryItemData> d;
};

// One shared pointer: lists move items by moving their bytes.
Q_DECLARE_TYPEINFO(LibraryItem, Q_RELOCATABLE_TYPE);

using LibraryItems = QList<LibraryItem>;

Q_DECLARE_METATYPE(LibraryItem)
Q_DECLARE_METATYPE(LibraryItems)
