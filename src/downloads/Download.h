#pragma once

#include "downloads/CorvanaItem.h"
#include "downloads/DownloadProgress.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QUrl>

class DownloadHelper;
class NetworkManager;
class QNetworkReply;

// One video being fetched: its media file and, for videos announced by a
// descriptor, a cover and a thumbnail beside it. Tracks state, progress,
// speed and remaining time, follows redirects with a fresh transfer and
// resumes partial files by range.
class Download : public QObject
{
    Q_OBJECT

public:
    enum State
    {
        None = 0,
        Queued = 1,
        Downloading = 2,
        Finished = 3,
        Paused = 4,
        Cancelled = 5
    };
    Q_ENUM(State)

    // Fetches through `network` (not owned; it must outlive the download).
    Download(NetworkManager *network, const QUrl &url, bool direct, QObject *parent = nullptr);
    ~Download() override;

    QUrl url() const { return m_url; }
    QUrl mediaUrl() const { return m_item.mediaUrl(); }
    CorvanaItem item() const { return m_item; }
    void setItem(const CorvanaItem &item);
    State state() const { return m_state; }
    QString statusText() const;
    bool isDirect() const { return m_direct; }
    bool addToLibrary() const { return m_addToLibrary; }
    void setAddToLibrary(bool add) { m_addToLibrary = add; }
    // Certificate errors are refused without asking (installers).
    void setStrictTls(bool strict) { m_strictTls = strict; }

    // A path of its own (a stored one, or one that keeps two videos of the
    // same title apart); the folder is then the path's folder.
    void setMediaPath(const QString &path);
    // A download restored from its stored record: the descriptor item with
    // this media address is the one to fetch, into this path (kept when it
    // lies in the library folder).
    void restore(const QUrl &mediaUrl, const QString &path);
    // The media address its stored record carries.
    QUrl recordMediaUrl() const { return m_recordMediaUrl.isEmpty() ? mediaUrl() : m_recordMediaUrl; }

    QString downloadFolder() const;
    QString mediaPath() const;
    QString coverPath() const;
    QString thumbnailPath() const;

    qint64 mediaSize() const { return m_item.mediaSize(); }
    qint64 bytesWritten() const { return m_bytesWritten; }
    double progress() const { return m_progress; }
    // The card's bar and transfer line; the line is empty unless Downloading.
    DownloadProgress::Bar progressBar() const;
    QString progressText() const;
    double speed() const;
    double timeLeft() const;
    bool coverValid() const;
    // The descriptor is being fetched again before the transfer restarts.
    bool isResuming() const;
    bool thumbnailValid() const;

    // The last non-empty segment of a URL's path, made safe as a file name.
    static QString urlFileName(const QUrl &url);
    // A name made safe as one path component ("..", "." and "" become "_").
    static QString safeFileName(const QString &name);
    // A file name cut to leave room for the "-thumb.jpg" added to it, its
    // suffix kept; a start of `title` that leaves room for any suffix. Both
    // cut on character boundaries, so every name fits 255 bytes.
    static QString fitFileName(const QString &name);
    static QString fileBase(const QString &title);
    // The media-link pattern of the site (unescaped dots on purpose).
    static bool isMediaLink(const QString &path);
    // Whether the address may be fetched at all (http or https with a host).
    static bool isFetchable(const QUrl &url);

Q_SIGNALS:
    void finished();
    void aborted();
    void update();
    void updateProgress();
    void updateThumbnail();

public Q_SLOTS:
    void start();
    void startDirectDownload();
    void pause();
    void resume();
    void cancel();
    void queue();

private Q_SLOTS:
    void downloadFinished();
    void metaDataDownloaded();
    void downloadProgress(qint64 bytesReceived, qint64 bytesTotal);

private:
    using Transfer = QSharedPointer<DownloadHelper>;

    Transfer createTransfer(const QUrl &url, const QString &path, int kind);
    void startMediaTransfer(const QUrl &url, int kind);
    bool imageValid(const QString &path, const Transfer &transfer) const;
    void stopTransfers();
    void failMedia();
    QUrl redirectTarget(DownloadHelper *helper) const;
    // Where a descriptor item is written unless given a path of its own.
    static QString itemFolder(const CorvanaItem &item);
    static QString itemMediaPath(const CorvanaItem &item);

    NetworkManager *m_network;
    QPointer<QNetworkReply> m_metaReply;
    Transfer m_cover;
    Transfer m_thumbnail;
    Transfer m_media;
    QElapsedTimer m_startTime;
    QElapsedTimer m_lastUpdate;
    qint64 m_bytesWritten = 0;
    qint64 m_bytesReceived = 0;
    double m_progress = 0.0;
    State m_state = None;
    CorvanaItem m_item;
    QUrl m_url;
    QUrl m_recordMediaUrl;
    QString m_mediaPath;
    bool m_direct = false;
    bool m_addToLibrary = true;
    bool m_strictTls = false;
    int m_redirects = 0;
};
