#pragma once

#include <QImage>
#include <QList>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QObject>
#include <QThread>
#include <QUrl>

#include <memory>

class MpvAudioOutput;
class MpvCore;
class MpvRenderer;

// Plays one file at a time through libmpv, with the states, statuses,
// errors and signals of QMediaPlayer, which the player page and the desktop
// controls are written for. Nothing waits for libmpv: requests go out
// asynchronously, and what the player tells (state, place, length) is what
// was asked for until libmpv reports on the file asked for; reports about a
// file left behind are dropped. The pictures are drawn on a thread of their
// own and handed out through pictureChanged().
class MpvPlayer : public QObject
{
    Q_OBJECT

public:
    explicit MpvPlayer(QObject *parent = nullptr);
    ~MpvPlayer() override;

    QMediaPlayer::PlaybackState playbackState() const { return m_state; }
    QMediaPlayer::MediaStatus mediaStatus() const { return m_status; }
    QMediaPlayer::Error error() const { return m_error; }
    QString errorString() const { return m_errorString; }
    QUrl source() const { return m_source; }
    qint64 position() const { return m_position; }
    qint64 duration() const { return m_duration; }
    bool isSeekable() const { return m_seekable; }
    bool hasVideo() const { return m_hasVideo; }
    QMediaMetaData metaData() const { return m_metaData; }
    QList<QMediaMetaData> subtitleTracks() const { return m_subtitleTracks; }
    int activeSubtitleTrack() const { return m_activeSubtitle; }
    void setActiveSubtitleTrack(int index);
    MpvAudioOutput *audioOutput() const { return m_audio; }

    // The size (device pixels) of the area the pictures are shown in.
    void setPictureArea(const QSize &area);

public Q_SLOTS:
    void setSource(const QUrl &source);
    void play();
    void pause();
    // Back to the start, paused, without a picture; the source stays.
    void stop();
    void setPosition(qint64 position);

Q_SIGNALS:
    void playbackStateChanged(QMediaPlayer::PlaybackState state);
    void mediaStatusChanged(QMediaPlayer::MediaStatus status);
    void errorOccurred(QMediaPlayer::Error error, const QString &errorString);
    void sourceChanged(const QUrl &source);
    void positionChanged(qint64 position);
    void durationChanged(qint64 duration);
    void seekableChanged(bool seekable);
    void hasVideoChanged(bool videoAvailable);
    void metaDataChanged();
    void tracksChanged();
    // A picture of the current video to show (null: show none).
    void pictureChanged(const QImage &picture);

private:
    void setState(QMediaPlayer::PlaybackState state);
    void setStatus(QMediaPlayer::MediaStatus status);
    void setPositionShown(qint64 position);
    void setDurationShown(qint64 duration);
    void setSeekableShown(bool seekable);
    void clearFileState();
    void seekTo(qint64 position);
    void hidePictures();
    void showPicturesIfDue();
    void reachedEnd();
    void showVideoSize();

    void propertyChanged(const QString &name, const QVariant &value, quint64 tag);
    void commandDone(quint64 tag, int error);
    void fileStarted(qint64 entry);
    void fileLoaded();
    void fileEnded(qint64 entry, int reason, int error);
    void seekStarted();
    void playbackRestarted();
    void pictureReady(const QImage &picture, int generation);
    void tracksReported(const QVariantList &tracks);
    void metaDataReported(const QVariantMap &tags);
    void filePropertyAnswered(const QString &name);

    MpvCore *m_core = nullptr;
    MpvAudioOutput *m_audio = nullptr;
    QThread m_renderThread;
    std::unique_ptr<MpvRenderer> m_renderer;

    QMediaPlayer::PlaybackState m_state = QMediaPlayer::StoppedState;
    QMediaPlayer::MediaStatus m_status = QMediaPlayer::NoMedia;
    QMediaPlayer::Error m_error = QMediaPlayer::NoError;
    QString m_errorString;
    QUrl m_source;
    qint64 m_position = 0;
    qint64 m_duration = 0;
    bool m_seekable = false;
    bool m_hasVideo = false;
    QMediaMetaData m_metaData;
    QSize m_videoSize;
    int m_videoRotation = 0; // degrees clockwise
    QList<QMediaMetaData> m_subtitleTracks;
    QList<qlonglong> m_subtitleIds; // libmpv's ids of subtitleTracks()
    int m_activeSubtitle = -1;

    // libmpv numbers the files it is asked to load 1, 2, ...: the number of
    // the current source (0: none) and of the last file started.
    qint64 m_loads = 0;
    qint64 m_entry = 0;
    qint64 m_startedEntry = 0;
    bool m_loaded = false;       // the current source is open
    int m_propertiesAwaited = 0; // asked of it on opening, still to come
    bool m_restarted = false;    // and its playback has begun
    qint64 m_pendingStart = -1;
    // A seek asked for: places libmpv reports are old until it is done.
    quint64 m_commandTags = 0;
    quint64 m_seekTag = 0;
    bool m_seekPending = false;
    bool m_seekAcknowledged = false; // libmpv took the request
    bool m_seekStarted = false;      // and began it
    bool m_userStopped = false;
    // Pictures are shown for this generation only, while not hidden.
    int m_generation = 0;
    bool m_hidden = true;
};
