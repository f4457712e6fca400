#pragma once

#include "media/SubtitleCue.h"
#include "media/SubtitleFile.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class QActionGroup;
class MpvPlayer;
class QMenu;
class QToolButton;
class SubtitleOverlay;

// The subtitles of the video playing: the files beside it and the tracks it
// carries, a button with a menu to pick one or "Off", the choice remembered
// per video, and the text of a file's cues kept in step with the position.
// Tracks carried by the video are drawn into the picture by the player.
class SubtitleChooser : public QObject
{
    Q_OBJECT

public:
    // One entry of the menu.
    struct Track
    {
        QString key;   // "file:NAME" or "stream:N"; the remembered choice
        QString label; // the language's name, or what else tells it apart
        SubtitleFile file;
        int stream = -1; // index among the player's subtitle tracks
    };

    SubtitleChooser(MpvPlayer *player, QWidget *video, QObject *parent = nullptr);
    ~SubtitleChooser() override;

    // The toolbar button (its owner places it).
    QToolButton *button() const { return m_button; }
    SubtitleOverlay *overlay() const { return m_overlay; }
    QList<Track> tracks() const { return m_tracks; }
    // The chosen track's key; empty for "Off".
    QString currentKey() const { return m_current; }
    // Picks a track by key ("" for Off) and remembers it for the video.
    void choose(const QString &key);

Q_SIGNALS:
    // The list of tracks of the current video is known (files read).
    void tracksChanged();

private:
    struct Loaded
    {
        QList<SubtitleFile> files;
        QList<SubtitleCues> cues;
    };

    void sourceChanged();
    void filesLoaded(int generation, const Loaded &loaded);
    void rebuildTracks();
    void rebuildMenu();
    void apply();
    void showPosition(qint64 position);
    QString rememberedKey() const;
    QString settingsKey() const;

    QPointer<MpvPlayer> m_player;
    SubtitleOverlay *m_overlay = nullptr;
    QToolButton *m_button = nullptr;
    QMenu *m_menu = nullptr;
    QActionGroup *m_group = nullptr;
    QTimer m_tick;
    QString m_video;
    Loaded m_loaded;
    QList<Track> m_tracks;
    QString m_current;
    SubtitleCues m_cues;
    int m_generation = 0;
    bool m_filesKnown = false;
};
