#include "gui/player/TvModePanel.h"

#include "gui/player/Toolbar.h"

#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QString panelStyle()
{
    static const QString sheet = [] {
        QFile file(QStringLiteral(":/style/TvModePanel.qss"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }();
    return sheet;
}

// The play and pause pictures of the player's bar.
QString playStyle(bool pause)
{
    const QString look = pause ? QStringLiteral("pause") : QStringLiteral("play");
    return QStringLiteral(
               "QToolButton { background-image: url(:/images/toolbar/%1_button_normal.png);"
               " background-position: center; background-repeat: no-repeat;"
               " background-color: none; border: none; }"
               "QToolButton:pressed { background-image: "
               "url(:/images/toolbar/%1_button_down.png); }"
               "QToolButton:disabled { background-image: "
               "url(:/images/toolbar/%1_button_disabled.png); }"
               "QToolButton:focus { border: 1px solid #f0b429; border-radius: 20px; }")
        .arg(look);
}

// A square in a ring, drawn like the bar's round buttons.
QIcon stopIcon()
{
    QIcon icon;
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
        for (const int size : {32, 64}) {
            QPixmap pixmap(size, size);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            const qreal unit = size / 32.0;
            QLinearGradient ring(0, 0, 0, size);
            ring.setColorAt(0, QColor(0xf4, 0xf5, 0xf7));
            ring.setColorAt(1, QColor(0xa9, 0xae, 0xb5));
            painter.setPen(QPen(QColor(0x22, 0x26, 0x2b), unit));
            painter.setBrush(ring);
            painter.drawEllipse(QRectF(unit, unit, size - 2 * unit, size - 2 * unit));
            painter.setPen(Qt::NoPen);
            painter.setBrush(mode == QIcon::Normal ? QColor(0x2b, 0x30, 0x36)
                                                   : QColor(0x8a, 0x90, 0x98));
            painter.drawRoundedRect(QRectF(11 * unit, 11 * unit, 10 * unit, 10 * unit), unit, unit);
            painter.end();
            icon.addPixmap(pixmap, mode);
        }
    }
    return icon;
}

// The volume's loudspeaker, and the same struck through while the sound is off.
QIcon volumeIcon()
{
    const QPixmap speaker(QStringLiteral(":/images/toolbar/volume_icon.png"));
    QIcon icon;
    for (const int size : {20, 40}) {
        QPixmap on = speaker.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        icon.addPixmap(on, QIcon::Normal, QIcon::Off);
        QPixmap off = on;
        QPainter painter(&off);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal unit = size / 20.0;
        painter.setPen(QPen(QColor(0x1a, 0x1d, 0x21), 4 * unit, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(3 * unit, 17 * unit), QPointF(17 * unit, 3 * unit));
        painter.setPen(QPen(QColor(0xe8, 0x5d, 0x4f), 2 * unit, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(3 * unit, 17 * unit), QPointF(17 * unit, 3 * unit));
        painter.end();
        icon.addPixmap(off, QIcon::Normal, QIcon::On);
    }
    return icon;
}

// Stands for the video when it has no picture: a screen with a play mark.
QImage placeholderPicture()
{
    static const QImage picture = [] {
        QImage pixmap(640, 360, QImage::Format_ARGB32_Premultiplied);
        pixmap.fill(QColor(0x20, 0x24, 0x2a));
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0x5a, 0x62, 0x6c), 6));
        painter.setBrush(QColor(0x14, 0x17, 0x1b));
        painter.drawRoundedRect(QRectF(200, 90, 240, 150), 12, 12);
        painter.drawLine(QPointF(280, 270), QPointF(360, 270));
        QPainterPath play;
        play.moveTo(300, 130);
        play.lineTo(350, 165);
        play.lineTo(300, 200);
        play.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x7f, 0xa6, 0xcf));
        painter.drawPath(play);
        painter.end();
        return pixmap;
    }();
    return picture;
}

} // namespace

