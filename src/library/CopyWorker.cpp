#include "library/CopyWorker.h"

#include "library/CopyNodes.h"

#include <QtDebug>

CopyWorker::CopyWorker(QObject *parent) : QObject(parent), m_jobs(QStringLiteral("copy"), nullptr)
{
}

CopyWorker::~CopyWorker()
{
    copierDestroyed();
}

void CopyWorker::setAskOnError(bool on)
{
    QMutexLocker locker(&m_mutex);
    m_askOnError = on;
}

void CopyWorker::setAutoReset(bool on)
{
    QMutexLocker locker(&m_mutex);
    m_autoReset = on;
}

bool CopyWorker::isCanceled() const
{
    QMutexLocker locker(&m_mutex);
    return m_cancelCurrent;
}

bool CopyWorker::isOverwriteAll() const
{
    QMutexLocker locker(&m_mutex);
    return m_overwriteAll;
}

void CopyWorker::addProgress(qint64 bytes)
{
    int id;
    {
        QMutexLocker locker(&m_mutex);
        m_bytes += bytes;
        id = m_currentId;
    }
    emit blockWritten(id, bytes);
}

void CopyWorker::copy(int id, const CopyRequest &request)
{
    {
        QMutexLocker locker(&m_mutex);
        if (m_quit)
            return;
        m_queue.insert(id, request);
    }
    m_jobs.post([this] { runNext(); });
}

void CopyWorker::copy(const QMap<int, CopyRequest> &requests)
{
    {
        QMutexLocker locker(&m_mutex);
        if (m_quit)
            return;
        m_queue.insert(requests);
    }
    // One job per request; a job finding the queue emptied does nothing.
    for (qsizetype i = 0; i < requests.size(); ++i)
        m_jobs.post([this] { runNext(); });
}

void CopyWorker::cancel()
{
    QList<int> dropped;
    {
        QMutexLocker locker(&m_mutex);
        dropped = m_queue.keys();
        m_queue.clear();
        m_cancelCurrent = m_currentId >= 0;
        answerLocked(CancelAnswer);
    }
    for (int id : std::as_const(dropped))
        emit finished(id, true);
    emit canceled();
}

void CopyWorker::cancel(int id)
{
    bool dropped = false;
    {
        QMutexLocker locker(&m_mutex);
        if (m_queue.remove(id) > 0) {
            dropped = true;
        } else if (id == m_currentId) {
            m_cancelCurrent = true;
            answerLocked(CancelAnswer);
        }
    }
    if (dropped)
        emit finished(id, true);
}

void CopyWorker::skip()
{
    answer(SkipAnswer);
}

void CopyWorker::skipAll()
{
    QMutexLocker locker(&m_mutex);
    m_skipAll = true;
    answerLocked(SkipAnswer);
}

void CopyWorker::retry()
{
    answer(RetryAnswer);
}

void CopyWorker::overwrite()
{
    answer(OverwriteAnswer);
}

void CopyWorker::overwriteAll()
{
    QMutexLocker locker(&m_mutex);
    m_overwriteAll = true;
    answerLocked(OverwriteAnswer);
}

void CopyWorker::resetOverwrite()
{
    QMutexLocker locker(&m_mutex);
    m_overwriteAll = false;
}

void CopyWorker::resetSkip()
{
    QMutexLocker locker(&m_mutex);
    m_skipAll = false;
}

void CopyWorker::progress()
{
    int id;
    qint64 bytes;
    {
        QMutexLocker locker(&m_mutex);
        id = m_currentId;
        bytes = m_bytes;
    }
    if (id >= 0)
        emit dataTransferProgress(id, bytes);
}

void CopyWorker::copierDestroyed()
{
    {
        QMutexLocker locker(&m_mutex);
        m_quit = true;
        m_queue.clear();
        m_cancelCurrent = m_currentId >= 0;
        if (m_waitingForAnswer)
            m_answer = CancelAnswer;
        m_condition.wakeAll();
    }
    m_jobs.finish();
}

void CopyWorker::answer(Answer value)
{
    QMutexLocker locker(&m_mutex);
    answerLocked(value);
}

void CopyWorker::answerLocked(Answer value)
{
    if (!m_waitingForAnswer)
        return;
    m_answer = value;
    m_condition.wakeAll();
}

bool CopyWorker::isResolvable(FileCopier::Error error)
{
    return error != FileCopier::NoError && error != FileCopier::Canceled &&
           error != FileCopier::SourceNotExists;
}

CopyWorker::Answer CopyWorker::waitForAnswer(int id, FileCopier::Error error)
{
    QMutexLocker locker(&m_mutex);
    if (!m_askOnError || m_skipAll || !isResolvable(error)) {
        locker.unlock();
        emit this->error(id, error, false);
        return SkipAnswer;
    }
    m_waitingForAnswer = true;
    m_answer = NoAnswer;
    locker.unlock();
    emit this->error(id, error, true);
    locker.relock();
    while (m_answer == NoAnswer && !m_quit)
        m_condition.wait(&m_mutex);
    m_waitingForAnswer = false;
    return m_quit ? CancelAnswer : m_answer;
}

FileCopier::Error CopyWorker::process(int id, CopyRequest request)
{
    for (;;) {
        const FileCopier::Error result = CopyNodes::run(this, request);
        if (result == FileCopier::NoError)
            return result;
        if (result == FileCopier::Canceled) {
            emit error(id, result, false);
            return result;
        }
        switch (waitForAnswer(id, result)) {
        case OverwriteAnswer:
            request.flags |= CopyRequest::Overwrite;
            break;
        case RetryAnswer:
            break;
        case CancelAnswer:
            emit error(id, FileCopier::Canceled, false);
            return FileCopier::Canceled;
        default:
            return result;
        }
        QMutexLocker locker(&m_mutex);
        m_bytes = 0;
    }
}

void CopyWorker::runNext()
{
    int id;
    CopyRequest request;
    {
        QMutexLocker locker(&m_mutex);
        if (m_quit || m_queue.isEmpty())
            return;
        auto first = m_queue.begin();
        id = first.key();
        request = first.value();
        m_queue.erase(first);
        m_currentId = id;
        m_bytes = 0;
        m_cancelCurrent = false;
    }
    emit started(id);
    const FileCopier::Error result = process(id, request);
    emit finished(id, result != FileCopier::NoError);

    QMutexLocker locker(&m_mutex);
    m_currentId = -1;
    m_batchError = m_batchError || result != FileCopier::NoError;
    if (!m_queue.isEmpty())
        return;
    const bool failed = m_batchError;
    m_batchError = false;
    if (m_autoReset) {
        m_skipAll = false;
        m_overwriteAll = false;
    }
    locker.unlock();
    emit done(failed);
}
