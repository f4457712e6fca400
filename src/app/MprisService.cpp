#include "app/MprisService.h"

#include "app/MprisPlayerAdaptor.h"
#include "app/MprisRootAdaptor.h"
#include "core/Logging.h"
#include "gui/player/MpvAudioOutput.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/TvMode.h"
#include "library/Library.h"
#include "library/LibraryItem.h"
#include "library/LibraryModel.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMimeType>
#include <QUrl>

const char MprisService::ServiceName[] = "org.mpris.MediaPlayer2.corvanazelta";
const char MprisService::ObjectPath[] = "/org/mpris/MediaPlayer2";

namespace {

const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

LibraryItem libraryItemFor(Library *library, const QString &path)
{
    if (!library || path.isEmpty())
        return LibraryItem();
    const QString wanted = QFileInfo(path).absoluteFilePath();
    for (int row = 0; row < library->model()->rowCount(); ++row) {
        const LibraryItem item = library->model()->item(row);
        if (QFileInfo(item.videoPath()).absoluteFilePath() == wanted)
            return item;
    }
    return LibraryItem();
}

} // namespace

MprisService::MprisService(PlayerTransport *transport, QObject *parent)
    : QObject(parent), m_transport(transport)
{
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    MpvPlayer *player = transport->mediaPlayer();
    connect(player, &MpvPlayer::playbackStateChanged, this, [this] {
        propertiesChanged({QStringLiteral("PlaybackStatus"), QStringLiteral("CanPlay"),
                           QStringLiteral("CanPause")});
    });
    connect(player, &MpvPlayer::sourceChanged, this, &MprisService::sourceChanged);
    connect(player, &MpvPlayer::durationChanged, this,
            [this] { propertiesChanged({QStringLiteral("Metadata")}); });
    connect(player, &MpvPlayer::seekableChanged, this,
            [this] { propertiesChanged({QStringLiteral("CanSeek")}); });
    // A resumed video jumps: the desktop's panel follows the new place.
    connect(transport, &PlayerTransport::seeked, this,
            [this](qint64 positionMs) { Q_EMIT seeked(qlonglong(positionMs) * 1000); });
    connect(transport->audioOutput(), &MpvAudioOutput::volumeChanged, this,
            [this] { propertiesChanged({QStringLiteral("Volume")}); });
}

MprisService::~MprisService()
{
    if (m_registered) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(QString::fromLatin1(ObjectPath));
        bus.unregisterService(QString::fromLatin1(ServiceName));
    }
}

void MprisService::setLibrary(Library *library)
{
    m_library = library;
}

void MprisService::setTvMode(TvMode *mode)
{
    m_tv = mode;
    if (!mode)
        return;
    connect(mode, &TvMode::activeChanged, this, [this] {
        propertiesChanged({QStringLiteral("PlaybackStatus"), QStringLiteral("Metadata"),
                           QStringLiteral("CanPlay"), QStringLiteral("CanSeek"),
                           QStringLiteral("Volume")});
    });
    connect(mode, &TvMode::tvStateChanged, this,
            [this] { propertiesChanged({QStringLiteral("PlaybackStatus")}); });
    connect(mode, &TvMode::tvVolumeChanged, this,
            [this] { propertiesChanged({QStringLiteral("Volume")}); });
}

bool MprisService::onTv() const
{
    return m_tv && m_tv->isActive();
}

bool MprisService::registerOnSessionBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCInfo(lcApp) << "MprisService: no session bus, media controls are off";
        return false;
    }
    if (!bus.registerObject(QString::fromLatin1(ObjectPath), this,
                            QDBusConnection::ExportAdaptors) ||
        !bus.registerService(QString::fromLatin1(ServiceName))) {
        qCWarning(lcApp) << "MprisService: could not register" << ServiceName << ":"
                         << bus.lastError().message();
        bus.unregisterObject(QString::fromLatin1(ObjectPath));
        return false;
    }
    m_registered = true;
    return true;
}

QString MprisService::playbackStatus() const
{
    if (onTv()) {
        const QString state = m_tv->tvState();
        if (state == QLatin1String("PLAYING") || state == QLatin1String("TRANSITIONING"))
            return QStringLiteral("Playing");
        return state == QLatin1String("PAUSED_PLAYBACK") ? QStringLiteral("Paused")
                                                         : QStringLiteral("Stopped");
    }
    if (!m_transport)
        return QStringLiteral("Stopped");
    switch (m_transport->mediaPlayer()->playbackState()) {
    case QMediaPlayer::PlayingState:
        return QStringLiteral("Playing");
    case QMediaPlayer::PausedState:
        return QStringLiteral("Paused");
    default:
        return QStringLiteral("Stopped");
    }
}

QString MprisService::trackPath() const
{
    return QStringLiteral("/org/corvana/zelta/track/%1").arg(m_track);
}

