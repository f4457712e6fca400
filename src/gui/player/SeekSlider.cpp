#include "gui/player/SeekSlider.h"

#include <QMediaPlayer>

SeekSlider::SeekSlider(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
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

void SeekSlider::setMediaPlayer(QMediaPlayer *player)
{
    if (m_player)
        disconnect(m_player, nullptr, this, nullptr);
    m_player = player;
    if (!player)
        return;
    connect(player, &QMediaPlayer::durationChanged, this, &SeekSlider::durationChanged);
    connect(player, &QMediaPlayer::positionChanged, this, &SeekSlider::positionChanged);
    connect(player, &QMediaPlayer::seekableChanged, this, &SeekSlider::seekableChanged);
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
