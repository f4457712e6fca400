#include "library/ImportSession.h"

#include "core/Logging.h"
#include "library/ImportController.h"
#include "library/IntegrityChecker.h"
#include "library/SubtitleImport.h"

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

ImportSession::Listing ImportSession::list(const QStringList &paths)
{
    Listing listing;
    const QStringList &suffixes = IntegrityChecker::videoSuffixes();
    // Each folder's subtitles, listed once for all its videos.
    QHash<QString, QHash<QString, SubtitleFiles>> folders;
    const auto sort = [&listing, &suffixes, &folders](const QFileInfo &file) {
        if (SubtitleImport::isSubtitleFile(file.filePath()))
            return;
        if (!suffixes.contains(file.suffix().toLower())) {
            listing.others << file.fileName();
            return;
        }
        const QString video = file.absoluteFilePath();
        listing.videos << video;
        const QString folder = file.absolutePath();
        auto found = folders.constFind(folder);
        if (found == folders.cend())
            found = folders.insert(folder, SubtitleFile::inFolder(folder));
        const SubtitleFiles subtitles = found->value(file.completeBaseName());
        if (!subtitles.isEmpty())
            listing.subtitles.insert(video, subtitles);
    };
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (!info.isDir()) {
            sort(info);
            continue;
        }
        QStringList files;
        QDirIterator it(path, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
        std::sort(files.begin(), files.end());
        for (const QString &file : std::as_const(files))
            sort(QFileInfo(file));
    }
    return listing;
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
    watcher->setFuture(QtConcurrent::run(&ImportSession::list, paths));
}

void ImportSession::take(const Listing &listing)
{
    m_report.notVideos += listing.others;
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
        m_report.failed << QFileInfo(video).fileName();
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
