#include "library/CopyNodes.h"

#include "library/CopyWorker.h"
#include "library/LibraryPaths.h"
#include "media/SourceFile.h"
#include "media/SubtitleParser.h"
#include "media/SubtitleWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr qint64 kBlockSize = 4096;

bool existsOrLink(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

CopyNode::CopyNode(CopyWorker *worker, std::unique_ptr<CopyNode> next)
    : m_worker(worker), m_next(std::move(next))
{
}

CopyNode::~CopyNode() = default;

FileCopier::Error CopyNode::handle(const CopyRequest &request)
{
    return passOn(request);
}

FileCopier::Error CopyNode::passOn(const CopyRequest &request)
{
    return m_next ? m_next->handle(request) : FileCopier::NoError;
}

FileCopier::Error CanceledNode::handle(const CopyRequest &request)
{
    return worker()->isCanceled() ? FileCopier::Canceled : passOn(request);
}

FileCopier::Error SourceExistsNode::handle(const CopyRequest &request)
{
    return existsOrLink(request.source) ? passOn(request) : FileCopier::SourceNotExists;
}

FileCopier::Error SourceKindNode::handle(const CopyRequest &request)
{
    const QFileInfo source(request.source);
    if (request.flags.testFlag(CopyRequest::RewriteSubtitle)) {
        // Never through a link: it could lead to any file of the user's.
        return !source.isSymLink() && source.isFile() ? passOn(request) : FileCopier::SourceRefused;
    }
    if (source.isSymLink()) {
        if (!request.flags.testFlag(CopyRequest::FollowLinks))
            return passOn(request); // the link itself is made again
        // Only to a readable regular file outside the library and the system.
        const SourceFile::Check check = SourceFile::check(request.source);
        if (check.kind != SourceFile::Regular || request.library.contains(check.target))
            return FileCopier::SourceRefused;
        return passOn(request);
    }
    if (source.isDir())
        return passOn(request);
    const SourceFile::Check check = SourceFile::check(request.source);
    if (check.kind == SourceFile::SystemFile || check.kind == SourceFile::NotRegular)
        return FileCopier::SourceRefused;
    return passOn(request);
}

FileCopier::Error OverwriteNode::handle(const CopyRequest &request)
{
    const bool allowed =
        request.flags.testFlag(CopyRequest::Overwrite) || worker()->isOverwriteAll();
    if (existsOrLink(request.destination) && !allowed)
        return FileCopier::DestinationExists;
    return passOn(request);
}

FileCopier::Error MakeLinksNode::handle(const CopyRequest &request)
{
    if (!request.flags.testFlag(CopyRequest::MakeLinks))
        return passOn(request);
    if (existsOrLink(request.destination) && !QFile::remove(request.destination))
        return FileCopier::CannotRemoveDestinationFile;
    if (!QFile::link(QFileInfo(request.source).absoluteFilePath(), request.destination))
        return FileCopier::CannotCreateSymLink;
    return FileCopier::NoError;
}

FileCopier::Error FollowLinksNode::handle(const CopyRequest &request)
{
    const QFileInfo source(request.source);
    if (!source.isSymLink())
        return passOn(request);
    if (request.flags.testFlag(CopyRequest::FollowLinks)) {
        // The file at the end of the chain of links (checked above).
        CopyRequest followed = request;
        followed.source = source.canonicalFilePath();
        if (followed.source.isEmpty())
            return FileCopier::SourceNotExists;
        return passOn(followed);
    }
    if (existsOrLink(request.destination) && !QFile::remove(request.destination))
        return FileCopier::CannotRemoveDestinationFile;
    if (!QFile::link(source.symLinkTarget(), request.destination))
        return FileCopier::CannotCreateSymLink;
    if (request.flags.testFlag(CopyRequest::Move) && !QFile::remove(request.source))
        return FileCopier::CannotRemoveSource;
    return FileCopier::NoError;
}

FileCopier::Error RenameNode::handle(const CopyRequest &request)
{
    if (request.flags.testFlag(CopyRequest::Move) && !existsOrLink(request.destination) &&
        QDir().rename(request.source, request.destination)) {
        return FileCopier::NoError;
    }
    return passOn(request);
}

FileCopier::Error MoveNode::handle(const CopyRequest &request)
{
    const FileCopier::Error result = passOn(request);
    if (result != FileCopier::NoError || !request.flags.testFlag(CopyRequest::Move))
        return result;
    const QFileInfo source(request.source);
    const bool removed = source.isDir() && !source.isSymLink() ? QDir().rmdir(request.source)
                                                               : QFile::remove(request.source);
    return removed ? FileCopier::NoError : FileCopier::CannotRemoveSource;
}

FileCopier::Error CopyDirNode::handle(const CopyRequest &request)
{
    const QFileInfo source(request.source);
    if (!source.isDir())
        return passOn(request);
    const QFileInfo destination(request.destination);
    if (!destination.absoluteDir().exists())
        return FileCopier::PathToDestinationNotExists;
    if (!destination.isDir() && !QDir().mkdir(request.destination))
        return FileCopier::CannotCreateDestinationDirectory;
    // Folder contents run through a fresh chain each; a move removes the
    // emptied folder afterwards (the move node above does that).
    const QDir folder(request.source);
    const QFileInfoList entries =
        folder.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        CopyRequest child = request;
        child.source = entry.absoluteFilePath();
        child.destination = QDir(request.destination).absoluteFilePath(entry.fileName());
        const FileCopier::Error result = CopyNodes::run(worker(), child);
        if (result != FileCopier::NoError)
            return result;
    }
    return FileCopier::NoError;
}

