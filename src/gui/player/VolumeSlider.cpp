#include "gui/player/VolumeSlider.h"

#include "gui/player/MpvAudioOutput.h"

#include <cmath>

VolumeSlider::VolumeSlider(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
    setRange(0, 100);
    setSingleStep(5);
    setPageStep(10);
    setAccessibleName(tr("Volume"));
    connect(this, &QSlider::valueChanged, this, [this](int value) {
        if (m_output)
            m_output->setVolume(float(value) / 100.0f);
    });
}

void VolumeSlider::setAudioOutput(MpvAudioOutput *output)
{
    if (m_output)
        disconnect(m_output, nullptr, this, nullptr);
    m_output = output;
    if (!output)
        return;
    connect(output, &MpvAudioOutput::volumeChanged, this, &VolumeSlider::outputVolumeChanged);
    outputVolumeChanged(output->volume());
}

void VolumeSlider::outputVolumeChanged(float volume)
{
    const QSignalBlocker blocker(this);
    setValue(int(std::lround(volume * 100.0f)));
}
