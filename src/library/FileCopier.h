#pragma once

#include "library/CopyRequest.h"

#include <QMap>
#include <QObject>
#include <QPointer>

class CopyWorker;
class QTimer;

// Copies, moves or links files in a worker thread and reports each request's
// start, progress, end and errors through signals.
class FileCopier : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int progressInterval READ progressInterval WRITE setProgressInterval)
    Q_PROPERTY(bool autoReset READ autoReset WRITE setAutoReset)
    Q_PROPERTY(bool askOnError READ askOnError WRITE setAskOnError)

public:
    enum Error
    {
        NoError = 0,
        SourceNotExists = 1,
        DestinationExists = 2,
        SourceDirectoryOmitted = 3,
        SourceFileOmitted = 4,
        PathToDestinationNotExists = 5,
        CannotCreateDestinationDirectory = 6,
        CannotOpenSourceFile = 7,
        CannotOpenDestinationFile = 8,
        CannotRemoveDestinationFile = 9,
        CannotCreateSymLink = 10,
        CannotReadSourceFile = 11,
        CannotWriteDestinationFile = 12,
        CannotRemoveSource = 13,
        Canceled = 14,
        // A link that leads to a folder, into the library or a system folder,
        // or nowhere; a device, pipe or socket; a file in /proc, /sys or /dev.
        SourceRefused = 15,
        // A subtitle that is too large, holds too many cues or none.
        SubtitleRefused = 16,
    };
    Q_ENUM(Error)

    enum State
    {
        Idle,
        Busy,
        WaitingForInteraction
    };
    Q_ENUM(State)

    explicit FileCopier(QObject *parent = nullptr);
    // A copier that follows no link into the library at `library`.
    explicit FileCopier(const LibraryLocation &library, QObject *parent = nullptr);
    ~FileCopier() override;

    // Queues a copy of `source` to `destination` (a file path, or an existing
    // folder to copy into). Returns the request id; -1 for a folder source.
    int copy(const QString &source, const QString &destination,
             CopyRequest::Flags flags = CopyRequest::NoFlags);

    State state() const { return m_state; }
    int progressInterval() const;
    void setProgressInterval(int ms);
    // Forget "skip all" / "overwrite all" answers when a batch ends.
    bool autoReset() const { return m_autoReset; }
    void setAutoReset(bool on);
    // Stop at a resolvable error and wait for skip/overwrite/retry/cancel;
    // otherwise such a request is skipped.
    bool askOnError() const { return m_askOnError; }
    void setAskOnError(bool on);

    // The source and destination of a request (empty when unknown).
    CopyRequest request(int id) const { return m_requests.value(id); }

Q_SIGNALS:
    void error(int id, FileCopier::Error error, bool stopped);
    void stateChanged(FileCopier::State state);
    void done(bool error);
    void started(int id);
    void dataTransferProgress(int id, qint64 progress);
    void finished(int id, bool error);
    void canceled();
    // One block of a file was written; emitted from the worker thread.
    void blockCopied(int id, qint64 bytes);

public Q_SLOTS:
    void cancelAll();
    void cancel(int id);
    void skip();
    void skipAll();
    void retry();
    void overwrite();
    void overwriteAll();
    void reset();
    void resetSkip();
    void resetOverwrite();

private Q_SLOTS:
    void copyStarted(int id);
    void copyFinished(int id, bool error);
    void copyCanceled();
    void copyError(int id, FileCopier::Error error, bool stopped);
    void copyDone(bool error);
    void progressRequest();

private:
    void setState(State state);

    CopyWorker *m_worker = nullptr;
    QTimer *m_progressTimer = nullptr;
    QMap<int, CopyRequest> m_requests;
    int m_nextId = 0;
    LibraryLocation m_library;
    State m_state = Idle;
    bool m_autoReset = true;
    bool m_askOnError = false;
};

Q_DECLARE_METATYPE(FileCopier::Error)