TvModePanel::TvModePanel(QWidget *page) : QWidget(page)
{
    setObjectName(QStringLiteral("TvModePanel"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(panelStyle());
    setAccessibleName(tr("Playing on a TV"));

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("tvPicture"));
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setMinimumSize(160, 90);
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("tvTitle"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setWordWrap(true);
    m_tv = new QLabel(this);
    m_tv->setObjectName(QStringLiteral("tvName"));
    m_tv->setTextFormat(Qt::PlainText);
    m_tv->setAlignment(Qt::AlignCenter);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("tvStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    // The picture and its words stay together in the middle of the page.
    layout->addStretch(1);
    layout->addWidget(m_picture, 0, Qt::AlignHCenter);
    layout->addSpacing(12);
    layout->addWidget(m_title);
    layout->addWidget(m_tv);
    layout->addSpacing(4);
    layout->addWidget(m_status, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    layout->addWidget(buildControls());

    page->installEventFilter(this);
    setGeometry(page->rect());
    m_image = placeholderPicture();
    setPlaying(false);
    setPosition(0, -1);
}

QWidget *TvModePanel::buildControls()
{
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("tvControls"));

    m_play = new QToolButton(frame);
    m_play->setObjectName(QStringLiteral("tvPlayButton"));
    m_play->setFixedSize(40, 40);
    connect(m_play, &QToolButton::clicked, this, &TvModePanel::playPauseClicked);
    m_stop = new QToolButton(frame);
    m_stop->setObjectName(QStringLiteral("tvStopButton"));
    m_stop->setFixedSize(34, 34);
    m_stop->setIconSize(QSize(30, 30));
    m_stop->setIcon(stopIcon());
    m_stop->setAccessibleName(tr("Stop"));
    m_stop->setToolTip(tr("Stop on the TV"));
    connect(m_stop, &QToolButton::clicked, this, &TvModePanel::stopClicked);

    m_current = new QLabel(frame);
    m_current->setObjectName(QStringLiteral("tvCurrentTime"));
    m_total = new QLabel(frame);
    m_total->setObjectName(QStringLiteral("tvTotalTime"));
    m_seek = new QSlider(Qt::Horizontal, frame);
    m_seek->setObjectName(QStringLiteral("tvSeekSlider"));
    m_seek->setAccessibleName(tr("Position on the TV"));
    m_seek->setMinimumWidth(200);
    // Reported once: when the handle is let go, or a click or key moved it.
    m_seek->setTracking(false);
    m_seek->setSingleStep(10000);
    m_seek->setPageStep(60000);
    connect(m_seek, &QSlider::valueChanged, this,
            [this](int value) { Q_EMIT seekRequested(qint64(value)); });

    m_mute = new QToolButton(frame);
    m_mute->setObjectName(QStringLiteral("tvMuteButton"));
    m_mute->setFixedSize(26, 26);
    m_mute->setIconSize(QSize(20, 20));
    m_mute->setCheckable(true);
    m_mute->setIcon(volumeIcon());
    connect(m_mute, &QToolButton::clicked, this, [this] {
        // The look is set by what is asked of the TV, and then by what it tells.
        m_mute->setChecked(!m_mute->isChecked());
        Q_EMIT muteClicked();
    });
    setMuted(false);
    m_volume = new QSlider(Qt::Horizontal, frame);
    m_volume->setObjectName(QStringLiteral("tvVolumeSlider"));
    m_volume->setAccessibleName(tr("Volume of the TV"));
    m_volume->setRange(0, 100);
    m_volume->setSingleStep(5);
    m_volume->setPageStep(10);
    m_volume->setTracking(false);
    m_volume->setFixedWidth(90);
    connect(m_volume, &QSlider::valueChanged, this, &TvModePanel::volumeRequested);

    m_back = new QPushButton(tr("Back to this computer"), frame);
    m_back->setObjectName(QStringLiteral("tvBackButton"));
    m_back->setCursor(Qt::PointingHandCursor);
    m_back->setToolTip(tr("Stop on the TV and go on here at the same place"));
    connect(m_back, &QPushButton::clicked, this, &TvModePanel::backRequested);

    auto *row = new QHBoxLayout(frame);
    row->setContentsMargins(10, 6, 10, 6);
    row->setSpacing(8);
    row->addWidget(m_play);
    row->addWidget(m_stop);
    row->addSpacing(6);
    row->addWidget(m_current);
    row->addWidget(m_seek, 1);
    row->addWidget(m_total);
    row->addSpacing(16);
    row->addWidget(m_mute);
    row->addWidget(m_volume);
    row->addSpacing(16);
    row->addWidget(m_back);
    return frame;
}

void TvModePanel::setVideo(const QString &title, const QImage &picture, const QImage &scaled)
{
    m_title->setText(title);
    m_image = picture.isNull() ? placeholderPicture() : picture;
    m_picture->setAccessibleName(title);
    if (!scaled.isNull() && scaled.size() == scaledPicture(m_image, pictureSize()).size())
        showScaled(scaled);
    else
        showPicture();
}

void TvModePanel::prepare()
{
    if (isVisible())
        return;
    ensurePolished();
    for (QWidget *child : findChildren<QWidget *>())
        child->ensurePolished();
    setGeometry(parentWidget()->rect());
    if (layout())
        layout()->activate();
    showPicture();
}

void TvModePanel::setTvName(const QString &name)
{
    //: Under the video's title while a TV plays it, e.g. "Playing on Living room TV".
    m_tv->setText(tr("Playing on %1").arg(name));
}

void TvModePanel::setStatus(const QString &text)
{
    m_status->setText(text);
    if (!m_error && m_status->property("error").isValid())
        return; // the look is the same: no polishing again
    m_error = false;
    m_status->setProperty("error", false);
    m_status->style()->unpolish(m_status);
    m_status->style()->polish(m_status);
}

void TvModePanel::setError(const QString &text)
{
    m_status->setText(text);
    if (m_error)
        return;
    m_error = true;
    m_status->setProperty("error", true);
    m_status->style()->unpolish(m_status);
    m_status->style()->polish(m_status);
}

void TvModePanel::setPlaying(bool playing)
{
    if (m_playingLook != int(playing))
        m_play->setStyleSheet(playStyle(playing));
    m_playingLook = int(playing);
    m_play->setAccessibleName(playing ? tr("Pause") : tr("Play"));
    m_play->setToolTip(playing ? tr("Pause on the TV") : tr("Play on the TV"));
}

void TvModePanel::setPosition(qint64 positionMs, qint64 durationMs)
{
    const bool hours = durationMs >= 3600 * 1000;
    m_current->setText(Toolbar::formatTime(positionMs, hours));
    m_total->setText(durationMs > 0 ? Toolbar::formatTime(durationMs, hours)
                                    : QStringLiteral("--:--"));
    if (m_seek->isSliderDown())
        return;
    const QSignalBlocker blocker(m_seek);
    m_seek->setRange(0, int(qBound(qint64(0), durationMs, qint64(INT_MAX))));
    m_seek->setValue(int(qBound(qint64(0), positionMs, qint64(m_seek->maximum()))));
}

void TvModePanel::setVolume(int volume)
{
    if (m_volume->isSliderDown())
        return;
    const QSignalBlocker blocker(m_volume);
    m_volume->setValue(volume);
}

void TvModePanel::setMuted(bool muted)
{
    m_mute->setChecked(muted);
    m_mute->setAccessibleName(muted ? tr("Sound of the TV off") : tr("Sound of the TV on"));
    m_mute->setToolTip(muted ? tr("Turn the TV's sound on") : tr("Turn the TV's sound off"));
}

bool TvModePanel::showsMuted() const
{
    return m_mute->isChecked();
}

void TvModePanel::setControlsEnabled(bool enabled)
{
    for (QWidget *control : {static_cast<QWidget *>(m_play), static_cast<QWidget *>(m_stop),
                             static_cast<QWidget *>(m_seek), static_cast<QWidget *>(m_volume),
                             static_cast<QWidget *>(m_mute)})
        control->setEnabled(enabled);
}

QSize TvModePanel::pictureSize() const
{
    // 16:9 at most, within what the layout leaves for it.
    const QSize room = size() - QSize(80, 230);
    const QSize target = QSize(room.width(), room.width() * 9 / 16)
                             .boundedTo(QSize(room.height() * 16 / 9, room.height()));
    if (target.width() < 16 || target.height() < 9)
        return {};
    return target * devicePixelRatioF();
}

QImage TvModePanel::scaledPicture(const QImage &picture, const QSize &size)
{
    if (size.isEmpty() || picture.isNull())
        return {};
    return picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

void TvModePanel::showPicture()
{
    showScaled(scaledPicture(m_image, pictureSize()));
}

void TvModePanel::showScaled(const QImage &scaled)
{
    if (scaled.isNull())
        return;
    QPixmap pixmap = QPixmap::fromImage(scaled);
    pixmap.setDevicePixelRatio(devicePixelRatioF());
    m_picture->setPixmap(pixmap);
    m_picture->setFixedSize(pixmap.deviceIndependentSize().toSize() + QSize(2, 2));
}

void TvModePanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    showPicture();
}

bool TvModePanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}
