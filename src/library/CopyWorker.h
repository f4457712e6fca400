#pragma once

#include "library/CopyRequest.h"
#include "library/FileCopier.h"

#include "core/JobThread.h"

#include <QMap>
#include <QMutex>
#include <QObject>
#include <QWaitCondition>

// The file copier's worker: takes queued requests one after another, in the
// order of their ids, and runs each through the chain of copy nodes on a job
// thread of its own. Its slots may be called from any thread; the queue and
// the answer flags are guarded by m_mutex. While an error waits for the
// user's answer, the job thread waits on m_condition.
class CopyWorker : public QObject
{
    Q_OBJECT

public:
    explicit CopyWorker(QObject *parent = nullptr);
    ~CopyWorker() override;

    void setAskOnError(bool on);
    void setAutoReset(bool on);

    // Used by the copy nodes while a request runs.
    bool isCanceled() const;
    bool isOverwriteAll() const;
    void addProgress(qint64 bytes);

Q_SIGNALS:
    void error(int id, FileCopier::Error error, bool stopped);
    void started(int id);
    void dataTransferProgress(int id, qint64 progress);
    void finished(int id, bool error);
    void canceled();
    // Every request queued so far has been handled.
    void done(bool error);
    // One block of a file was written (for progress displays and checks).
    void blockWritten(int id, qint64 bytes);

public Q_SLOTS:
    void copy(int id, const CopyRequest &request);
    void copy(const QMap<int, CopyRequest> &requests);
    void cancel();
    void cancel(int id);
    void skip();
    void skipAll();
    void retry();
    void overwrite();
    void overwriteAll();
    void resetOverwrite();
    void resetSkip();
    void progress();

    // Drops what is queued, cancels the request under way and ends the job
    // thread; nothing is copied after it returns.
    void copierDestroyed();

private:
    enum Answer
    {
        NoAnswer,
        SkipAnswer,
        OverwriteAnswer,
        RetryAnswer,
        CancelAnswer
    };

    // Job thread: the first request still queued, if any.
    void runNext();
    FileCopier::Error process(int id, CopyRequest request);
    Answer waitForAnswer(int id, FileCopier::Error error);
    void answer(Answer value);
    void answerLocked(Answer value);
    static bool isResolvable(FileCopier::Error error);

    mutable QMutex m_mutex;
    QWaitCondition m_condition;
    QMap<int, CopyRequest> m_queue;
    int m_currentId = -1;
    qint64 m_bytes = 0;
    bool m_cancelCurrent = false;
    bool m_skipAll = false;
    bool m_overwriteAll = false;
    bool m_waitingForAnswer = false;
    Answer m_answer = NoAnswer;
    bool m_quit = false;
    bool m_batchError = false;
    bool m_askOnError = false;
    bool m_autoReset = true;
    // Last, so that it ends before the members its jobs use.
    JobThread m_jobs;
};
