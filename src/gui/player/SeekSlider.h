#pragma once

#include <QPointer>
#include <QSlider>

class MpvPlayer;

// The position of the player's media as a slider: follows playback and
// seeks when the user drags it or uses its keys. A click on the groove jumps
// to the clicked point, and the handle can be dragged on from there.
class SeekSlider : public QSlider
{
    Q_OBJECT

public:
    explicit SeekSlider(QWidget *parent = nullptr);

    void setMediaPlayer(MpvPlayer *player);
    // The value under a point of the slider (for a click on the groove).
    int valueAt(const QPoint &point) const;

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void durationChanged(qint64 duration);
    void positionChanged(qint64 position);
    void seekableChanged(bool seekable);
    void userMoved(int value);

    QPointer<MpvPlayer> m_player;
};
