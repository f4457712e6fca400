#pragma once

#include "core/TaskTracker.h"

#include "library/FileCopier.h"
#include "library/LibraryItem.h"
#include "library/LibraryLocation.h"
#include "media/SubtitleFile.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

class ImportSession;
class LibraryStore;
class MetaDataBuilder;
class VideoImporter;

// What the user chose to bring into the library: the copies into the library
// folder (names kept free while they run), the subtitles that come with each
// video, the importer that stores what was copied, and the session that
// follows files and folders to one summary.
class ImportController : public QObject
{
    Q_OBJECT

public:
    // Imports into the library at `location`; `store` and `metaData` must
    // outlive the controller.
    ImportController(LibraryStore *store, const LibraryLocation &location,
                     MetaDataBuilder *metaData, QObject *parent = nullptr);
    ~ImportController() override;

    const LibraryLocation &location() const { return m_location; }

    // Copies a file into `toDir` (the library folder when empty) under a free
    // name, with the subtitles found beside it; false when nothing started.
    bool importFile(const QString &originalPath, const QString &toDir = QString());
    // The same with the video's subtitles already found (by a listing off
    // the window's thread): nothing is listed here.
    bool importFile(const QString &originalPath, const SubtitleFiles &subtitles);
    // Imports the videos of a folder and those below it, as importPaths.
    void importFolder(const QString &path);
    // Imports files and folders (with everything below them) as one import,
    // followed by importSession() to its summary.
    void importPaths(const QStringList &paths);
    // Stores items whose files are in the library already.
    void importItems(const LibraryItems &records);
    void importItems(const LibraryItem &record) { importItems(LibraryItems{record}); }
    // Imports a finished download's video; its download record is deleted in
    // the same commit that stores the row (or once the video is found listed).
    void importDownload(const LibraryItem &record);

    // True while copies run, copied files wait for the importer, or the
    // importer or the session works.
    bool isBusy() const;
    // Cancels the copies and stops the importer (once).
    void stop();

    ImportSession *importSession() const { return m_importSession; }
    VideoImporter *videoImporter() const { return m_importer; }
    FileCopier *fileCopier() const { return m_copier; }

Q_SIGNALS:
    void importStarted();
    void importProgress(int progress);
    void importFinished();
    // The importer stored rows.
    void updated();
    // A file's copy into the library started; its copy failed; the importer
    // stored the copied video, or refused it as no video (and deleted it).
    void importQueued(const QString &source, const QString &destination);
    void importCopyFailed(const QString &destination);
    void videoImported(const QString &path, bool stored);

private:
    bool queueImport(const QString &originalPath, const QString &toDir,
                     const SubtitleFiles &subtitles);
    // A free name in the library folder for the video and its subtitles.
    QString freeName(const QString &originalPath, const SubtitleFiles &subtitles) const;
    void trackCopy(int id, const QString &destination);
    void copiesDone();
    void copyError(FileCopier::Error error, bool stopped);
    void copyFinished(int id, bool error);
    // Holds the import task while copies, their files or a session's
    // listings wait (the importer's own work is a task of its thread).
    void updateTask();

    const LibraryLocation m_location;
    TaskTracker *m_tasks;
    TaskTracker::Task m_task;
    FileCopier *m_copier;
    VideoImporter *m_importer;
    ImportSession *m_importSession;
    // Copies done whose files wait for the importer.
    LibraryItems m_pending;
    // Destinations of copies still running, by copy id: their names are taken.
    QHash<int, QString> m_copyTargets;
    // The same destinations, for looking a name up.
    QSet<QString> m_copyDestinations;
    // Copies of subtitle files that come with an imported video.
    QSet<int> m_subtitleCopies;
    bool m_stopped = false;
};
