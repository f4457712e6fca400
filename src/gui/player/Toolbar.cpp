#include "gui/player/Toolbar.h"

#include "gui/player/SeekSlider.h"
#include "gui/player/VolumeSlider.h"

#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QToolButton>

namespace {

QString pageStyle()
{
    static const QString sheet = [] {
        QFile file(QStringLiteral(":/style/Toolbar.qss"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }();
    return sheet;
}

QString buttonStyle(const QString &normal, const QString &pushed, const QString &disabled)
{
    return QStringLiteral("QToolButton {   background-image:url(:/images/toolbar/") + normal +
           QStringLiteral(");   background-position: center;   background-color:none;   "
                          "background-repeat: no repeat;   border: none;}QToolButton:pressed {"
                          "   background-image:url(:/images/toolbar/") +
           pushed +
           QStringLiteral(");}QToolButton:disabled {   background-image:url(:/images/toolbar/") +
           disabled + QStringLiteral(");}");
}

} // namespace

Toolbar::Toolbar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Toolbar"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(pageStyle());

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("mainToolBar"));
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_frame);

    m_playButton = new QToolButton(m_frame);
    m_playButton->setObjectName(QStringLiteral("playButton"));
    m_playButton->setFixedSize(40, 40);
    m_playButton->setAccessibleName(tr("Play"));
    connect(m_playButton, &QToolButton::clicked, this, &Toolbar::on_playButton_clicked);

    m_leftCap = makeLabel(QStringLiteral("left_slider_cap"));
    m_leftCap->setFixedSize(6, 8);
    m_seekSlider = new SeekSlider(m_frame);
    m_seekSlider->setObjectName(QStringLiteral("seekSlider"));
    m_seekSlider->setMinimumWidth(240);
    m_rightCap = makeLabel(QStringLiteral("right_slider_cap"));
    m_rightCap->setFixedSize(6, 8);

    QLabel *volumeIcon = makeLabel(QStringLiteral("volumeIcon"));
    volumeIcon->setFixedSize(20, 20);
    QLabel *volumeLeft = makeLabel(QStringLiteral("left_volume_slider_cap"));
    volumeLeft->setFixedSize(4, 6);
    m_volumeSlider = new VolumeSlider(m_frame);
    m_volumeSlider->setObjectName(QStringLiteral("volumeSlider"));
    m_volumeSlider->setFixedWidth(80);
    QLabel *volumeRight = makeLabel(QStringLiteral("right_volume_slider_cap"));
    volumeRight->setFixedSize(4, 6);

    m_fullButton = new QToolButton(m_frame);
    m_fullButton->setObjectName(QStringLiteral("fullButton"));
    m_fullButton->setFixedSize(32, 24);
    m_fullButton->setAccessibleName(tr("Full screen"));
    connect(m_fullButton, &QToolButton::clicked, this, &Toolbar::on_fullButton_clicked);

    auto *row = new QHBoxLayout(m_frame);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(0);
    row->addWidget(m_playButton);
    row->addSpacing(12);
    // The seek slider sits low so the times fit above its ends.
    auto *seek = new QHBoxLayout;
    seek->setContentsMargins(0, 14, 0, 0);
    seek->setSpacing(0);
    seek->addWidget(m_leftCap);
    seek->addWidget(m_seekSlider, 1);
    seek->addWidget(m_rightCap);
    row->addLayout(seek, 1);
    row->addSpacing(62);
    row->addWidget(volumeIcon);
    row->addSpacing(4);
    row->addWidget(volumeLeft);
    row->addWidget(m_volumeSlider);
    row->addWidget(volumeRight);
    row->addSpacing(12);
    row->addWidget(m_fullButton);

    // The times sit over the ends of the seek slider, outside the layout.
    m_currentTime = makeTimeLabel(QStringLiteral("currentTimeLabel"));
    m_totalTime = makeTimeLabel(QStringLiteral("totalTimeLabel"));

    // The layout moves the caps after a resize (later still for a floating bar
    // shown after its geometry was set): the times follow the caps.
    m_leftCap->installEventFilter(this);
    m_rightCap->installEventFilter(this);

    m_fade = new QPropertyAnimation(this, "windowOpacity", this);
    m_fade->setDuration(FadeMs);

    setPauseLook(false);
    setFullScreenLook(false);
    setMinimumWidth(600);
}

void Toolbar::addButton(QWidget *button)
{
    auto *row = static_cast<QHBoxLayout *>(m_frame->layout());
    const int at = row->indexOf(m_fullButton);
    row->insertWidget(at, button);
    row->insertSpacing(at + 1, 8);
}

QLabel *Toolbar::makeLabel(const QString &name)
{
    auto *label = new QLabel(m_frame);
    label->setObjectName(name);
    return label;
}

QLabel *Toolbar::makeTimeLabel(const QString &name)
{
    auto *label = new QLabel(QStringLiteral("0:00"), this);
    label->setObjectName(name);
    label->setFixedSize(55, 24);
    label->setFont(QFont(QStringLiteral("Arial"), 8));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

void Toolbar::setPauseLook(bool pause)
{
    m_pauseLook = pause;
    const QString look = pause ? QStringLiteral("pause") : QStringLiteral("play");
    m_playButton->setStyleSheet(buttonStyle(look + QStringLiteral("_button_normal.png"),
                                            look + QStringLiteral("_button_down.png"),
                                            look + QStringLiteral("_button_disabled.png")));
    m_playButton->setAccessibleName(pause ? tr("Pause") : tr("Play"));
}

void Toolbar::setFullScreenLook(bool fullScreen)
{
    const QString prefix = fullScreen ? QString() : QStringLiteral("IN-");
    m_fullButton->setStyleSheet(buttonStyle(prefix + QStringLiteral("fullscreen-bt-normal.png"),
                                            prefix + QStringLiteral("fullscreen-bt-pushed.png"),
                                            prefix + QStringLiteral("fullscreen-bt-disable.png")));
    m_fullButton->setAccessibleName(fullScreen ? tr("Leave full screen") : tr("Full screen"));
}

QString Toolbar::formatTime(qint64 ms, bool hours)
{
    const qint64 total = qMax<qint64>(0, ms) / 1000;
    const qint64 h = total / 3600;
    const int m = int(total / 60 % 60);
    const int s = int(total % 60);
    if (hours) {
        return QStringLiteral("%1:%2:%3")
            .arg(h)
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    }
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

void Toolbar::on_playButton_clicked()
{
    Q_EMIT playCommand(0);
}

void Toolbar::on_fullButton_clicked()
{
    Q_EMIT fullScreen();
}

void Toolbar::fadeOut()
{
    fadeTo(0.0);
}

void Toolbar::fadeIn()
{
    fadeTo(1.0);
}

void Toolbar::fadeTo(qreal opacity)
{
    m_fade->stop();
    m_fade->setStartValue(windowOpacity());
    m_fade->setEndValue(opacity);
    m_fade->start();
}

void Toolbar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeTimeLabels();
}

bool Toolbar::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_leftCap || watched == m_rightCap) &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
         event->type() == QEvent::Show))
        placeTimeLabels();
    return QWidget::eventFilter(watched, event);
}

void Toolbar::placeTimeLabels()
{
    const QPoint above(0, -m_currentTime->height() + 4);
    m_currentTime->move(m_leftCap->mapTo(this, QPoint(-5, 0) + above));
    m_totalTime->move(m_rightCap->mapTo(this, QPoint(12, 0) + above) -
                      QPoint(m_totalTime->width(), 0));
    m_currentTime->raise();
    m_totalTime->raise();
}
