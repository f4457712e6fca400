#include "downloads/DownloadBatch.h"

#include "downloads/Download.h"
#include "downloads/DownloadManager.h"

DownloadBatch::DownloadBatch(DownloadManager *manager, QObject *parent)
    : QObject(parent), m_manager(manager)
{
    connect(manager, &DownloadManager::added, this, [this](Download *d, int) {
        follow(d);
        m_own.append(d);
    });
    connect(manager, &DownloadManager::recordStored, this, [this](Download *d) {
        if (m_own.contains(d)) {
            m_stored.append(d);
            startOwnWaiting();
        }
    });
    connect(manager, &DownloadManager::finished, this, [this](Download *d) {
        if (d->state() == Download::Finished)
            m_finishedPaths << d->mediaPath();
        else
            ++m_failed;
        m_followed.removeAll(QPointer<Download>(d));
        startOwnWaiting();
        check();
    });
    connect(manager, &DownloadManager::refused, this,
            [this](const QString &title, const QString &reason) {
                m_refused << QStringLiteral("%1 (%2)").arg(title, reason);
            });
    // Failures pause a download without a signal of the manager: look now and then.
    m_poll.setInterval(100);
    connect(&m_poll, &QTimer::timeout, this, &DownloadBatch::check);
    m_poll.start();
}

void DownloadBatch::followListed()
{
    for (Download *d : m_manager->activeDownloads() + m_manager->queuedDownloads())
        follow(d);
}

void DownloadBatch::startOwnQueued()
{
    m_startOwnQueued = true;
}

// Downloads paused earlier keep their places among the five active ones, so
// this batch's own queued downloads would wait for the user. They start here,
// five of them at a time, each once its record is stored.
void DownloadBatch::startOwnWaiting()
{
    if (!m_startOwnQueued)
        return;
    int running = 0;
    for (const QPointer<Download> &d : std::as_const(m_own)) {
        if (d && d->state() != Download::Queued && isRunning(d))
            ++running;
    }
    for (const QPointer<Download> &d : std::as_const(m_stored)) {
        if (running >= DownloadManager::MaxActiveDownloads)
            return;
        if (d && d->state() == Download::Queued) {
            d->resume();
            ++running;
        }
    }
}

void DownloadBatch::follow(Download *download)
{
    if (m_followed.contains(download))
        return;
    m_followed.append(download);
    connect(download, &Download::failed, this, &DownloadBatch::check, Qt::QueuedConnection);
}

bool DownloadBatch::hasGivenUp(const Download *download)
{
    const DownloadFailure failure = download->failure();
    return !failure.isNull() && (!failure.retriesByItself() || download->failedAttempts() >= 2 ||
                                 !download->isRetryScheduled());
}

void DownloadBatch::check()
{
    if (m_done || m_manager->hasPendingRequests())
        return;
    // Own downloads that gave up free their places for the queued ones.
    startOwnWaiting();
    for (const QPointer<Download> &d : std::as_const(m_followed)) {
        if (d && isRunning(d))
            return;
    }
    for (const QPointer<Download> &d : std::as_const(m_followed)) {
        if (d && !d->failure().isNull())
            m_failureMessages << d->failure().message();
    }
    // Everything left is paused by a failure or queued behind failed downloads.
    m_failed += int(m_followed.size());
    m_followed.clear();
    m_done = true;
    m_poll.stop();
    emit done();
}

bool DownloadBatch::isRunning(const Download *d) const
{
    // An own queued download starts once its record is stored.
    const bool waitsForItsRecord =
        m_startOwnQueued && d->state() == Download::Queued && m_own.contains(d);
    return d->state() == Download::Downloading || d->state() == Download::None ||
           waitsForItsRecord || d->isResuming() || (d->isRetryScheduled() && !hasGivenUp(d));
}
