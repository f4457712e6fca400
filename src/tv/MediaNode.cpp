#include "MediaNode.h"

#include <QFileInfo>

MediaNode::MediaNode(const QUrl &nodeUrl, int nodeKind, MediaNode *parentNode)
    : url(nodeUrl), kind(nodeKind), parent(parentNode)
{
}

MediaNode::~MediaNode()
{
    qDeleteAll(children);
}

QString MediaNode::name() const
{
    return QFileInfo(path()).fileName();
}

bool MediaNode::needsTranscoding() const
{
    const QString decisive = format.isEmpty() ? QFileInfo(path()).suffix().toLower() : format;
    return transcodeList().contains(decisive);
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
