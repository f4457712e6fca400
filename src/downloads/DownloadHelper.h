#pragma once

#include "downloads/DownloadFailure.h"

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QFile;

// One file of a download being fetched: owns the open file, appends every
// byte the reply delivers, and resumes a partial file by range. A failed
// transfer keeps what it wrote and says why it failed (failure()). Data is
// appended only where it belongs: a 206 must start where the file ends, a
// 200 to a range request starts the file over, and a 416 (the file is
// already complete) leaves the file untouched.
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

    DownloadHelper(const QString &filePath, QNetworkReply *reply, qint64 offset);
    ~DownloadHelper() override;

    QString filePath() const { return m_filePath; }
    QNetworkReply *reply() const { return m_reply; }
    qint64 bytesWritten() const { return m_bytesWritten; }
    // Size of the file when the reply's data began (0 after a restart from scratch).
    qint64 startOffset() const { return m_startOffset; }
    bool hasError() const { return m_error; }
    // Why the transfer failed, worded with `title` (null unless hasError()).
    DownloadFailure failure(const QString &title) const;
    bool isRedirected() const { return m_redirected; }
    void setRedirected(bool redirected) { m_redirected = redirected; }
    // The server answered 416 for a file that is already complete.
    bool isAlreadyComplete() const { return m_alreadyComplete; }
    Kind kind() const { return m_kind; }
    void setKind(Kind kind) { m_kind = kind; }
    bool isRunning() const;

Q_SIGNALS:
    void finished();
    void updateDownloadStatus();

public Q_SLOTS:
    void stop();

private Q_SLOTS:
    void readIncomingData();
    void downloadFinished();
    void downloadError(QNetworkReply::NetworkError code);

private:
    int statusCode() const;
    bool checkFirstData(int status);
    void fail(const QString &why);
    void handleRangeNotSatisfiable();
    void checkComplete();

    QString m_filePath;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QFile> m_file;
    QString m_openError; // why the file could not be opened
    QByteArray m_chunk;  // read buffer, reused
    // What failed: the reply (its error and status), the file, or the answer's shape.
    enum class FailedPart
    {
        Reply,
        File,
        Answer
    } m_failedPart = FailedPart::Reply;
    QNetworkReply::NetworkError m_replyError = QNetworkReply::NoError;
    int m_failedStatus = 0;
    int m_writeErrno = 0; // why the last write failed
    qint64 m_bytesWritten = 0;
    qint64 m_startOffset = 0;
    bool m_error = false;
    bool m_redirected = false;
    bool m_alreadyComplete = false;
    bool m_dataChecked = false;
    Kind m_kind = Media;
};
