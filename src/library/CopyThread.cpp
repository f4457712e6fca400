#include "library/CopyThread.h"

#include "library/CopyNodes.h"

#include <QtDebug>

CopyThread::CopyThread(QObject *parent) : QThread(parent) {}

CopyThread::~CopyThread()
{
    copierDestroyed();
    wait();
}

void CopyThread::setAskOnError(bool on)
{
    QMutexLocker locker(&m_mutex);
    m_askOnError = on;
}

void CopyThread::setAutoReset(bool on)
{
    QMutexLocker locker(&m_mutex);
    m_autoReset = on;
}

bool CopyThread::isCanceled() const
{
    QMutexLocker locker(&m_mutex);
    return m_cancelCurrent;
}

bool CopyThread::isOverwriteAll() const
{
    QMutexLocker locker(&m_mutex);
    return m_overwriteAll;
}

void CopyThread::addProgress(qint64 bytes)
{
    int id;
    {
        QMutexLocker locker(&m_mutex);
        m_bytes += bytes;
        id = m_currentId;
    }
    emit blockWritten(id, bytes);
}

void CopyThread::restart()
{
    QMutexLocker locker(&m_mutex);
    m_quit = false;
    if (!isRunning())
        start();
}

void CopyThread::copy(int id, const CopyRequest &request)
{
    QMutexLocker locker(&m_mutex);
    m_queue.insert(id, request);
    m_condition.wakeAll();
}

void CopyThread::copy(const QMap<int, CopyRequest> &requests)
{
    QMutexLocker locker(&m_mutex);
    m_queue.insert(requests);
    m_condition.wakeAll();
}

void CopyThread::cancel()
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

void CopyThread::cancel(int id)
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

void CopyThread::skip()
{
    answer(SkipAnswer);
}

void CopyThread::skipAll()
{
    QMutexLocker locker(&m_mutex);
    m_skipAll = true;
    answerLocked(SkipAnswer);
}

void CopyThread::retry()
{
    answer(RetryAnswer);
}

void CopyThread::overwrite()
{
    answer(OverwriteAnswer);
}

void CopyThread::overwriteAll()
{
    QMutexLocker locker(&m_mutex);
    m_overwriteAll = true;
    answerLocked(OverwriteAnswer);
}

void CopyThread::resetOverwrite()
{
    QMutexLocker locker(&m_mutex);
    m_overwriteAll = false;
}

void CopyThread::resetSkip()
{
    QMutexLocker locker(&m_mutex);
    m_skipAll = false;
}

void CopyThread::progress()
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

void CopyThread::copierDestroyed()
{
    QMutexLocker locker(&m_mutex);
    m_quit = true;
    m_queue.clear();
    m_cancelCurrent = m_currentId >= 0;
    if (m_waitingForAnswer)
        m_answer = CancelAnswer;
    m_condition.wakeAll();
}

void CopyThread::answer(Answer value)
{
    QMutexLocker locker(&m_mutex);
    answerLocked(value);
}

void CopyThread::answerLocked(Answer value)
{
    if (!m_waitingForAnswer)
        return;
    m_answer = value;
    m_condition.wakeAll();
}

bool CopyThread::isResolvable(FileCopier::Error error)
{
    return error != FileCopier::NoError && error != FileCopier::Canceled &&
           error != FileCopier::SourceNotExists;
}

CopyThread::Answer CopyThread::waitForAnswer(int id, FileCopier::Error error)
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

FileCopier::Error CopyThread::process(int id, CopyRequest request)
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

void CopyThread::run()
{
    for (;;) {
        int id;
        CopyRequest request;
        {
            QMutexLocker locker(&m_mutex);
            while (m_queue.isEmpty() && !m_quit)
                m_condition.wait(&m_mutex);
            if (m_quit)
                break;
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
        if (m_queue.isEmpty()) {
            const bool failed = m_batchError;
            m_batchError = false;
            if (m_autoReset) {
                m_skipAll = false;
                m_overwriteAll = false;
            }
            locker.unlock();
            emit done(failed);
        }
    }
}
