#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class Download;
class DownloadManager;

// Follows the downloads a manager takes on from now on until each one has
// finished or failed, then emits done(). A download counts as failed when
// its failure needs the user (sign-in, a full disk, ...), when retrying got
// no further twice in a row, or when it waits behind failed ones. Used by
// headless callers that wait for a batch.
class DownloadBatch : public QObject
{
    Q_OBJECT

public:
    explicit DownloadBatch(DownloadManager *manager, QObject *parent = nullptr);

    // Also follow the downloads already listed (a restored queue).
    void followListed();
    // Start the downloads of this batch's own request once their records are
    // stored, even when they would wait behind downloads the user paused.
    void startOwnQueued();
    QStringList finishedPaths() const { return m_finishedPaths; }
    int failedCount() const { return m_failed; }
    // Items the manager would not take on, each with its reason.
    QStringList refused() const { return m_refused; }
    // Why each failed download failed, as the download says it.
    QStringList failureMessages() const { return m_failureMessages; }
    // Whether a failed download has given up waiting for its next retry.
    static bool hasGivenUp(const Download *download);
    bool isDone() const { return m_done; }

Q_SIGNALS:
    void done();

private:
    void follow(Download *download);
    void check();
    bool isRunning(const Download *download) const;
    void startOwnWaiting();

    DownloadManager *m_manager;
    QList<QPointer<Download>> m_followed;
    QList<QPointer<Download>> m_own;    // added by this batch's request
    QList<QPointer<Download>> m_stored; // of those, the ones whose record is stored
    QStringList m_finishedPaths;
    QStringList m_refused;
    QStringList m_failureMessages;
    int m_failed = 0;
    bool m_done = false;
    bool m_startOwnQueued = false;
    QTimer m_poll;
};