namespace {

// Copies block by block, counting progress and stopping on a cancel.
FileCopier::Error copyBytes(CopyWorker *worker, QFile &source, QFile &destination)
{
    QByteArray block(kBlockSize, Qt::Uninitialized);
    for (;;) {
        const qint64 read = source.read(block.data(), kBlockSize);
        if (worker->isCanceled())
            return FileCopier::Canceled;
        if (read < 0)
            return FileCopier::CannotReadSourceFile;
        if (read == 0)
            return FileCopier::NoError;
        if (destination.write(block.constData(), read) != read)
            return FileCopier::CannotWriteDestinationFile;
        worker->addProgress(read);
    }
}

// Gives a whole temporary copy its final name; removes it on any failure, so
// that no partial copy stays behind.
FileCopier::Error settleCopy(FileCopier::Error result, QFile &destination,
                             const CopyRequest &request, QFileDevice::Permissions permissions)
{
    if (result == FileCopier::NoError && !destination.flush())
        result = FileCopier::CannotWriteDestinationFile;
    destination.close();
    if (result == FileCopier::NoError) {
        destination.setPermissions(permissions);
        if (existsOrLink(request.destination) && !QFile::remove(request.destination))
            result = FileCopier::CannotRemoveDestinationFile;
        else if (!destination.rename(request.destination))
            result = FileCopier::CannotWriteDestinationFile;
    }
    if (result != FileCopier::NoError)
        destination.remove();
    return result;
}

} // namespace

FileCopier::Error RewriteSubtitleNode::handle(const CopyRequest &request)
{
    if (!request.flags.testFlag(CopyRequest::RewriteSubtitle))
        return passOn(request);
    QFile source;
    QString error;
    // Refuses a link that took the place of the file since it was checked.
    if (!SourceFile::openRegular(&source, request.source, &error))
        return FileCopier::CannotOpenSourceFile;
    if (source.size() > SubtitleParser::kMaxFileBytes)
        return FileCopier::SubtitleRefused;
    const QByteArray bytes = source.read(SubtitleParser::kMaxFileBytes + 1);
    if (bytes.size() > SubtitleParser::kMaxFileBytes)
        return FileCopier::SubtitleRefused;
    bool complete = true;
    const SubtitleCues cues = SubtitleParser::parse(bytes, &complete);
    if (!complete || cues.isEmpty())
        return FileCopier::SubtitleRefused;
    const QByteArray subRip = SubtitleWriter::toSubRip(cues);
    if (worker()->isCanceled())
        return FileCopier::Canceled;
    QFile destination(LibraryPaths::temporaryCopyPath(request.destination));
    if (!destination.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return FileCopier::CannotOpenDestinationFile;
    FileCopier::Error result = FileCopier::NoError;
    if (destination.write(subRip) != subRip.size())
        result = FileCopier::CannotWriteDestinationFile;
    else
        worker()->addProgress(subRip.size());
    return settleCopy(result, destination, request,
                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                          QFileDevice::ReadOther);
}

FileCopier::Error CopyFileNode::handle(const CopyRequest &request)
{
    // A regular file only (a link is followed before it gets here): a
    // device or pipe could be read forever.
    QFile source;
    QString error;
    if (!SourceFile::openRegular(&source, request.source, &error))
        return FileCopier::CannotOpenSourceFile;
    // The bytes go to a temporary name first: the final name only ever
    // holds a whole copy, even when the program is killed midway.
    QFile destination(LibraryPaths::temporaryCopyPath(request.destination));
    if (!destination.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return FileCopier::CannotOpenDestinationFile;
    const FileCopier::Error result = copyBytes(worker(), source, destination);
    return settleCopy(result, destination, request, source.permissions());
}

namespace CopyNodes {

FileCopier::Error run(CopyWorker *worker, const CopyRequest &request)
{
    std::unique_ptr<CopyNode> chain = std::make_unique<CopyFileNode>(worker, nullptr);
    chain = std::make_unique<RewriteSubtitleNode>(worker, std::move(chain));
    chain = std::make_unique<CopyDirNode>(worker, std::move(chain));
    chain = std::make_unique<MoveNode>(worker, std::move(chain));
    chain = std::make_unique<RenameNode>(worker, std::move(chain));
    chain = std::make_unique<FollowLinksNode>(worker, std::move(chain));
    chain = std::make_unique<MakeLinksNode>(worker, std::move(chain));
    chain = std::make_unique<OverwriteNode>(worker, std::move(chain));
    chain = std::make_unique<SourceKindNode>(worker, std::move(chain));
    chain = std::make_unique<SourceExistsNode>(worker, std::move(chain));
    chain = std::make_unique<CanceledNode>(worker, std::move(chain));
    return chain->handle(request);
}

} // namespace CopyNodes
