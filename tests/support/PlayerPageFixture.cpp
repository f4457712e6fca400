#include "PlayerPageFixture.h"

#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/Toolbar.h"

#include <QTest>
#include <QVBoxLayout>

PlayerPageFixture::PlayerPageFixture(Library *library)
{
    window.resize(800, 500);
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    player = new CorvPlayerWidget(&window);
    layout->addWidget(player);
    player->toolbar()->setFixedHeight(50); // slid in by the main window
    player->toolbar()->show();
    transport = std::make_unique<PlayerTransport>(player, &prompt);
    transport->setLibrary(library);
    window.show();
}

// The transport saves the place as it goes, before the page it plays on.
PlayerPageFixture::~PlayerPageFixture() = default;

MpvPlayer *PlayerPageFixture::mediaPlayer() const
{
    return transport->mediaPlayer();
}

bool PlayerPageFixture::waitState(QMediaPlayer::PlaybackState state, int timeoutMs) const
{
    MpvPlayer *media = mediaPlayer();
    return QTest::qWaitFor([&] { return media->playbackState() == state; }, timeoutMs);
}

bool PlayerPageFixture::openPlaying(const QString &path, int timeoutMs)
{
    MpvPlayer *media = mediaPlayer();
    transport->openFile(path);
    return QTest::qWaitFor(
        [&] {
            return media->playbackState() == QMediaPlayer::PlayingState && media->isSeekable() &&
                   media->duration() > 0;
        },
        timeoutMs);
}

bool PlayerPageFixture::openPausedAt(const QString &path, qint64 ms, qint64 tolerance)
{
    if (!openPlaying(path))
        return false;
    transport->pause();
    return seek(ms, tolerance);
}

bool PlayerPageFixture::seek(qint64 ms, qint64 tolerance)
{
    MpvPlayer *media = mediaPlayer();
    transport->seekTo(ms);
    return QTest::qWaitFor([&] { return qAbs(media->position() - ms) < tolerance; }, 10000);
}
