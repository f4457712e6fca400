#pragma once

#include <QPointer>
#include <QSlider>

class MpvAudioOutput;

// The volume of an audio output in percent (0 to 100); follows volume
// changes made elsewhere (desktop media controls).
class VolumeSlider : public QSlider
{
    Q_OBJECT

public:
    explicit VolumeSlider(QWidget *parent = nullptr);

    void setAudioOutput(MpvAudioOutput *output);

private:
    void outputVolumeChanged(float volume);

    QPointer<MpvAudioOutput> m_output;
};