QVariantMap MprisService::metadata() const
{
    QVariantMap map;
    if (!onTv() && (!m_transport || m_transport->currentFile().isEmpty())) {
        map.insert(
            QStringLiteral("mpris:trackid"),
            QVariant::fromValue(QDBusObjectPath("/org/mpris/MediaPlayer2/TrackList/NoTrack")));
        return map;
    }
    const QString path = onTv() ? m_tv->videoPath() : m_transport->currentFile();
    const LibraryItem item = libraryItemFor(m_library, path);
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackPath())));
    map.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(path).toString());
    QString title = item.isValid() ? item.title() : QString();
    if (title.isEmpty())
        title = QFileInfo(path).completeBaseName();
    map.insert(QStringLiteral("xesam:title"), title);
    qlonglong lengthUs =
        qlonglong(onTv() ? m_tv->durationMs() : m_transport->mediaPlayer()->duration()) * 1000;
    if (lengthUs <= 0 && item.isValid())
        lengthUs = qlonglong(item.mediaLengthInSecs()) * 1000000;
    if (lengthUs > 0)
        map.insert(QStringLiteral("mpris:length"), lengthUs);
    if (item.isValid()) {
        for (const QString &picture : {item.coverPath(), item.thumbnailPath()}) {
            if (!picture.isEmpty() && QFileInfo::exists(picture)) {
                map.insert(QStringLiteral("mpris:artUrl"), QUrl::fromLocalFile(picture).toString());
                break;
            }
        }
    }
    return map;
}

qlonglong MprisService::positionUs() const
{
    if (onTv())
        return qlonglong(m_tv->positionMs()) * 1000;
    return m_transport ? qlonglong(m_transport->mediaPlayer()->position()) * 1000 : 0;
}

double MprisService::volume() const
{
    if (onTv() && m_tv->tvVolume() >= 0)
        return m_tv->tvVolume() / 100.0;
    return m_transport ? double(m_transport->audioOutput()->volume()) : 0.0;
}

void MprisService::setVolume(double volume)
{
    if (onTv()) {
        m_tv->setTvVolume(qRound(qBound(0.0, volume, 1.0) * 100));
        return;
    }
    if (m_transport)
        m_transport->audioOutput()->setVolume(float(qBound(0.0, volume, 1.0)));
}

bool MprisService::canPlay() const
{
    if (onTv())
        return true;
    return m_transport && m_transport->hasValidSource();
}

bool MprisService::canSeek() const
{
    if (onTv())
        return m_tv->durationMs() > 0;
    return m_transport && m_transport->mediaPlayer()->isSeekable();
}

void MprisService::play()
{
    if (onTv()) {
        m_tv->play();
        return;
    }
    if (m_transport)
        m_transport->play();
}

void MprisService::pause()
{
    if (onTv()) {
        m_tv->pause();
        return;
    }
    if (m_transport)
        m_transport->pause();
}

void MprisService::playPause()
{
    if (onTv()) {
        m_tv->togglePlay();
        return;
    }
    if (m_transport)
        m_transport->playPause();
}

void MprisService::stop()
{
    if (onTv()) {
        m_tv->stop();
        return;
    }
    if (m_transport)
        m_transport->stop();
}

void MprisService::seek(qlonglong offsetUs)
{
    if (onTv()) {
        m_tv->seekBy(offsetUs / 1000);
        return;
    }
    if (!canSeek())
        return;
    const qint64 duration = m_transport->mediaPlayer()->duration();
    qint64 target = qMax(qint64(0), m_transport->mediaPlayer()->position() + offsetUs / 1000);
    if (duration > 0)
        target = qMin(target, duration);
    m_transport->seekTo(target);
    Q_EMIT seeked(qlonglong(target) * 1000);
}

void MprisService::setPosition(const QDBusObjectPath &trackId, qlonglong positionUs)
{
    // A position for another track, or outside this one, is ignored.
    if (!canSeek() || trackId.path() != trackPath() || positionUs < 0)
        return;
    if (onTv()) {
        m_tv->seekTo(positionUs / 1000);
        return;
    }
    const qint64 duration = m_transport->mediaPlayer()->duration();
    if (duration > 0 && positionUs / 1000 > duration)
        return;
    m_transport->seekTo(positionUs / 1000);
    Q_EMIT seeked(positionUs);
}

bool MprisService::isMediaFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    // By what the file holds: a name can say anything.
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchContent);
    const QString name = type.name();
    return name.startsWith(QLatin1String("video/")) || name.startsWith(QLatin1String("audio/"));
}

void MprisService::openUri(const QString &uri)
{
    const QUrl url(uri);
    if (!url.isLocalFile() || !isMediaFile(url.toLocalFile())) {
        qCWarning(lcApp) << "MprisService::openUri refused" << url.toString(QUrl::RemoveQuery);
        return;
    }
    Q_EMIT openRequested(url.toLocalFile());
}

void MprisService::sourceChanged()
{
    ++m_track;
    propertiesChanged(
        {QStringLiteral("Metadata"), QStringLiteral("CanPlay"), QStringLiteral("CanSeek")});
}

void MprisService::propertiesChanged(const QStringList &names)
{
    if (!m_registered)
        return;
    QVariantMap changed;
    for (const QString &name : names) {
        if (name == QLatin1String("PlaybackStatus"))
            changed.insert(name, playbackStatus());
        else if (name == QLatin1String("Metadata"))
            changed.insert(name, metadata());
        else if (name == QLatin1String("Volume"))
            changed.insert(name, volume());
        else if (name == QLatin1String("CanSeek"))
            changed.insert(name, canSeek());
        else
            changed.insert(name, canPlay());
    }
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(ObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << playerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}
