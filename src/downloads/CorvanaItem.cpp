#include "downloads/CorvanaItem.h"
#include "core/Logging.h"
#include "core/XmlNesting.h"
#include "media/MediaFiles.h"

#include <QCryptographicHash>
#include <QDomDocument>
#include <QLocale>
#include <QRegularExpression>
#include <QSharedData>
#include <QtDebug>

#include <limits>

class CorvanaItemData : public QSharedData
{
public:
    QSharedPointer<CorvanaMedia> media;
    QString title;
    QString guid;
    QString description;
    QDateTime pubDate;
    bool null = true;
    QString cover;
    QString categories;
    QString stars;
    QString duration;
};

namespace {

// Characters that cannot appear in a file name, replaced in this order.
const QStringList kTitleFilterList = {
    QStringLiteral("<"), QStringLiteral(">"),  QStringLiteral(":"),
    QStringLiteral("/"), QStringLiteral("\\"), QStringLiteral("|"),
    QStringLiteral("?"), QStringLiteral("*"),  QStringLiteral("...")};

QString childText(const QDomElement &parent, const QString &name)
{
    return parent.firstChildElement(name).text();
}

// Size and SHA-256 of a document, enough to tell documents apart in the log.
QString documentSummary(const QByteArray &document)
{
    return QStringLiteral("(%1 bytes, sha256 %2)")
        .arg(document.size())
        .arg(QString::fromLatin1(
            QCryptographicHash::hash(document, QCryptographicHash::Sha256).toHex()));
}

// What a media item may be saved as: the video MIME subtypes a descriptor's type attribute may
// give, besides the library's own video suffixes.
const QStringList kVideoMimeSubtypes = {QStringLiteral("x-flv"),      QStringLiteral("x-m4v"),
                                        QStringLiteral("quicktime"),  QStringLiteral("x-msvideo"),
                                        QStringLiteral("x-ms-wmv"),   QStringLiteral("x-ms-asf"),
                                        QStringLiteral("x-matroska"), QStringLiteral("mp2t")};

QDateTime parsePubDate(const QString &text)
{
    // "Tue, 06 Dec 2011 08:00:00 GMT": the date part only.
    const QString datePart = text.left(16).mid(5);
    const QDate date = QLocale::c().toDate(datePart, QStringLiteral("dd MMM yyyy"));
    return date.isValid() ? date.startOfDay() : QDateTime();
}

} // namespace

CorvanaItem::CorvanaItem() : d(new CorvanaItemData) {}

CorvanaItem::CorvanaItem(const CorvanaItem &other) = default;
CorvanaItem &CorvanaItem::operator=(const CorvanaItem &other) = default;
CorvanaItem::~CorvanaItem() = default;

QString CorvanaItem::filterTitle(const QString &title)
{
    QString cleaned = title;
    // Line breaks and other control characters would break the one-line views.
    cleaned.removeIf([](QChar c) {
        return c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
               c == QChar::ParagraphSeparator;
    });
    return cleaned.trimmed();
}

QString CorvanaItem::fileNameTitle(const QString &title)
{
    QString name = filterTitle(title);
    for (const QString &bad : kTitleFilterList)
        name.replace(bad, QStringLiteral(" "), Qt::CaseSensitive);
    name = name.trimmed();
    // Nothing left would make hidden files such as ".mp4".
    return name.isEmpty() ? QStringLiteral("_") : name;
}

QList<CorvanaItem> CorvanaItem::parseCorvanaFile(const QByteArray &document)
{
    // The document names signed media addresses: only its size and hash are logged.
    qCDebug(lcDownloads).noquote() << "Parsing corvana file" << documentSummary(document);
    if (!XmlNesting::within(document)) {
        qCWarning(lcDownloads) << "CorvanaItem::parseCorvanaFile corvana file nested deeper than"
                               << XmlNesting::DocumentDepth << "levels, refused";
        return {};
    }
    QDomDocument dom;
    QString message;
    int line = 0;
    int column = 0;
    if (!dom.setContent(document, false, &message, &line, &column)) {
        qCWarning(lcDownloads).nospace()
            << "CorvanaItem::parseCorvanaFile error parsing corvana file xml\n"
            << "    \"" << message << "\" (line: " << line << ", col: " << column << ")"
            << "\n"
            << qUtf8Printable(documentSummary(document));
        return {};
    }
    const QDomElement channel =
        dom.firstChildElement(QStringLiteral("rss")).firstChildElement(QStringLiteral("channel"));
    QList<CorvanaItem> items;
    if (channel.isNull())
        return items;
    const QDomNodeList elements = channel.elementsByTagName(QStringLiteral("item"));
    for (int i = 0; i < elements.size(); ++i) {
        const CorvanaItem item = fromElement(elements.at(i).toElement());
        // The guid is the item's key against the library: without one, an
        // item would match every imported video (or none, ever again).
        if (item.guid().trimmed().isEmpty()) {
            qCWarning(lcDownloads)
                << "CorvanaItem::parseCorvanaFile item without guid skipped:" << item.title();
            continue;
        }
        items.append(item);
    }
    return items;
}

