#include "library/ImportSession.h"

#include "core/Logging.h"
#include "library/ImportController.h"
#include "library/IntegrityChecker.h"
#include "library/SubtitleImport.h"
#include "media/MediaFiles.h"
#include "media/SourceFile.h"
#include "media/SubtitleParser.h"

#include <QCoreApplication>
#include <QSet>

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace {

// How many videos one turn of the event loop hands to the library at most,
// and for how long.
constexpr int kStartsPerTurn = 8;
constexpr qint64 kStartSliceMs = 4;

} // namespace

ImportSession::ImportSession(ImportController *imports)
    : QObject(imports), m_imports(imports), m_starter(new QTimer(this))
{
    m_starter->setSingleShot(true);
    m_starter->setInterval(0);
    connect(m_starter, &QTimer::timeout, this, [this] {
        startSome();
        finishIfDone();
    });
    connect(imports, &ImportController::importQueued, this,
            [this](const QString &source, const QString &destination) {
                if (m_collecting)
                    m_pending.insert(destination, QFileInfo(source).fileName());
            });
    connect(imports, &ImportController::importCopyFailed, this,
            [this](const QString &destination) { settle(destination, Failed); });
    connect(imports, &ImportController::videoImported, this,
            [this](const QString &path, bool stored) { settle(path, stored ? Stored : NotVideo); });
}

namespace {

// Walks what the user chose, within the bounds, sorting each entry into the
// listing or the report.
class Walker
{
public:
    Walker(const LibraryLocation &library, ImportSession::Listing *listing)
        : m_library(library), m_listing(listing)
    {
    }

    void chosen(const QString &path)
    {
        const QFileInfo info(path);
        const SourceFile::Check check = SourceFile::check(path, keptFolders());
        // The folder the user chose is taken even through a link; links
        // found inside are not.
        if (check.kind == SourceFile::Folder ||
            (check.kind == SourceFile::LinkToFolder && !SourceFile::isSystemPath(check.target))) {
            folder(check.target, info.fileName(), 0);
            return;
        }
        entry(info, check);
    }

    void finish()
    {
        std::sort(m_files.begin(), m_files.end());
        for (const QString &file : std::as_const(m_files))
            video(QFileInfo(file));
    }

private:
    // No link may lead into the library.
    QStringList keptFolders() const
    {
        return m_library.isEmpty() ? QStringList() : QStringList{m_library.folder()};
    }

    bool counted(const QString &name)
    {
        if (m_entries >= ImportSession::kMaxEntries) {
            if (!m_stopped)
                m_listing->report.add(ImportReport::OverLimit, name);
            m_stopped = true;
            return false;
        }
        ++m_entries;
        return true;
    }

