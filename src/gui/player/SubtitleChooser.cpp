#include "gui/player/SubtitleChooser.h"

#include "core/Logging.h"
#include "gui/player/MpvPlayer.h"
#include "gui/player/SubtitleOverlay.h"
#include "media/SubtitleParser.h"

#include <QActionGroup>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QMediaMetaData>
#include <QMenu>
#include <QPainter>
#include <QSettings>
#include <QToolButton>
#include <QtConcurrent/QtConcurrentRun>

namespace {

const QString kSettingsGroup = QStringLiteral("SubtitleChoice");
const QString kOff = QStringLiteral("off");

// A screen with two lines of text: the button's picture, drawn here.
QIcon subtitleIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal pen = qMax(1.0, size / 14.0);
        painter.setPen(QPen(QColor(0xe8, 0xec, 0xf0), pen));
        painter.setBrush(Qt::NoBrush);
        const QRectF frame(pen, size * 0.18, size - 2 * pen, size * 0.64);
        painter.drawRoundedRect(frame, size * 0.1, size * 0.1);
        painter.setPen(QPen(QColor(0xe8, 0xec, 0xf0), pen * 1.4, Qt::SolidLine, Qt::RoundCap));
        const qreal left = frame.left() + size * 0.2;
        painter.drawLine(QPointF(left, frame.bottom() - size * 0.28),
                         QPointF(frame.right() - size * 0.2, frame.bottom() - size * 0.28));
        painter.drawLine(QPointF(left + size * 0.1, frame.bottom() - size * 0.14),
                         QPointF(frame.right() - size * 0.3, frame.bottom() - size * 0.14));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QString streamLabel(const QMediaMetaData &data, int index)
{
    const QVariant language = data.value(QMediaMetaData::Language);
    const QString title = data.value(QMediaMetaData::Title).toString();
    QString label;
    if (language.isValid())
        label = SubtitleFile::nameOfLanguage(language.value<QLocale::Language>());
    if (!title.isEmpty())
        label = label.isEmpty() ? title : label + QStringLiteral(" (") + title + QLatin1Char(')');
    if (label.isEmpty())
        label = SubtitleChooser::tr("Track %1").arg(index + 1);
    return label;
}

} // namespace

SubtitleChooser::SubtitleChooser(MpvPlayer *player, QWidget *video, QObject *parent)
    : QObject(parent), m_player(player), m_overlay(new SubtitleOverlay(video)),
      m_button(new QToolButton)
{
    m_button->setObjectName(QStringLiteral("subtitleButton"));
    m_button->setFixedSize(32, 24);
    m_button->setIcon(subtitleIcon());
    m_button->setIconSize(QSize(22, 22));
    m_button->setAutoRaise(true);
    m_button->setAccessibleName(tr("Subtitles"));
    m_button->setToolTip(tr("Subtitles"));
    m_button->setPopupMode(QToolButton::InstantPopup);
    m_button->setStyleSheet(QStringLiteral("QToolButton { border: none; background: none; }"
                                           "QToolButton::menu-indicator { image: none; }"
                                           "QToolButton:focus { border: 1px solid #f0b429; }"));
    m_menu = new QMenu(m_button);
    m_menu->setAccessibleName(tr("Subtitles"));
    m_button->setMenu(m_menu);
    m_group = new QActionGroup(m_menu);
    m_group->setExclusive(true);

    m_tick.setInterval(100);
    connect(&m_tick, &QTimer::timeout, this, [this] {
        if (m_player)
            showPosition(m_player->position());
    });
    connect(player, &MpvPlayer::sourceChanged, this, &SubtitleChooser::sourceChanged);
    connect(player, &MpvPlayer::tracksChanged, this, &SubtitleChooser::rebuildTracks);
    connect(player, &MpvPlayer::positionChanged, this, &SubtitleChooser::showPosition);
    connect(player, &MpvPlayer::playbackStateChanged, this,
            [this](QMediaPlayer::PlaybackState state) {
                if (state == QMediaPlayer::PlayingState)
                    m_tick.start();
                else
                    m_tick.stop();
                if (state == QMediaPlayer::StoppedState)
                    m_overlay->clear();
                else
                    showPosition(m_player->position());
            });
    rebuildTracks();
}

SubtitleChooser::~SubtitleChooser()
{
    // The button belongs to the bar it was placed in; one never placed goes here.
    if (m_button && !m_button->parent())
        delete m_button;
}