CorvanaItem CorvanaItem::fromElement(const QDomElement &element)
{
    CorvanaItem item;
    item.d->title = filterTitle(childText(element, QStringLiteral("title")));
    item.d->guid = childText(element, QStringLiteral("guid"));
    item.d->description = childText(element, QStringLiteral("description"));
    item.d->pubDate = parsePubDate(childText(element, QStringLiteral("pubDate")));
    item.d->cover = childText(element, QStringLiteral("cover"));
    item.d->categories = childText(element, QStringLiteral("categories"));
    item.d->stars = childText(element, QStringLiteral("stars"));
    item.d->duration = childText(element, QStringLiteral("duration"));

    // The item's optional file type joins the media group before it is read.
    QDomElement group = element.firstChildElement(QStringLiteral("media:group"));
    const QDomElement fileType = element.firstChildElement(QStringLiteral("filetype"));
    if (!group.isNull()) {
        if (!fileType.isNull())
            group.appendChild(fileType);
        item.d->media = QSharedPointer<CorvanaMedia>::create(mediaFromGroup(group));
    }
    item.d->null = false;
    return item;
}

CorvanaMedia CorvanaItem::mediaFromGroup(const QDomElement &group)
{
    CorvanaMedia media;
    const QDomElement content = group.firstChildElement(QStringLiteral("media:content"));
    QString url = content.attribute(QStringLiteral("url"));
    url.replace(QStringLiteral("&amp;"), QStringLiteral("&"), Qt::CaseInsensitive);
    media.url = QUrl(url, QUrl::TolerantMode);

    // Videos beyond 2 GiB are common; a negative or non-numeric size is unknown.
    // A number too long for 64 bits is kept as the largest one: an absurd
    // size, refused, never taken for "unknown".
    bool ok = false;
    const QString bytes = content.attribute(QStringLiteral("bytes")).trimmed();
    const qint64 size = bytes.toLongLong(&ok);
    static const QRegularExpression digits(QStringLiteral("^\\d+$"));
    if (!ok && digits.match(bytes).hasMatch())
        media.size = std::numeric_limits<qint64>::max();
    else
        media.size = ok && size > 0 ? size : 0;

    const QString type = content.attribute(QStringLiteral("type"));
    media.fileType = type.mid(type.indexOf(QLatin1Char('/')) + 1);
    if (media.fileType.isEmpty()) {
        media.fileType = childText(group, QStringLiteral("filetype"));
        if (media.fileType.startsWith(QLatin1Char('.')))
            media.fileType.remove(0, 1);
    }
    if (media.fileType.isEmpty()) {
        const QString path = media.url.path();
        const int dot = path.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0 && path.indexOf(QLatin1Char('/'), dot) < 0)
            media.fileType = path.mid(dot + 1).toLower();
    }
    media.title = filterTitle(childText(content, QStringLiteral("media:title")));
    media.thumbnail = QUrl(content.firstChildElement(QStringLiteral("media:thumbnail"))
                               .attribute(QStringLiteral("url")));
    media.rating = childText(content, QStringLiteral("rating"));
    return media;
}

CorvanaMedia &CorvanaItem::mutableMedia()
{
    // Copies of the item share the record: write to a copy of it.
    d->media = d->media ? QSharedPointer<CorvanaMedia>::create(*d->media)
                        : QSharedPointer<CorvanaMedia>::create();
    return *d->media;
}

bool CorvanaItem::hasVideoFileType() const
{
    const QString type = fileType().toLower();
    return MediaFiles::isVideoSuffix(type) || kVideoMimeSubtypes.contains(type);
}

bool CorvanaItem::hasBelievableSize() const
{
    return mediaSize() >= 0 && mediaSize() <= MaxMediaBytes;
}

bool CorvanaItem::isNull() const
{
    return d->null;
}
QString CorvanaItem::title() const
{
    return d->title;
}
QString CorvanaItem::guid() const
{
    return d->guid;
}
QString CorvanaItem::description() const
{
    return d->description;
}
QDateTime CorvanaItem::pubDate() const
{
    return d->pubDate;
}
QString CorvanaItem::cover() const
{
    return d->cover;
}
QString CorvanaItem::categories() const
{
    return d->categories;
}
QString CorvanaItem::stars() const
{
    return d->stars;
}
QString CorvanaItem::duration() const
{
    return d->duration;
}
CorvanaMedia CorvanaItem::media() const
{
    return d->media ? *d->media : CorvanaMedia();
}
QUrl CorvanaItem::mediaUrl() const
{
    return d->media ? d->media->url : QUrl();
}
QString CorvanaItem::mediaTitle() const
{
    return d->media ? d->media->title : QString();
}
QUrl CorvanaItem::thumbnailUrl() const
{
    return d->media ? d->media->thumbnail : QUrl();
}
QString CorvanaItem::rating() const
{
    return d->media ? d->media->rating : QString();
}
QString CorvanaItem::fileType() const
{
    return d->media ? d->media->fileType : QString();
}
qint64 CorvanaItem::mediaSize() const
{
    return d->media ? d->media->size : 0;
}

void CorvanaItem::setTitle(const QString &title)
{
    d->title = title;
}

void CorvanaItem::setGuid(const QString &guid)
{
    d->guid = guid;
}

void CorvanaItem::setMediaSize(qint64 size)
{
    mutableMedia().size = size;
}

void CorvanaItem::setDescription(const QString &description)
{
    d->description = description;
}

void CorvanaItem::setPubDate(const QDateTime &date)
{
    d->pubDate = date;
}

void CorvanaItem::setCover(const QString &cover)
{
    d->cover = cover;
}

void CorvanaItem::setCategories(const QString &categories)
{
    d->categories = categories;
}

void CorvanaItem::setStars(const QString &stars)
{
    d->stars = stars;
}

void CorvanaItem::setDuration(const QString &duration)
{
    d->duration = duration;
}

void CorvanaItem::setMedia(const CorvanaMedia &media)
{
    d->media = QSharedPointer<CorvanaMedia>::create(media);
    d->null = false;
}
