#pragma once

#include "library/LibraryLocation.h"
#include "media/SubtitleFile.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

class QTimer;

class ImportController;

// What became of the files and folders the user chose to import.
struct ImportReport
{
    // Why a file stayed out, in the order the summary names them.
    enum Reason
    {
        NotVideo,
        Link,           // a link to a folder, out of bounds, or dangling
        NotRegularFile, // a device, pipe or socket
        Unreadable,
        SystemFolder, // /proc, /sys, /dev
        LibraryFolder,
        TooDeep,
        OverLimit, // the listing stopped at kMaxEntries
        Missing,
        SubtitleLink,
        SubtitleTooLarge,
        SubtitleTooManyCues,
        SubtitleUnreadable,
        SubtitleNoCues,
        Failed, // could not be copied
        ReasonCount
    };

    int imported = 0;
    // File names of files that are not videos (by their kind, or because the
    // encoder finds no picture in them).
    QStringList notVideos;
    // File names of videos that could not be copied into the library.
    QStringList failed;
    // The names for every other reason.
    QHash<int, QStringList> others;

    void add(Reason reason, const QString &name);
    void merge(const ImportReport &other);
    QStringList names(Reason reason) const;
    int skipped() const;
    // Something went wrong rather than was left out on purpose.
    bool hasFailures() const;
    // "2 imported, 3 skipped: not a video, 1 skipped: a link".
    QString summary() const;
    // One "name: reason" line per file left out.
    QStringList details() const;
    static QString reasonText(Reason reason);
};

// One import the user started, from the files and folders chosen (folders
// with everything below them) to the summary: lists the folders away from
// the window's thread, hands each video to the library's copy and import,
// follows every file to its end and reports once all have one.
class ImportSession : public QObject
{
    Q_OBJECT

public:
    explicit ImportSession(ImportController *imports);

    // Adds files and folders; a running import takes them in.
    void add(const QStringList &paths);
    bool isRunning() const
    {
        return m_listings > 0 || !m_toStart.isEmpty() || !m_pending.isEmpty();
    }

    // Folder levels below a chosen folder that are looked into, and entries
    // looked at in one listing.
    static constexpr int kMaxDepth = 16;
    static constexpr int kMaxEntries = 100000;

    // The videos among the files under `paths` (in a stable order), and the
    // names of the other files with the reason; subtitle files, which come
    // with their video, are in neither (a refused one is in the report).
    // Links to folders are never followed; a link to a file counts only when
    // it leads to a readable regular file outside the library and the
    // system's folders.
    struct Listing
    {
        QStringList videos;
        QStringList others;
        // The subtitles found beside each video, by the video's path (only
        // those that may come into the library).
        QHash<QString, SubtitleFiles> subtitles;
        ImportReport report;
    };
    // What of `paths` may come into the library at `library`.
    static Listing list(const LibraryLocation &library, const QStringList &paths);

Q_SIGNALS:
    void started();
    // `done` of `total` videos have an outcome; `name` is the latest.
    void progressed(int done, int total, const QString &name);
    void finished(const ImportReport &report);

private:
    enum Outcome
    {
        Stored,
        NotVideo,
        Failed
    };
    void take(const Listing &listing);
    // Hands the next videos waiting to the library, for a few milliseconds:
    // each one picks a free name, so a long listing goes out over several
    // turns of the event loop.
    void startSome();
    void start(const QString &video);
    // A video handed to the library has its outcome.
    void settle(const QString &destination, Outcome outcome);
    void finishIfDone();

    ImportController *m_imports;
    int m_listings = 0;
    bool m_collecting = false;
    int m_total = 0;
    int m_done = 0;
    // Videos listed but not yet handed to the library, in their order.
    QStringList m_toStart;
    // Their subtitles, found by the listing.
    QHash<QString, SubtitleFiles> m_subtitles;
    QTimer *m_starter = nullptr;
    // Copies on their way, by destination path, with the source's file name.
    QHash<QString, QString> m_pending;
    ImportReport m_report;
};