void SubtitleChooser::sourceChanged()
{
    ++m_generation;
    m_video = m_player ? m_player->source().toLocalFile() : QString();
    m_loaded = {};
    m_cues.clear();
    m_current.clear();
    m_filesKnown = false;
    m_overlay->clear();
    rebuildTracks();
    if (m_video.isEmpty())
        return;
    // Listing the folder and reading the files happen off the window's thread.
    const int generation = m_generation;
    const QString video = m_video;
    auto *watcher = new QFutureWatcher<Loaded>(this);
    connect(watcher, &QFutureWatcher<Loaded>::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        filesLoaded(generation, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([video] {
        Loaded loaded;
        for (const SubtitleFile &file : SubtitleFile::besideVideo(video)) {
            SubtitleCues cues;
            QString error;
            if (!SubtitleParser::readFile(file.path, &cues, &error)) {
                qCWarning(lcGui).noquote()
                    << QStringLiteral("SubtitleChooser could not read %1: %2")
                           .arg(file.path, error);
                continue;
            }
            loaded.files.append(file);
            loaded.cues.append(cues);
        }
        return loaded;
    }));
}

void SubtitleChooser::filesLoaded(int generation, const Loaded &loaded)
{
    if (generation != m_generation)
        return; // another video was opened meanwhile
    m_loaded = loaded;
    m_filesKnown = true;
    rebuildTracks();
}

void SubtitleChooser::rebuildTracks()
{
    m_tracks.clear();
    for (const SubtitleFile &file : std::as_const(m_loaded.files)) {
        Track track;
        track.key = QStringLiteral("file:") + QFileInfo(file.path).fileName();
        track.label = file.languageName();
        if (track.label.isEmpty())
            track.label = QFileInfo(file.path).fileName();
        track.file = file;
        m_tracks.append(track);
    }
    const QList<QMediaMetaData> streams =
        m_player ? m_player->subtitleTracks() : QList<QMediaMetaData>();
    for (int i = 0; i < streams.size(); ++i)
        m_tracks.append({QStringLiteral("stream:%1").arg(i), streamLabel(streams[i], i), {}, i});
    // Two tracks of one language are told apart by their file or track.
    for (Track &track : m_tracks) {
        const auto same =
            std::count_if(m_tracks.cbegin(), m_tracks.cend(),
                          [&](const Track &other) { return other.label == track.label; });
        if (same > 1 && track.stream < 0)
            track.label +=
                QStringLiteral(" (") + QFileInfo(track.file.path).fileName() + QLatin1Char(')');
    }
    const QString remembered = rememberedKey();
    const bool known = std::any_of(m_tracks.cbegin(), m_tracks.cend(),
                                   [&](const Track &track) { return track.key == remembered; });
    m_current = known ? remembered : QString();
    rebuildMenu();
    apply();
    if (m_filesKnown)
        emit tracksChanged();
}

void SubtitleChooser::rebuildMenu()
{
    m_menu->clear();
    const auto addEntry = [this](const QString &text, const QString &key) {
        QAction *action = m_menu->addAction(text);
        action->setCheckable(true);
        action->setChecked(key == m_current);
        action->setData(key);
        m_group->addAction(action);
        connect(action, &QAction::triggered, this, [this, key] { choose(key); });
    };
    addEntry(tr("Off"), QString());
    if (!m_tracks.isEmpty())
        m_menu->addSeparator();
    for (const Track &track : std::as_const(m_tracks))
        addEntry(track.label, track.key);
    m_button->setEnabled(!m_tracks.isEmpty());
    m_button->setToolTip(m_tracks.isEmpty() ? tr("No subtitles") : tr("Subtitles"));
}

void SubtitleChooser::choose(const QString &key)
{
    if (!key.isEmpty() && std::none_of(m_tracks.cbegin(), m_tracks.cend(),
                                       [&](const Track &track) { return track.key == key; }))
        return;
    m_current = key;
    if (!m_video.isEmpty()) {
        QSettings settings;
        settings.beginGroup(kSettingsGroup);
        settings.setValue(settingsKey(), key.isEmpty() ? kOff : key);
    }
    for (QAction *action : m_group->actions())
        action->setChecked(action->data().toString() == key);
    apply();
}

void SubtitleChooser::apply()
{
    m_cues.clear();
    int stream = -1;
    for (int i = 0; i < m_tracks.size(); ++i) {
        if (m_tracks[i].key != m_current)
            continue;
        stream = m_tracks[i].stream;
        if (stream < 0)
            m_cues = m_loaded.cues.value(m_loaded.files.indexOf(m_tracks[i].file));
    }
    if (m_player && m_player->activeSubtitleTrack() != stream &&
        !m_player->subtitleTracks().isEmpty())
        m_player->setActiveSubtitleTrack(stream);
    m_overlay->clear();
    if (m_player && m_player->playbackState() != QMediaPlayer::StoppedState)
        showPosition(m_player->position());
}

void SubtitleChooser::showPosition(qint64 position)
{
    QList<SubtitleLine> lines;
    // Cues are sorted by start: stop at the first one that starts later.
    for (const SubtitleCue &cue : std::as_const(m_cues)) {
        if (cue.start > position)
            break;
        if (cue.isShownAt(position))
            lines += cue.lines;
    }
    m_overlay->setLines(lines);
}

QString SubtitleChooser::settingsKey() const
{
    return QString::fromLatin1(
        QCryptographicHash::hash(m_video.toUtf8(), QCryptographicHash::Sha1).toHex());
}

// The video's remembered choice; without one, a track in the user's language,
// else a file without a language, else Off.
QString SubtitleChooser::rememberedKey() const
{
    if (m_video.isEmpty())
        return {};
    QSettings settings;
    settings.beginGroup(kSettingsGroup);
    const QString stored = settings.value(settingsKey()).toString();
    if (stored == kOff)
        return {};
    if (!stored.isEmpty())
        return stored;
    const QString own = QLocale().name().left(2);
    for (const Track &track : m_tracks) {
        if (track.stream < 0 && !own.isEmpty() && track.file.twoLetterLanguage() == own)
            return track.key;
    }
    for (const Track &track : m_tracks) {
        if (track.stream < 0 && track.file.language.isEmpty())
            return track.key;
    }
    return {};
}