    void folder(const QString &path, const QString &name, int depth)
    {
        if (m_library.isFolder(path) || m_library.contains(path)) {
            m_listing->report.add(ImportReport::LibraryFolder, name);
            return;
        }
        if (SourceFile::isSystemPath(path)) {
            m_listing->report.add(ImportReport::SystemFolder, name);
            return;
        }
        if (depth > ImportSession::kMaxDepth) {
            m_listing->report.add(ImportReport::TooDeep, name);
            return;
        }
        QDirIterator it(path, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        while (it.hasNext() && !m_stopped) {
            it.next();
            const QFileInfo info = it.fileInfo();
            if (!counted(info.fileName()))
                break;
            const SourceFile::Check check = SourceFile::check(info.filePath(), keptFolders());
            if (check.kind == SourceFile::Folder)
                folder(info.absoluteFilePath(), info.fileName(), depth + 1);
            else
                entry(info, check);
        }
    }

    void entry(const QFileInfo &info, const SourceFile::Check &check)
    {
        const QString name = info.fileName();
        // A subtitle comes with its video and is judged there.
        if (MediaFiles::isSubtitleFile(name) && check.kind != SourceFile::Missing)
            return;
        switch (check.kind) {
        case SourceFile::Regular:
            if (MediaFiles::isVideoFile(name))
                m_files << info.absoluteFilePath();
            else
                m_listing->others << name;
            return;
        case SourceFile::Missing:
            m_listing->report.add(ImportReport::Missing, name);
            return;
        case SourceFile::Folder:
            return;
        case SourceFile::LinkToFolder:
        case SourceFile::LinkLeadsOut:
            m_listing->report.add(ImportReport::Link, name);
            return;
        case SourceFile::SystemFile:
            m_listing->report.add(ImportReport::SystemFolder, name);
            return;
        case SourceFile::NotRegular:
            m_listing->report.add(check.link ? ImportReport::Link : ImportReport::NotRegularFile,
                                  name);
            return;
        case SourceFile::Unreadable:
            if (MediaFiles::isVideoFile(name))
                m_listing->report.add(ImportReport::Unreadable, name);
            else
                m_listing->others << name;
            return;
        }
    }

    // A readable video file (perhaps a link to one): into the listing, with
    // those of its subtitles that may come along.
    void video(const QFileInfo &file)
    {
        const QString video = file.absoluteFilePath();
        m_listing->videos << video;
        const QString folder = file.absolutePath();
        auto found = m_folders.constFind(folder);
        if (found == m_folders.cend())
            found = m_folders.insert(folder, SubtitleFile::inFolder(folder));
        SubtitleFiles accepted;
        for (const SubtitleFile &subtitle : found->value(file.completeBaseName())) {
            const ImportReport::Reason reason = refusal(subtitle.path);
            if (reason == ImportReport::ReasonCount)
                accepted << subtitle;
            else if (!m_refusedSubtitles.contains(subtitle.path))
                m_listing->report.add(reason, QFileInfo(subtitle.path).fileName());
            if (reason != ImportReport::ReasonCount)
                m_refusedSubtitles.insert(subtitle.path);
        }
        if (!accepted.isEmpty())
            m_listing->subtitles.insert(video, accepted);
    }

    static ImportReport::Reason refusal(const QString &path)
    {
        switch (SubtitleImport::check(path)) {
        case SubtitleImport::Refusal::None:
            return ImportReport::ReasonCount;
        case SubtitleImport::Refusal::Link:
            return ImportReport::SubtitleLink;
        case SubtitleImport::Refusal::TooLarge:
            return ImportReport::SubtitleTooLarge;
        case SubtitleImport::Refusal::TooManyCues:
            return ImportReport::SubtitleTooManyCues;
        case SubtitleImport::Refusal::NoCues:
            return ImportReport::SubtitleNoCues;
        case SubtitleImport::Refusal::Unreadable:
        case SubtitleImport::Refusal::NotRegularFile:
            break;
        }
        return ImportReport::SubtitleUnreadable;
    }

    const LibraryLocation m_library;
    ImportSession::Listing *m_listing;
    QStringList m_files;
    QSet<QString> m_refusedSubtitles;
    // Each folder's subtitles, listed once for all its videos.
    QHash<QString, QHash<QString, SubtitleFiles>> m_folders;
    int m_entries = 0;
    bool m_stopped = false;
};

} // namespace

ImportSession::Listing ImportSession::list(const LibraryLocation &library, const QStringList &paths)
{
    Listing listing;
    Walker walker(library, &listing);
    for (const QString &path : paths)
        walker.chosen(path);
    walker.finish();
    listing.report.notVideos += listing.others;
    return listing;
}

void ImportReport::add(Reason reason, const QString &name)
{
    if (reason == NotVideo)
        notVideos << name;
    else if (reason == Failed)
        failed << name;
    else
        others[reason] << name;
}

void ImportReport::merge(const ImportReport &other)
{
    imported += other.imported;
    notVideos += other.notVideos;
    failed += other.failed;
    for (auto it = other.others.cbegin(); it != other.others.cend(); ++it)
        others[it.key()] += it.value();
}

QStringList ImportReport::names(Reason reason) const
{
    if (reason == NotVideo)
        return notVideos;
    if (reason == Failed)
        return failed;
    return others.value(reason);
}

int ImportReport::skipped() const
{
    int count = int(notVideos.size() + failed.size());
    for (const QStringList &names : others)
        count += int(names.size());
    return count;
}

bool ImportReport::hasFailures() const
{
    return !failed.isEmpty() || others.contains(Unreadable) || others.contains(Missing);
}

QString ImportReport::reasonText(Reason reason)
{
    const char *const context = "LibraryWidget";
    switch (reason) {
    case NotVideo:
        return QCoreApplication::translate(context, "not a video");
    case Link:
        return QCoreApplication::translate(context, "a link");
    case NotRegularFile:
        return QCoreApplication::translate(context, "not a regular file");
    case Unreadable:
        return QCoreApplication::translate(context, "unreadable");
    case SystemFolder:
        return QCoreApplication::translate(context, "a system folder");
    case LibraryFolder:
        return QCoreApplication::translate(context, "the library's own folder");
    case TooDeep:
        return QCoreApplication::translate(context, "more than %1 folders deep")
            .arg(ImportSession::kMaxDepth);
    case OverLimit:
        return QCoreApplication::translate(context, "over the limit of %1 files")
            .arg(ImportSession::kMaxEntries);
    case Missing:
        return QCoreApplication::translate(context, "not found");
    case SubtitleLink:
        return QCoreApplication::translate(context, "a subtitle that is a link");
    case SubtitleTooLarge:
        return QCoreApplication::translate(context, "a subtitle over %1 MiB")
            .arg(SubtitleParser::kMaxFileBytes / (1024 * 1024));
    case SubtitleTooManyCues:
        return QCoreApplication::translate(context, "a subtitle of over %1 cues")
            .arg(SubtitleParser::kMaxCues);
    case SubtitleUnreadable:
        return QCoreApplication::translate(context, "an unreadable subtitle");
    case SubtitleNoCues:
        return QCoreApplication::translate(context, "a subtitle without cues");
    case Failed:
        return QCoreApplication::translate(context, "could not be copied into the library");
    case ReasonCount:
        break;
    }
    return {};
}

QString ImportReport::summary() const
{
    const char *const context = "LibraryWidget";
    QStringList parts{QCoreApplication::translate(context, "%n imported", "videos", imported)};
    for (int reason = 0; reason < ReasonCount; ++reason) {
        const int count = int(names(Reason(reason)).size());
        if (count == 0)
            continue;
        if (reason == NotVideo)
            parts << QCoreApplication::translate(context, "%n skipped: not a video", "files",
                                                 count);
        else if (reason == Failed)
            parts << QCoreApplication::translate(context, "%n could not be copied", "files", count);
        else
            parts << QCoreApplication::translate(context, "%n skipped: %1", "files", count)
                         .arg(reasonText(Reason(reason)));
    }
    return parts.join(QStringLiteral(", "));
}

QStringList ImportReport::details() const
{
    QStringList lines;
    for (int reason = 0; reason < ReasonCount; ++reason) {
        for (const QString &name : names(Reason(reason)))
            lines << QStringLiteral("%1: %2").arg(name, reasonText(Reason(reason)));
    }
    return lines;
}

void ImportSession::add(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    if (!isRunning()) {
        m_report = ImportReport();
        m_total = 0;
        m_done = 0;
        Q_EMIT started();
    }
    ++m_listings;
    // Folders are listed on a worker thread: a big tree takes a while.
    auto *watcher = new QFutureWatcher<Listing>(this);
    connect(watcher, &QFutureWatcher<Listing>::finished, this, [this, watcher] {
        watcher->deleteLater();
        --m_listings;
        take(watcher->result());
        finishIfDone();
    });
    watcher->setFuture(QtConcurrent::run(&ImportSession::list, m_imports->location(), paths));
}

void ImportSession::take(const Listing &listing)
{
    m_report.merge(listing.report);
    m_total += int(listing.videos.size());
    m_toStart += listing.videos;
    m_subtitles.insert(listing.subtitles);
    startSome();
}

void ImportSession::startSome()
{
    QElapsedTimer slice;
    slice.start();
    for (int n = 0; n < kStartsPerTurn && !m_toStart.isEmpty() && slice.elapsed() < kStartSliceMs;
         ++n)
        start(m_toStart.takeFirst());
    if (!m_toStart.isEmpty())
        m_starter->start();
}

void ImportSession::start(const QString &video)
{
    m_collecting = true;
    // Kept until the import ends: the same video may be listed twice.
    const bool queued = m_imports->importFile(video, m_subtitles.value(video));
    m_collecting = false;
    if (!queued) {
        m_report.add(ImportReport::Failed, QFileInfo(video).fileName());
        ++m_done;
        Q_EMIT progressed(m_done, m_total, QFileInfo(video).fileName());
    }
}

void ImportSession::settle(const QString &destination, Outcome outcome)
{
    const auto found = m_pending.constFind(destination);
    if (found == m_pending.cend())
        return; // not one of this import's (a download, say)
    const QString name = found.value();
    m_pending.erase(found);
    if (outcome == Stored)
        ++m_report.imported;
    else if (outcome == NotVideo)
        m_report.notVideos << name;
    else
        m_report.failed << name;
    ++m_done;
    Q_EMIT progressed(m_done, m_total, name);
    finishIfDone();
}

void ImportSession::finishIfDone()
{
    if (isRunning())
        return;
    m_subtitles.clear();
    qCDebug(lcLibrary).noquote() << QStringLiteral("ImportSession: %1 imported, %2 skipped")
                                        .arg(m_report.imported)
                                        .arg(m_report.skipped());
    Q_EMIT finished(m_report);
}
