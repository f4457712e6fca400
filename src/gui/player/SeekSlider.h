#pragma once

#include <QPointer>
#include <QSlider>

class QMediaPlayer;

// The position of the player's media as a slider: follows playback and
// seeks when the user drags it, clicks it or uses its keys.
class SeekSlider : public QSlider
{
    Q_OBJECT

public:
    explicit SeekSlider(QWidget *parent = nullptr);

    void setMediaPlayer(QMediaPlayer *player);

private:
    void durationChanged(qint64 duration);
    void positionChanged(qint64 position);
    void seekableChanged(bool seekable);
    void userMoved(int value);

    QPointer<QMediaPlayer> m_player;
};
