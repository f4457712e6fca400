#include "gui/player/MpvPlayer.h"

#include "gui/player/MpvAudioOutput.h"
#include "gui/player/MpvCore.h"
#include "gui/player/MpvRenderer.h"

#include <QLocale>

#include <mpv/client.h>

#include <algorithm>
#include <cmath>

namespace {

// Requests for a property of the file numbered N carry the tag base + N.
constexpr quint64 kPropertyTagBase = quint64(1) << 40;

// What is asked for once a file is open (later changes come as observed).
const char *const kFileProperties[] = {"duration", "seekable", "track-list",         "metadata",
                                       "dwidth",   "dheight",  "video-params/rotate"};

qint64 toMs(const QVariant &seconds)
{
    return qMax(qint64(0), qint64(std::llround(seconds.toDouble() * 1000.0)));
}

QString tagValue(const QVariantMap &tags, const QString &name)
{
    for (auto it = tags.cbegin(); it != tags.cend(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value().toString();
    }
    return {};
}

} // namespace

MpvPlayer::MpvPlayer(QObject *parent)
    : QObject(parent), m_core(new MpvCore(this)), m_audio(new MpvAudioOutput(m_core, this))
{
    m_renderer = std::make_unique<MpvRenderer>(m_core->handle());
    m_renderThread.setObjectName(QStringLiteral("VideoPictures"));
    m_renderer->moveToThread(&m_renderThread);
    connect(m_renderer.get(), &MpvRenderer::pictureReady, this, &MpvPlayer::pictureReady);
    m_renderThread.start();

    connect(m_core, &MpvCore::propertyChanged, this, &MpvPlayer::propertyChanged);
    connect(m_core, &MpvCore::commandDone, this, &MpvPlayer::commandDone);
    connect(m_core, &MpvCore::fileStarted, this, &MpvPlayer::fileStarted);
    connect(m_core, &MpvCore::fileLoaded, this, &MpvPlayer::fileLoaded);
    connect(m_core, &MpvCore::fileEnded, this, &MpvPlayer::fileEnded);
    connect(m_core, &MpvCore::seekStarted, this, &MpvPlayer::seekStarted);
    connect(m_core, &MpvCore::playbackRestarted, this, &MpvPlayer::playbackRestarted);
}

MpvPlayer::~MpvPlayer()
{
    m_core->disconnect(this);
    // The render context goes first, on its own thread, then the core.
    MpvRenderer *renderer = m_renderer.release();
    QMetaObject::invokeMethod(
        renderer, [renderer] { delete renderer; }, Qt::BlockingQueuedConnection);
    m_renderThread.quit();
    m_renderThread.wait();
}

void MpvPlayer::setPictureArea(const QSize &area)
{
    m_renderer->setArea(area);
}

void MpvPlayer::setState(QMediaPlayer::PlaybackState state)
{
    if (state == m_state)
        return;
    m_state = state;
    Q_EMIT playbackStateChanged(state);
}

void MpvPlayer::setStatus(QMediaPlayer::MediaStatus status)
{
    if (status == m_status)
        return;
    m_status = status;
    Q_EMIT mediaStatusChanged(status);
}

void MpvPlayer::setPositionShown(qint64 position)
{
    if (position == m_position)
        return;
    m_position = position;
    Q_EMIT positionChanged(position);
}

void MpvPlayer::setDurationShown(qint64 duration)
{
    if (duration == m_duration)
        return;
    m_duration = duration;
    Q_EMIT durationChanged(duration);
}

void MpvPlayer::setSeekableShown(bool seekable)
{
    if (seekable == m_seekable)
        return;
    m_seekable = seekable;
    Q_EMIT seekableChanged(seekable);
}

void MpvPlayer::hidePictures()
{
    ++m_generation;
    m_renderer->setGeneration(-1);
    if (!m_hidden) {
        m_hidden = true;
        Q_EMIT pictureChanged(QImage());
    }
}

// Pictures come once the file plays at the place asked for, and not while
// stopped.
void MpvPlayer::showPicturesIfDue()
{
    if (!m_hidden || !m_restarted || m_seekPending || m_userStopped)
        return;
    m_hidden = false;
    m_renderer->setGeneration(m_generation);
}

void MpvPlayer::pictureReady(const QImage &picture, int generation)
{
    if (generation == m_generation && !m_hidden)
        Q_EMIT pictureChanged(picture);
}

void MpvPlayer::clearFileState()
{
    m_loaded = false;
    m_propertiesAwaited = 0;
    m_restarted = false;
    m_seekPending = false;
    m_pendingStart = -1;
    m_userStopped = false;
    m_error = QMediaPlayer::NoError;
    m_errorString.clear();
    setPositionShown(0);
    setDurationShown(0);
    setSeekableShown(false);
    m_metaData.clear();
    m_videoSize = QSize();
    m_videoRotation = 0;
    m_subtitleIds.clear();
    m_activeSubtitle = -1;
    if (!m_subtitleTracks.isEmpty()) {
        m_subtitleTracks.clear();
        Q_EMIT tracksChanged();
    }
    if (m_hasVideo) {
        m_hasVideo = false;
        Q_EMIT hasVideoChanged(false);
    }
}

void MpvPlayer::setSource(const QUrl &source)
{
    if (source == m_source)
        return;
    hidePictures();
    m_source = source;
    clearFileState();
    setState(QMediaPlayer::StoppedState);
    m_core->setProperty("pause", true);
    if (source.isEmpty()) {
        m_entry = 0;
        m_core->command({QStringLiteral("stop")});
        Q_EMIT sourceChanged(source);
        setStatus(QMediaPlayer::NoMedia);
        return;
    }
    if (!m_core->isValid()) {
        m_entry = 0;
        Q_EMIT sourceChanged(source);
        m_error = QMediaPlayer::ResourceError;
        m_errorString = tr("The video could not be played.");
        setStatus(QMediaPlayer::InvalidMedia);
        Q_EMIT errorOccurred(m_error, m_errorString);
        return;
    }
    // A track of the video before is no choice for this one.
    m_core->setProperty("sid", QStringLiteral("no"));
    m_core->command({QStringLiteral("loadfile"),
                     source.isLocalFile() ? source.toLocalFile() : source.toString(),
                     QStringLiteral("replace")});
    m_entry = ++m_loads;
    Q_EMIT sourceChanged(source);
    setStatus(QMediaPlayer::LoadingMedia);
}

void MpvPlayer::play()
{
    if (m_source.isEmpty() || m_status == QMediaPlayer::InvalidMedia)
        return;
    if (m_status == QMediaPlayer::EndOfMedia)
        setPosition(0);
    m_userStopped = false;
    m_core->setProperty("pause", false);
    setState(QMediaPlayer::PlayingState);
    if (m_loaded && m_propertiesAwaited == 0)
        setStatus(QMediaPlayer::BufferedMedia);
    showPicturesIfDue();
}

void MpvPlayer::pause()
{
    if (m_source.isEmpty() || m_status == QMediaPlayer::InvalidMedia)
        return;
    m_userStopped = false;
    m_core->setProperty("pause", true);
    setState(QMediaPlayer::PausedState);
    showPicturesIfDue();
}

void MpvPlayer::stop()
{
    if (m_state == QMediaPlayer::StoppedState && m_status != QMediaPlayer::EndOfMedia)
        return;
    m_core->setProperty("pause", true);
    setPosition(0);
    m_userStopped = true;
    hidePictures();
    setState(QMediaPlayer::StoppedState);
}

void MpvPlayer::setPosition(qint64 position)
{
    if (m_source.isEmpty())
        return;
    position = qMax(qint64(0), position);
    if (m_status == QMediaPlayer::EndOfMedia)
        setStatus(m_state == QMediaPlayer::PlayingState ? QMediaPlayer::BufferedMedia
                                                        : QMediaPlayer::LoadedMedia);
    setPositionShown(position);
    if (m_loaded)
        seekTo(position);
    else
        m_pendingStart = position;
}

void MpvPlayer::seekTo(qint64 position)
{
    m_seekTag = ++m_commandTags;
    m_seekPending = true;
    m_seekAcknowledged = false;
    m_seekStarted = false;
    m_core->command({QStringLiteral("seek"), QString::number(double(position) / 1000.0, 'f', 3),
                     QStringLiteral("absolute+exact")},
                    m_seekTag);
}

void MpvPlayer::setActiveSubtitleTrack(int index)
{
    if (index >= m_subtitleIds.size())
        return;
    m_activeSubtitle = index < 0 ? -1 : index;
    // The video's own tracks are drawn by libmpv into the picture; files
    // beside the video by the page.
    m_core->setProperty("sid", index < 0 ? QVariant(QStringLiteral("no"))
                                         : QVariant(m_subtitleIds.at(index)));
}

void MpvPlayer::commandDone(quint64 tag, int error)
{
    if (tag != m_seekTag)
        return;
    m_seekAcknowledged = true;
    if (error < 0) {
        m_seekPending = false;
        showPicturesIfDue();
    }
}

void MpvPlayer::fileStarted(qint64 entry)
{
    m_startedEntry = entry;
}

void MpvPlayer::fileLoaded()
{
    if (m_entry == 0 || m_startedEntry != m_entry)
        return;
    m_loaded = true;
    // The file counts as loaded once these are here: its tags above all,
    // since the title is announced as soon as it plays.
    m_propertiesAwaited = int(std::size(kFileProperties));
    for (const char *name : kFileProperties)
        m_core->requestProperty(name, kPropertyTagBase + quint64(m_entry));
    if (m_pendingStart > 0)
        seekTo(m_pendingStart);
    m_pendingStart = -1;
}

void MpvPlayer::filePropertyAnswered(const QString &name)
{
    if (m_propertiesAwaited == 0 ||
        std::none_of(std::begin(kFileProperties), std::end(kFileProperties),
                     [&name](const char *asked) { return name == QLatin1String(asked); }))
        return;
    if (--m_propertiesAwaited > 0)
        return;
    setStatus(QMediaPlayer::LoadedMedia);
    if (m_state == QMediaPlayer::PlayingState)
        setStatus(QMediaPlayer::BufferedMedia);
}

// A seek is done at the first restart after it began, which libmpv tells
// only after taking the request: earlier restarts belong to earlier seeks.
void MpvPlayer::seekStarted()
{
    if (m_seekPending && m_seekAcknowledged)
        m_seekStarted = true;
}

void MpvPlayer::playbackRestarted()
{
    if (!m_loaded)
        return;
    m_restarted = true;
    if (m_seekPending && m_seekStarted)
        m_seekPending = false;
    if (!m_seekPending)
        m_core->requestProperty("time-pos", kPropertyTagBase + quint64(m_entry));
    showPicturesIfDue();
}

void MpvPlayer::fileEnded(qint64 entry, int reason, int error)
{
    if (entry != m_entry || m_entry == 0)
        return;
    const bool wasLoaded = m_loaded;
    m_loaded = false;
    m_restarted = false;
    if (reason == MPV_END_FILE_REASON_EOF && wasLoaded) {
        reachedEnd();
        return;
    }
    if (reason != MPV_END_FILE_REASON_ERROR && reason != MPV_END_FILE_REASON_EOF)
        return;
    hidePictures();
    m_error =
        error == MPV_ERROR_UNKNOWN_FORMAT ? QMediaPlayer::FormatError : QMediaPlayer::ResourceError;
    m_errorString = error < 0 ? tr("The video could not be played (%1).")
                                    .arg(QString::fromUtf8(mpv_error_string(error)))
                              : tr("The video could not be played.");
    setState(QMediaPlayer::StoppedState);
    setStatus(QMediaPlayer::InvalidMedia);
    Q_EMIT errorOccurred(m_error, m_errorString);
}

// The last picture stays, at the end of the video.
void MpvPlayer::reachedEnd()
{
    if (m_status == QMediaPlayer::EndOfMedia)
        return;
    if (m_duration > 0)
        setPositionShown(m_duration);
    setState(QMediaPlayer::StoppedState);
    setStatus(QMediaPlayer::EndOfMedia);
}

void MpvPlayer::propertyChanged(const QString &name, const QVariant &value, quint64 tag)
{
    // Only reports on the file now open count.
    if (!m_loaded || (tag != 0 && tag != kPropertyTagBase + quint64(m_entry)))
        return;
    if (name == QLatin1String("time-pos")) {
        if (value.isValid() && m_restarted && !m_seekPending && !m_userStopped &&
            m_status != QMediaPlayer::EndOfMedia)
            setPositionShown(toMs(value));
    } else if (name == QLatin1String("duration")) {
        setDurationShown(value.isValid() ? toMs(value) : 0);
    } else if (name == QLatin1String("seekable")) {
        setSeekableShown(value.toBool());
    } else if (name == QLatin1String("eof-reached")) {
        if (value.toBool() && m_restarted && !m_seekPending && !m_userStopped &&
            m_state != QMediaPlayer::StoppedState)
            reachedEnd();
    } else if (name == QLatin1String("dwidth") || name == QLatin1String("dheight")) {
        const int length = value.isValid() ? value.toInt() : 0;
        if (name == QLatin1String("dwidth"))
            m_videoSize.setWidth(length);
        else
            m_videoSize.setHeight(length);
        showVideoSize();
    } else if (name == QLatin1String("video-params/rotate")) {
        m_videoRotation = value.isValid() ? value.toInt() : 0;
        showVideoSize();
    } else if (name == QLatin1String("track-list")) {
        tracksReported(value.toList());
    } else if (name == QLatin1String("metadata")) {
        metaDataReported(value.toMap());
    }
    if (tag != 0)
        filePropertyAnswered(name);
}

// The picture's shape as shown: a video turned a quarter stands on its side.
void MpvPlayer::showVideoSize()
{
    if (m_videoSize.isEmpty())
        return;
    const bool sideways = m_videoRotation % 180 == 90;
    m_renderer->setVideoSize(sideways ? m_videoSize.transposed() : m_videoSize);
}

void MpvPlayer::tracksReported(const QVariantList &tracks)
{
    QList<QMediaMetaData> subtitles;
    QList<qlonglong> ids;
    bool video = false;
    for (const QVariant &entry : tracks) {
        const QVariantMap track = entry.toMap();
        const QString type = track.value(QStringLiteral("type")).toString();
        if (type == QLatin1String("video") && !track.value(QStringLiteral("albumart")).toBool())
            video = true;
        if (type != QLatin1String("sub") || track.value(QStringLiteral("external")).toBool())
            continue;
        QMediaMetaData data;
        const QString language = track.value(QStringLiteral("lang")).toString();
        if (!language.isEmpty()) {
            const QLocale::Language known = QLocale::codeToLanguage(language);
            if (known != QLocale::AnyLanguage)
                data.insert(QMediaMetaData::Language, QVariant::fromValue(known));
        }
        const QString title = track.value(QStringLiteral("title")).toString();
        if (!title.isEmpty())
            data.insert(QMediaMetaData::Title, title);
        subtitles.append(data);
        ids.append(track.value(QStringLiteral("id")).toLongLong());
    }
    if (video != m_hasVideo) {
        m_hasVideo = video;
        Q_EMIT hasVideoChanged(video);
    }
    if (ids == m_subtitleIds && subtitles.size() == m_subtitleTracks.size())
        return;
    m_subtitleTracks = subtitles;
    m_subtitleIds = ids;
    if (m_activeSubtitle >= ids.size())
        m_activeSubtitle = -1;
    Q_EMIT tracksChanged();
}

void MpvPlayer::metaDataReported(const QVariantMap &tags)
{
    QMediaMetaData data;
    const QString title = tagValue(tags, QStringLiteral("title"));
    if (!title.isEmpty())
        data.insert(QMediaMetaData::Title, title);
    const QString publisher = tagValue(tags, QStringLiteral("publisher"));
    if (!publisher.isEmpty())
        data.insert(QMediaMetaData::Publisher, publisher);
    m_metaData = data;
    Q_EMIT metaDataChanged();
}
