#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class Download;
class DownloadManager;

// Follows the downloads a manager takes on from now on until each one has
// finished or failed (paused by an error, or left waiting behind failed
// ones), then emits done(). Used by headless callers that wait for a batch.
class DownloadBatch : public QObject
{
    Q_OBJECT

public:
    explicit DownloadBatch(DownloadManager *manager, QObject *parent = nullptr);

    // Also follow the downloads already listed (a restored queue).
    void followListed();
    QStringList finishedPaths() const { return m_finishedPaths; }
    int failedCount() const { return m_failed; }
    // Items the manager would not take on, each with its reason.
    QStringList refused() const { return m_refused; }
    bool isDone() const { return m_done; }

Q_SIGNALS:
    void done();

private:
    void follow(Download *download);
    void check();

    DownloadManager *m_manager;
    QList<QPointer<Download>> m_followed;
    QStringList m_finishedPaths;
    QStringList m_refused;
    int m_failed = 0;
    bool m_done = false;
    QTimer m_poll;
};
