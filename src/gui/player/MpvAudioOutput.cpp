#include "gui/player/MpvAudioOutput.h"

#include "gui/player/MpvCore.h"

MpvAudioOutput::MpvAudioOutput(MpvCore *core, QObject *parent) : QObject(parent), m_core(core) {}

void MpvAudioOutput::setVolume(float volume)
{
    volume = qBound(0.0f, volume, 1.0f);
    if (qFuzzyCompare(volume + 1.0f, m_volume + 1.0f))
        return;
    m_volume = volume;
    if (m_core)
        m_core->setProperty("volume", double(volume) * 100.0);
    Q_EMIT volumeChanged(volume);
}

void MpvAudioOutput::setMuted(bool muted)
{
    if (muted == m_muted)
        return;
    m_muted = muted;
    if (m_core)
        m_core->setProperty("mute", muted);
    Q_EMIT mutedChanged(muted);
}
