#pragma once

#include "gui/player/MpvPlayer.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class CorvPlayerWidget;
class Library;
class MpvAudioOutput;
class ResumeBar;
class SubtitleChooser;
class UserPrompt;

// Plays one local file at a time on the player page: the media player (and
// its sound), the queue of files to play next, the play/pause, stop and
// seek commands, the time labels and the play button's looks. The main
// window owns it and forwards its transport slots to it.
class PlayerTransport : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 SeekStepMs = 10000;
    // While playing, where playback is remembered this often.
    static constexpr int SaveIntervalMs = 10000;

    // Plays through `player` when given (its owner keeps it), else through a
    // media player of its own. Playback errors are shown through `prompt`
    // (not owned; it must outlive the transport).
    PlayerTransport(CorvPlayerWidget *page, UserPrompt *prompt, MpvPlayer *player = nullptr,
                    QObject *parent = nullptr);
    ~PlayerTransport() override;

    MpvPlayer *mediaPlayer() const { return m_player; }
    MpvAudioOutput *audioOutput() const { return m_player->audioOutput(); }
    SubtitleChooser *subtitles() const { return m_subtitles; }
    QString currentFile() const { return m_currentFile; }
    QStringList queue() const { return m_queue; }
    bool hasValidSource() const;
    // What is shown as the video's title: its own title tag, else the file's
    // name without extension; and its channel (publisher tag), if known.
    QString currentTitle() const;
    QString currentChannel() const;
    static constexpr int VolumeStepPercent = 5;

    // Library videos go on where they stopped, and their place is kept there.
    void setLibrary(Library *library);
    ResumeBar *resumeBar() const { return m_resumeBar; }
    // The library row of the video playing (-1 for a file outside the library).
    qlonglong currentVideoId() const { return m_videoId; }
    // Remembers where the current video is now (the window closes, the
    // program quits).
    void savePosition();
    // How often the place is remembered while playing (SaveIntervalMs unless
    // changed; a short run of the benchmark saves more often).
    // While the video plays on a TV, the page's volume and mute keys are the TV's.
    void setHandedOver(bool handedOver) { m_handedOver = handedOver; }
    bool isHandedOver() const { return m_handedOver; }
    int saveInterval() const { return m_saveTimer.interval(); }
    void setSaveInterval(int ms) { m_saveTimer.setInterval(ms); }

Q_SIGNALS:
    // Playback of a newly opened file started.
    void nowPlaying(const QString &title);
    // The last file ended with nothing queued after it.
    void ended();
    // The position jumped (a resume or a start over), in ms.
    void seeked(qint64 positionMs);
    // The file could not be played because it is not there (moved or
    // deleted); with a receiver, the receiver tells the user.
    void fileMissing(const QString &path);

public Q_SLOTS:
    // Plays `path` now, dropping the queue.
    void openFile(const QString &path);
    // Plays `path` now from `startMs` (the place another player reached);
    // below 0, from its stored place as openFile() does.
    void openFileAt(const QString &path, qint64 startMs);
    void addFile(const QString &path);
    void clearFiles();
    // Pauses, or plays (from the start when the end was reached).
    void playPause();
    void play();
    void pause();
    void stop();
    void rewind();
    void ffw();
    void seekTo(qint64 ms);
    void setVolume(int volume);
    // The volume by `percent` points (unmuting).
    void stepVolume(int percent);
    void toggleMute();
    // 0 play/pause, 1 stop, 2 back 10 s, 3 forward 10 s; others do nothing.
    void playCommand(int command);
    void updateTime();
    // From the beginning (the resume bar's button).
    void startOver();

private:
    // Goes to the stored place once the opened file can seek.
    void resumeIfPending();
    void stateChanged(QMediaPlayer::PlaybackState state);
    void announceIfDue();
    void mediaStatusChanged(QMediaPlayer::MediaStatus status);
    void errorOccurred(QMediaPlayer::Error error, const QString &text);
    void positionChanged(qint64 position);
    bool atEnd() const;

    QPointer<CorvPlayerWidget> m_page;
    UserPrompt *m_prompt;
    // The main window may own it and delete it before us.
    QPointer<MpvPlayer> m_player;
    SubtitleChooser *m_subtitles = nullptr;
    bool m_handedOver = false;
    QStringList m_queue;
    QString m_currentFile;
    qint64 m_shownSecond = -1;
    bool m_failed = false;
    QPointer<Library> m_library;
    ResumeBar *m_resumeBar = nullptr;
    QTimer m_saveTimer;
    qlonglong m_videoId = -1;
    // Where the opened video is to go on (ms), until it has.
    qint64 m_resumeAt = 0;
    // The current video was counted as watched (until played outside its end).
    bool m_countedWatched = false;
    // The title is announced once playback of a new file has begun.
    bool m_titlePending = false;
};
