#include "library/SubtitleImport.h"

#include "media/MediaFiles.h"
#include "media/SubtitleParser.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The name a subtitle takes in the library: always SubRip.
QString libraryName(const SubtitleFile &subtitle, const QString &videoBaseName)
{
    const QString name = subtitle.nameFor(videoBaseName);
    return QFileInfo(name).completeBaseName() + QStringLiteral(".srt");
}

} // namespace

QList<CopyRequest> SubtitleImport::copiesFor(const SubtitleFiles &subtitles,
                                             const QString &destinationVideo)
{
    const QFileInfo destination(destinationVideo);
    QList<CopyRequest> copies;
    QStringList names;
    for (const SubtitleFile &subtitle : subtitles) {
        const QString name = libraryName(subtitle, destination.completeBaseName());
        if (names.contains(name))
            continue;
        names << name;
        copies.append({subtitle.path, destination.dir().absoluteFilePath(name),
                       CopyRequest::RewriteSubtitle});
    }
    return copies;
}

QStringList SubtitleImport::namesFor(const SubtitleFiles &subtitles, const QString &videoName)
{
    const QString base = QFileInfo(videoName).completeBaseName();
    QStringList names;
    for (const SubtitleFile &subtitle : subtitles) {
        const QString name = libraryName(subtitle, base);
        if (!names.contains(name))
            names.append(name);
    }
    return names;
}

bool SubtitleImport::isSubtitleFile(const QString &path)
{
    return MediaFiles::isSubtitleFile(path);
}

SubtitleImport::Refusal SubtitleImport::check(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return Refusal::Link;
    SubtitleCues cues;
    switch (SubtitleParser::read(path, &cues)) {
    case SubtitleParser::Problem::None:
        return cues.isEmpty() ? Refusal::NoCues : Refusal::None;
    case SubtitleParser::Problem::TooLarge:
        return Refusal::TooLarge;
    case SubtitleParser::Problem::TooManyCues:
        return Refusal::TooManyCues;
    case SubtitleParser::Problem::Unreadable:
        return Refusal::Unreadable;
    case SubtitleParser::Problem::Missing:
    case SubtitleParser::Problem::NotRegularFile:
        break;
    }
    return Refusal::NotRegularFile;
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
