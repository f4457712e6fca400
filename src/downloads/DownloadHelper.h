#pragma once

#include "downloads/ResumeIdentity.h"
#include "downloads/TransferOutcome.h"
#include "downloads/TransferRequest.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <atomic>
#include <memory>

class QFile;
class QNetworkAccessManager;

// One file of a download being fetched, on the transfer thread: sends the
// request, owns the open file, appends every byte the reply delivers, and
// resumes a partial file by range from the bytes on disk. A failed transfer
// keeps what it wrote and says why it failed (the outcome it finishes with).
// Data is appended only where it belongs: a 206 must start where the file
// ends and be part of the same resource (its total and validators those the
// file was begun with, see ResumeIdentity; otherwise the file starts over
// with a whole request), a 200 to a range request starts the file over, and
// a 416 (the file is already complete) leaves the file untouched.
//
// Made on the window's thread and moved to the transfer thread before
// start(); from then on only requestStop() may be called from elsewhere.
class DownloadHelper : public QObject
{
    Q_OBJECT

public:
    enum Kind
    {
        Cover = 0,
        Media = 1,
        Thumbnail = 2,
        MediaRedirected = 4,
        ThumbnailRedirected = 5,
        CoverRedirected = 6,
    };
    Q_ENUM(Kind)

    explicit DownloadHelper(TransferRequest request);
    ~DownloadHelper() override;

    // Safe from any thread: the file is not opened any more and no further
    // data is written; the posted stop() then ends the reply.
    void requestStop();

Q_SIGNALS:
    // Throttled; `fileTotal` is the whole file's size when the answer says it (else -1).
    void progress(qint64 bytesWritten, qint64 bytesReceived, qint64 fileTotal);
    void finished(const TransferOutcome &outcome);

public Q_SLOTS:
    // On the transfer thread, through `network` (which lives there).
    void start(QNetworkAccessManager *network);
    void stop();

private Q_SLOTS:
    void readIncomingData();
    void downloadFinished();
    void downloadError(QNetworkReply::NetworkError code);
    void headersArrived();
    void downloadProgress(qint64 bytesReceived, qint64 bytesTotal);

private:
    enum class FirstData
    {
        Continue,
        Refuse,
        StartOver
    };

    QNetworkRequest networkRequest(qint64 offset) const;
    void sendRequest(qint64 offset);
    bool openFile();
    int statusCode() const;
    FirstData checkFirstData(int status);
    bool truncateFile(const QString &why);
    void startOver(const QString &why);
    void keepIdentity(const ResumeIdentity &identity);
    bool checkSpace();
    void fail(const QString &why);
    void readWhenAllowed();
    bool mayWriteRest() const;
    void handleRangeNotSatisfiable();
    void checkComplete();
    void finish();

    TransferRequest m_request;
    QNetworkAccessManager *m_network = nullptr;
    ResumeIdentity m_identity; // of the resource the file holds the start of
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QFile> m_file;
    QByteArray m_chunk; // read buffer, reused
    TransferOutcome m_outcome;
    QElapsedTimer m_lastProgress;
    QMutex m_openLock; // a stop and the file's opening do not cross
    std::atomic<bool> m_stopRequested{false};
    bool m_started = false;
    bool m_counted = false; // among the running transfers (see readIncomingData)
    bool m_finished = false;
    bool m_dataChecked = false;
    bool m_spaceChecked = false;
    // The speed limit holds back data: read again when it allows, and the
    // reply's end is handled once all of it is written.
    QTimer m_limitTimer{this};
    bool m_finishWhenRead = false;
};
