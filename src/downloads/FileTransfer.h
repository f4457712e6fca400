#pragma once

#include "downloads/TransferOutcome.h"
#include "downloads/TransferRequest.h"

#include <QObject>

class DownloadHelper;
class TransferThread;

// One file of a download as the window's thread sees it while the transfer
// thread fetches it: progress and the outcome arrive as queued signals, and
// stop() reaches the transfer there. Never touches the reply itself.
class FileTransfer : public QObject
{
    Q_OBJECT

public:
    FileTransfer(TransferThread *thread, const TransferRequest &request, QObject *parent = nullptr);
    // Stops the transfer; its helper is deleted on the transfer thread.
    ~FileTransfer() override;

    QString filePath() const { return m_request.filePath; }
    int kind() const { return m_request.kind; }
    // Until the outcome came: a stopped transfer runs on until the transfer
    // thread has stopped it (its file closed, no byte more to come).
    bool isRunning() const { return m_running; }
    bool isRedirected() const { return m_redirected; }
    void setRedirected(bool redirected) { m_redirected = redirected; }
    // Valid once finished() came.
    const TransferOutcome &outcome() const { return m_outcome; }
    // Bytes the file held when the latest progress was reported.
    qint64 bytesWritten() const { return m_bytesWritten; }

    void stop();

Q_SIGNALS:
    // Throttled; `fileTotal` is the whole file's size when known (else -1).
    void progress(qint64 bytesReceived, qint64 fileTotal);
    void finished();

private:
    void helperProgress(qint64 bytesWritten, qint64 bytesReceived, qint64 fileTotal);
    void helperFinished(const TransferOutcome &outcome);

    TransferRequest m_request;
    DownloadHelper *m_helper; // lives on the transfer thread; deleted there
    TransferOutcome m_outcome;
    qint64 m_bytesWritten = 0;
    bool m_running = true;
    bool m_redirected = false;
};
