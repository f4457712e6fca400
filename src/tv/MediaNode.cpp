#include "tv/MediaNode.h"

#include "core/Formatters.h"

MediaNode::MediaNode(const QString &path, int nodeKind, MediaNode *parentNode)
    : kind(nodeKind), parent(parentNode), m_path(path)
{
}

MediaNode::~MediaNode()
{
    qDeleteAll(children);
}

QString MediaNode::name() const
{
    return m_path.mid(m_path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString MediaNode::suffix() const
{
    const QString fileName = name();
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : fileName.mid(dot + 1).toLower();
}

bool MediaNode::needsTranscoding() const
{
    if (!format.isEmpty())
        return transcodeList().contains(format);
    // By the suffix, without building it (asked for every listed node).
    for (const QString &entry : transcodeList()) {
        const qsizetype dot = m_path.size() - entry.size() - 1;
        if (dot > 0 && m_path.at(dot) == QLatin1Char('.') &&
            QStringView(m_path).mid(dot + 1).compare(entry, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void MediaNode::forgetProbe()
{
    probed = false;
    headerRead = false;
    durationMs = -1;
    format.clear();
    codec.clear();
    media = MediaInfo();
    thumbnail.clear();
    thumbnailSize = QSize();
}

void MediaNode::setDuration(double seconds)
{
    // A cached or probed value may be anything: NaN or 1e300 is no length.
    qint64 ms = 0;
    const bool valid = Formatters::durationMilliseconds(seconds, &ms);
    media.duration = valid ? seconds : -1;
    durationMs = valid ? ms : -1;
}

int MediaNode::row() const
{
    return parent ? int(parent->children.indexOf(const_cast<MediaNode *>(this))) : 0;
}

const QStringList &MediaNode::mediaSuffixes()
{
    static const QStringList suffixes = {
        QStringLiteral("gif"),  QStringLiteral("png"),  QStringLiteral("tif"),
        QStringLiteral("tiff"), QStringLiteral("jpg"),  QStringLiteral("jpeg"),
        QStringLiteral("jpe"),  QStringLiteral("jp2"),  QStringLiteral("bmp"),
        QStringLiteral("aif"),  QStringLiteral("aifc"), QStringLiteral("aiff"),
        QStringLiteral("mpa"),  QStringLiteral("mp2"),  QStringLiteral("mp3"),
        QStringLiteral("m4a"),  QStringLiteral("wma"),  QStringLiteral("wav"),
        QStringLiteral("mpeg"), QStringLiteral("mpg"),  QStringLiteral("mp4"),
        QStringLiteral("m4v"),  QStringLiteral("ts"),   QStringLiteral("mov"),
        QStringLiteral("wmv"),  QStringLiteral("wtv"),  QStringLiteral("asf"),
        QStringLiteral("avi"),  QStringLiteral("divx"), QStringLiteral("xvid"),
        QStringLiteral("flv"),  QStringLiteral("mkv")};
    return suffixes;
}

const QStringList &MediaNode::transcodeList()
{
    static const QStringList list = {QStringLiteral("flv")};
    return list;
}
