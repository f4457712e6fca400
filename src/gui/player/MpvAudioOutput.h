#pragma once

#include <QObject>
#include <QPointer>

class MpvCore;

// The player's sound: volume (0 to 1) and mute, told to libmpv as they
// change and known here at once.
class MpvAudioOutput : public QObject
{
    Q_OBJECT

public:
    explicit MpvAudioOutput(MpvCore *core, QObject *parent = nullptr);

    float volume() const { return m_volume; }
    bool isMuted() const { return m_muted; }

public Q_SLOTS:
    void setVolume(float volume);
    void setMuted(bool muted);

Q_SIGNALS:
    void volumeChanged(float volume);
    void mutedChanged(bool muted);

private:
    QPointer<MpvCore> m_core;
    float m_volume = 1.0f;
    bool m_muted = false;
};
