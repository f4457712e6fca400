#include "library/SubtitleImport.h"

#include <QDir>
#include <QFileInfo>

QList<CopyRequest> SubtitleImport::copiesFor(const SubtitleFiles &subtitles,
                                             const QString &destinationVideo)
{
    const QFileInfo destination(destinationVideo);
    QList<CopyRequest> copies;
    for (const SubtitleFile &subtitle : subtitles) {
        copies.append(
            {subtitle.path,
             destination.dir().absoluteFilePath(subtitle.nameFor(destination.completeBaseName())),
             CopyRequest::FollowLinks});
    }
    return copies;
}

QStringList SubtitleImport::namesFor(const SubtitleFiles &subtitles, const QString &videoName)
{
    const QString base = QFileInfo(videoName).completeBaseName();
    QStringList names;
    for (const SubtitleFile &subtitle : subtitles)
        names.append(subtitle.nameFor(base));
    return names;
}

bool SubtitleImport::isSubtitleFile(const QString &path)
{
    return SubtitleFile::isSubtitleSuffix(QFileInfo(path).suffix());
}

QStringList SubtitleImport::ownFiles(const QString &videoPath,
                                     const std::function<bool(const QString &)> &isReferenced)
{
    const QFileInfo video(videoPath);
    const QString base = video.completeBaseName();
    const QFileInfoList siblings = video.dir().entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo &sibling : siblings) {
        if (sibling.completeBaseName() == base && sibling.fileName() != video.fileName() &&
            !isSubtitleFile(sibling.filePath()) && isReferenced(sibling.absoluteFilePath()))
            return {};
    }
    QStringList own;
    for (const SubtitleFile &subtitle : SubtitleFile::besideVideo(videoPath))
        own.append(subtitle.path);
    return own;
}
