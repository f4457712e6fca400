#include "downloads/FileTransfer.h"
#include "downloads/DownloadHelper.h"
#include "downloads/TransferThread.h"

FileTransfer::FileTransfer(TransferThread *thread, const TransferRequest &request, QObject *parent)
    : QObject(parent), m_request(request), m_helper(new DownloadHelper(request))
{
    // Connected before the move: the helper's signals then cross to this
    // thread queued, and none is missed.
    connect(m_helper, &DownloadHelper::progress, this, &FileTransfer::helperProgress);
    connect(m_helper, &DownloadHelper::finished, this, &FileTransfer::helperFinished);
    thread->start(m_helper);
}

FileTransfer::~FileTransfer()
{
    stop();
    m_helper->deleteLater(); // only this object deletes the helper
}

void FileTransfer::stop()
{
    m_helper->requestStop();
    QMetaObject::invokeMethod(m_helper, &DownloadHelper::stop, Qt::QueuedConnection);
}

void FileTransfer::helperProgress(qint64 bytesWritten, qint64 bytesReceived, qint64 fileTotal)
{
    m_bytesWritten = bytesWritten;
    emit progress(bytesReceived, fileTotal);
}

void FileTransfer::helperFinished(const TransferOutcome &outcome)
{
    m_running = false;
    m_outcome = outcome;
    m_bytesWritten = outcome.bytesWritten;
    emit finished();
}
