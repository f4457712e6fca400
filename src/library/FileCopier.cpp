#include "library/FileCopier.h"

#include "library/CopyWorker.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

FileCopier::FileCopier(QObject *parent) : FileCopier(LibraryLocation(), parent) {}

FileCopier::FileCopier(const LibraryLocation &library, QObject *parent)
    : QObject(parent), m_library(library), m_worker(new CopyWorker(this)),
      m_progressTimer(new QTimer(this))
{
    qRegisterMetaType<FileCopier::Error>("FileCopier::Error");
    qRegisterMetaType<FileCopier::State>("FileCopier::State");
    qRegisterMetaType<CopyRequest>("CopyRequest");

    m_progressTimer->setInterval(200);
    connect(m_progressTimer, &QTimer::timeout, this, &FileCopier::progressRequest);

    // The worker's signals reach this object (GUI thread) queued.
    connect(m_worker, &CopyWorker::started, this, &FileCopier::copyStarted, Qt::QueuedConnection);
    connect(m_worker, &CopyWorker::finished, this, &FileCopier::copyFinished, Qt::QueuedConnection);
    connect(m_worker, &CopyWorker::canceled, this, &FileCopier::copyCanceled, Qt::QueuedConnection);
    connect(m_worker, &CopyWorker::error, this, &FileCopier::copyError, Qt::QueuedConnection);
    connect(m_worker, &CopyWorker::done, this, &FileCopier::copyDone, Qt::QueuedConnection);
    connect(m_worker, &CopyWorker::dataTransferProgress, this, &FileCopier::dataTransferProgress,
            Qt::QueuedConnection);
    connect(m_worker, &CopyWorker::blockWritten, this, &FileCopier::blockCopied,
            Qt::DirectConnection);
}

FileCopier::~FileCopier()
{
    m_progressTimer->stop();
    // Ends the worker's job thread before our members go.
    m_worker->copierDestroyed();
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
    request.library = m_library;
    const int id = m_nextId++;
    m_requests.insert(id, request);
    m_worker->copy(id, request);
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
    m_worker->setAutoReset(on);
}

void FileCopier::setAskOnError(bool on)
{
    m_askOnError = on;
    m_worker->setAskOnError(on);
}

void FileCopier::cancelAll()
{
    m_worker->cancel();
}

void FileCopier::cancel(int id)
{
    m_worker->cancel(id);
}

void FileCopier::skip()
{
    m_worker->skip();
}

void FileCopier::skipAll()
{
    m_worker->skipAll();
}

void FileCopier::retry()
{
    m_worker->retry();
}

void FileCopier::overwrite()
{
    m_worker->overwrite();
}

void FileCopier::overwriteAll()
{
    m_worker->overwriteAll();
}

void FileCopier::reset()
{
    resetSkip();
    resetOverwrite();
}

void FileCopier::resetSkip()
{
    m_worker->resetSkip();
}

void FileCopier::resetOverwrite()
{
    m_worker->resetOverwrite();
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
    m_worker->progress();
}

void FileCopier::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}
