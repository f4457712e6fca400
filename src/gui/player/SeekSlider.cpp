#include "gui/player/SeekSlider.h"

#include "gui/player/MpvPlayer.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

SeekSlider::SeekSlider(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
    setRange(0, 0);
    setSingleStep(10000);
    setPageStep(10000);
    setTracking(false);
    setEnabled(false);
    setAccessibleName(tr("Position"));
    connect(this, &QSlider::sliderReleased, this, [this] { userMoved(sliderPosition()); });
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
        // Keys and clicks on the groove move the slider without a drag.
        if (action != QAbstractSlider::SliderMove && !isSliderDown())
            userMoved(sliderPosition());
    });
}

void SeekSlider::setMediaPlayer(MpvPlayer *player)
{
    if (m_player)
        disconnect(m_player, nullptr, this, nullptr);
    m_player = player;
    if (!player)
        return;
    connect(player, &MpvPlayer::durationChanged, this, &SeekSlider::durationChanged);
    connect(player, &MpvPlayer::positionChanged, this, &SeekSlider::positionChanged);
    connect(player, &MpvPlayer::seekableChanged, this, &SeekSlider::seekableChanged);
    durationChanged(player->duration());
    positionChanged(player->position());
    seekableChanged(player->isSeekable());
}

void SeekSlider::durationChanged(qint64 duration)
{
    setMaximum(int(qBound(qint64(0), duration, qint64(INT_MAX))));
}

void SeekSlider::positionChanged(qint64 position)
{
    if (isSliderDown())
        return;
    const QSignalBlocker blocker(this);
    setValue(int(qBound(qint64(0), position, qint64(INT_MAX))));
}

void SeekSlider::seekableChanged(bool seekable)
{
    setEnabled(seekable);
}

void SeekSlider::userMoved(int value)
{
    if (m_player && m_player->isSeekable())
        m_player->setPosition(value);
}

int SeekSlider::valueAt(const QPoint &point) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    // The handle's centre travels from half a handle in to half a handle before the end.
    const int span = groove.width() - handle.width();
    const int offset = point.x() - groove.x() - handle.width() / 2;
    return QStyle::sliderValueFromPosition(minimum(), maximum(), offset, qMax(1, span),
                                           option.upsideDown);
}

void SeekSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && maximum() > minimum() && isEnabled()) {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect handle =
            style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
        if (!handle.contains(event->position().toPoint())) {
            // Jump to the point; the handle is then under the mouse, so the
            // press below starts a drag from there.
            const int value = valueAt(event->position().toPoint());
            setSliderPosition(value);
            userMoved(value);
        }
    }
    QSlider::mousePressEvent(event);
}
