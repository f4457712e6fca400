#pragma once

#include "ScriptedPrompt.h"

#include "gui/player/MpvPlayer.h"
#include <QWidget>

#include <memory>

class CorvPlayerWidget;
class Library;
class PlayerTransport;

// The player page as the main window has it, for the player tests: a window
// standing for the page stack, the player widget with its bar slid in, and
// the transport playing through it (keeping places in `library` if given),
// its messages going to `prompt`.
// The waits return false when the state did not come in time.
class PlayerPageFixture
{
public:
    explicit PlayerPageFixture(Library *library = nullptr);
    ~PlayerPageFixture();

    MpvPlayer *mediaPlayer() const;
    bool waitState(QMediaPlayer::PlaybackState state, int timeoutMs = 10000) const;
    // Opens `path` and waits until it plays and can seek.
    bool openPlaying(const QString &path, int timeoutMs = 15000);
    // Opens `path` and holds it paused at `ms` (within `tolerance`).
    bool openPausedAt(const QString &path, qint64 ms, qint64 tolerance = 500);
    // Goes to `ms` and waits until the player is there (within `tolerance`).
    bool seek(qint64 ms, qint64 tolerance = 500);

    ScriptedPrompt prompt;
    QWidget window;
    CorvPlayerWidget *player = nullptr;
    std::unique_ptr<PlayerTransport> transport;
};
