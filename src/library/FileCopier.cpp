#include "library/FileCopier.h"

#include "library/CopyThread.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

FileCopier::FileCopier(QObject *parent)
    : QObject(parent), m_thread(new CopyThread(this)), m_progressTimer(new QTimer(this))
{
    qRegisterMetaType<FileCopier::Error>("FileCopier::Error");
    qRegisterMetaType<FileCopier::State>("FileCopier::State");
    qRegisterMetaType<CopyRequest>("CopyRequest");

    m_progressTimer->setInterval(200);
    connect(m_progressTimer, &QTimer::timeout, this, &FileCopier::progressRequest);

    // The worker's signals reach this object (GUI thread) queued.
    connect(m_thread, &CopyThread::started, this, &FileCopier::copyStarted, Qt::QueuedConnection);
    connect(m_thread, &CopyThread::finished, this, &FileCopier::copyFinished, Qt::QueuedConnection);
    connect(m_thread, &CopyThread::canceled, this, &FileCopier::copyCanceled, Qt::QueuedConnection);
    connect(m_thread, &CopyThread::error, this, &FileCopier::copyError, Qt::QueuedConnection);
    connect(m_thread, &CopyThread::done, this, &FileCopier::copyDone, Qt::QueuedConnection);
    connect(m_thread, &CopyThread::dataTransferProgress, this, &FileCopier::dataTransferProgress,
            Qt::QueuedConnection);
    connect(m_thread, &CopyThread::blockWritten, this, &FileCopier::blockCopied,
            Qt::DirectConnection);
    m_thread->restart();
}

FileCopier::~FileCopier()
{
    m_progressTimer->stop();
    // Ends the worker; its destructor (as our child) joins it.
    QMetaObject::invokeMethod(m_thread, "copierDestroyed", Qt::DirectConnection);
    m_thread->wait();
}

int FileCopier::copy(const QString &source, const QString &destination, CopyRequest::Flags flags)
{
    const QFileInfo info(source);
    if (info.isDir() && !info.isSymLink())
        return -1;
    CopyRequest request;
    request.source = source;
    request.destination = destination;
    if (QFileInfo(destination).isDir())
        request.destination = QDir(destination).absoluteFilePath(info.fileName());
    request.flags = flags;
    const int id = m_nextId++;
    m_requests.insert(id, request);
    m_thread->copy(id, request);
    return id;
}

int FileCopier::progressInterval() const
{
    return m_progressTimer->interval();
}

void FileCopier::setProgressInterval(int ms)
{
    m_progressTimer->setInterval(ms);
}

void FileCopier::setAutoReset(bool on)
{
    m_autoReset = on;
    m_thread->setAutoReset(on);
}

void FileCopier::setAskOnError(bool on)
{
    m_askOnError = on;
    m_thread->setAskOnError(on);
}

void FileCopier::cancelAll()
{
    m_thread->cancel();
}

void FileCopier::cancel(int id)
{
    m_thread->cancel(id);
}

void FileCopier::skip()
{
    m_thread->skip();
}

void FileCopier::skipAll()
{
    m_thread->skipAll();
}

void FileCopier::retry()
{
    m_thread->retry();
}

void FileCopier::overwrite()
{
    m_thread->overwrite();
}

void FileCopier::overwriteAll()
{
    m_thread->overwriteAll();
}

void FileCopier::reset()
{
    resetSkip();
    resetOverwrite();
}

void FileCopier::resetSkip()
{
    m_thread->resetSkip();
}

void FileCopier::resetOverwrite()
{
    m_thread->resetOverwrite();
}

void FileCopier::copyStarted(int id)
{
    setState(Busy);
    if (!m_progressTimer->isActive())
        m_progressTimer->start();
    emit started(id);
}

void FileCopier::copyFinished(int id, bool error)
{
    emit finished(id, error);
    m_requests.remove(id);
}

void FileCopier::copyCanceled()
{
    emit canceled();
}

void FileCopier::copyError(int id, FileCopier::Error error, bool stopped)
{
    if (stopped)
        setState(WaitingForInteraction);
    emit this->error(id, error, stopped);
}

void FileCopier::copyDone(bool error)
{
    m_progressTimer->stop();
    setState(Idle);
    emit done(error);
}

void FileCopier::progressRequest()
{
    m_thread->progress();
}

void FileCopier::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}
