#pragma once

#include "library/CopyRequest.h"
#include "library/FileCopier.h"

#include <QMap>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

// The file copier's worker: takes queued requests one after another and runs
// each through the chain of copy nodes. Its slots may be called from any
// thread; the queue and the answer flags are guarded by its mutex.
class CopyThread : public QThread
{
    Q_OBJECT

public:
    explicit CopyThread(QObject *parent = nullptr);
    ~CopyThread() override;

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
    void restart();
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

protected Q_SLOTS:
    void copierDestroyed();

protected:
    void run() override;

private:
    enum Answer
    {
        NoAnswer,
        SkipAnswer,
        OverwriteAnswer,
        RetryAnswer,
        CancelAnswer
    };

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
};
