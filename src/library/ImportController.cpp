#include "library/ImportController.h"

#include "core/Logging.h"
#include "library/ImportSession.h"
#include "library/LibraryStore.h"
#include "library/SubtitleImport.h"
#include "library/VideoImporter.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>

ImportController::ImportController(LibraryStore *store, const LibraryLocation &location,
                                   MetaDataBuilder *metaData, QObject *parent)
    : QObject(parent), m_location(location), m_tasks(store->tasks()),
      m_copier(new FileCopier(location, this)),
      m_importer(new VideoImporter(store, location, metaData))
{
    m_importer->setParent(this);
    connect(m_copier, &FileCopier::finished, this, &ImportController::copyFinished);
    connect(m_copier, &FileCopier::error, this,
            [this](int, FileCopier::Error error, bool stopped) { copyError(error, stopped); });
    connect(m_copier, &FileCopier::dataTransferProgress, this,
            [this](int, qint64 progress) { emit importProgress(int(progress)); });
    connect(m_copier, &FileCopier::done, this, &ImportController::copiesDone);
    connect(m_importer, &VideoImporter::updated, this, &ImportController::updated,
            Qt::QueuedConnection);
    connect(m_importer, &VideoImporter::importFinished, this, &ImportController::importFinished,
            Qt::QueuedConnection);
    connect(m_importer, &VideoImporter::videoImported, this, &ImportController::videoImported,
            Qt::QueuedConnection);
    m_importSession = new ImportSession(this);
    connect(m_importSession, &ImportSession::progressed, this, &ImportController::updateTask,
            Qt::QueuedConnection);
    connect(m_importSession, &ImportSession::finished, this, &ImportController::updateTask,
            Qt::QueuedConnection);
}

void ImportController::updateTask()
{
    const bool busy =
        !m_copyTargets.isEmpty() || !m_pending.isEmpty() || m_importSession->isRunning();
    if (!busy)
        m_task.end();
    else if (!m_task.isActive())
        m_task = m_tasks->begin(QStringLiteral("import"));
}

ImportController::~ImportController()
{
    stop();
}

void ImportController::stop()
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_importer->stop();
    m_copier->cancelAll();
    m_task.end();
}

bool ImportController::isBusy() const
{
    return !m_copyTargets.isEmpty() || !m_pending.isEmpty() || m_importSession->isRunning() ||
           !m_importer->isIdle();
}

void ImportController::importItems(const LibraryItems &records)
{
    emit importStarted();
    m_importer->enqueue(records);
}

void ImportController::importDownload(const LibraryItem &record)
{
    emit importStarted();
    m_importer->enqueue({record}, true);
}

bool ImportController::importFile(const QString &originalPath, const QString &toDir)
{
    const SubtitleFiles subtitles = SubtitleImport::isSubtitleFile(originalPath)
                                        ? SubtitleFiles()
                                        : SubtitleFile::besideVideo(originalPath);
    return queueImport(originalPath, toDir, subtitles);
}

bool ImportController::importFile(const QString &originalPath, const SubtitleFiles &subtitles)
{
    return queueImport(originalPath, QString(), subtitles);
}

void ImportController::importPaths(const QStringList &paths)
{
    m_importSession->add(paths);
    updateTask();
}

void ImportController::importFolder(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isDir()) {
        qCWarning(lcLibrary) << "Libraray::importFolder invalid path";
        return;
    }
    // The session's listing keeps to videos and their subtitles, never
    // follows a link out of the folder and names what it left out.
    m_importSession->add({path});
    updateTask();
}

QString ImportController::freeName(const QString &originalPath,
                                   const SubtitleFiles &subtitles) const
{
    const QFileInfo original(originalPath);
    const QDir library(m_location.folder());
    // A name is taken by a file or by a copy still on its way there.
    const auto taken = [this, &library](const QString &name) {
        return library.exists(name) || m_copyDestinations.contains(library.absoluteFilePath(name));
    };
    // The video's subtitles need free names too.
    const auto subtitleTaken = [&](const QString &name) {
        const QStringList names = SubtitleImport::namesFor(subtitles, name);
        return std::any_of(names.cbegin(), names.cend(), taken);
    };
    QString target = original.fileName();
    for (int n = 1; taken(target) || subtitleTaken(target); ++n) {
        target = QStringLiteral("%1-%2").arg(original.completeBaseName()).arg(n);
        if (!original.suffix().isEmpty())
            target += QLatin1Char('.') + original.suffix();
    }
    return target;
}

bool ImportController::queueImport(const QString &originalPath, const QString &toDir,
                                   const SubtitleFiles &subtitles)
{
    const QFileInfo original(originalPath);
    if (!original.exists()) {
        qCWarning(lcLibrary) << "Library::importFile invalid path";
        return false;
    }
    if (SubtitleImport::isSubtitleFile(originalPath)) {
        qCDebug(lcLibrary).noquote()
            << QStringLiteral("Library::importFile a subtitle comes with its video: ") +
                   originalPath;
        return false;
    }
    const QString target = freeName(originalPath, subtitles);
    const QDir folder(toDir.isEmpty() ? m_location.folder() : toDir);
    if (!folder.exists()) {
        qCWarning(lcLibrary) << "Library::importFile toDir does not exist";
        return false;
    }
    if (folder.exists(target)) {
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("Library::importFile file already exists in "
                              "toDir: ") +
                   target;
        return false;
    }
    const QString destination = folder.absoluteFilePath(target);
    // A folder is refused by the copier; nothing starts then. A link is
    // imported as a copy of its target: no link in the library leads out.
    const int id =
        m_copier->copy(original.absoluteFilePath(), destination, CopyRequest::FollowLinks);
    if (id < 0)
        return false;
    trackCopy(id, destination);
    emit importQueued(original.absoluteFilePath(), destination);
    for (const CopyRequest &copy : SubtitleImport::copiesFor(subtitles, destination)) {
        const int subtitleId = m_copier->copy(copy.source, copy.destination, copy.flags);
        if (subtitleId < 0)
            continue;
        trackCopy(subtitleId, copy.destination);
        m_subtitleCopies.insert(subtitleId);
    }
    emit importStarted();
    return true;
}

void ImportController::trackCopy(int id, const QString &destination)
{
    m_copyTargets.insert(id, destination);
    m_copyDestinations.insert(destination);
    updateTask();
}

void ImportController::copiesDone()
{
    if (m_pending.isEmpty())
        return;
    // Copies the user chose: a file that turns out to be no video goes again.
    emit importStarted();
    m_importer->enqueueCopies(m_pending);
    m_pending.clear();
    updateTask();
}

void ImportController::copyError(FileCopier::Error error, bool stopped)
{
    qCWarning(lcLibrary) << "Library::fileCopyError triggered with error " << int(error);
    if (stopped)
        emit importFinished();
}

void ImportController::copyFinished(int id, bool error)
{
    // Told when this returns, whichever way it does.
    const auto told = qScopeGuard([this] { updateTask(); });
    const QString destination = m_copyTargets.take(id);
    m_copyDestinations.remove(destination);
    if (m_subtitleCopies.remove(id)) {
        if (error)
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("Library::fileCopyFinished subtitle not copied: ") + destination;
        return;
    }
    if (error) {
        qCWarning(lcLibrary) << "Library::fileCopyFinished error occurred, cancelling import";
        emit importCopyFailed(destination);
        emit importFinished();
        return;
    }
    if (!destination.isEmpty())
        m_pending << LibraryItem::fromFile(destination);
}
