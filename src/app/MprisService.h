#pragma once

#include <QObject>
#include <QPointer>
#include <QVariantMap>

class Library;
class PlayerTransport;
class TvMode;
class QDBusObjectPath;

// Publishes the player on the session bus as an MPRIS 2 media player
// ("org.mpris.MediaPlayer2.corvanazelta"), so media keys, the desktop's
// media panel and playerctl control it. Without a session bus it stays
// silent and the player works as before.
class MprisService : public QObject
{
    Q_OBJECT

public:
    static const char ServiceName[];
    static const char ObjectPath[];

    explicit MprisService(PlayerTransport *transport, QObject *parent = nullptr);
    ~MprisService() override;

    // Titles, lengths and pictures of library videos come from here.
    void setLibrary(Library *library);
    // While a TV plays the video, the controls and what is told are the TV's.
    void setTvMode(TvMode *mode);
    // Registers the service and the object. False without a session bus
    // or when the name is taken.
    bool registerOnSessionBus();

    QString playbackStatus() const;
    QVariantMap metadata() const;
    qlonglong positionUs() const;
    double volume() const;
    void setVolume(double volume);
    bool canPlay() const;
    bool canSeek() const;

    void play();
    void pause();
    void playPause();
    void stop();
    void seek(qlonglong offsetUs);
    void setPosition(const QDBusObjectPath &trackId, qlonglong positionUs);
    // Plays a local file that holds audio or video (told by its content).
    void openUri(const QString &uri);
    static bool isMediaFile(const QString &path);

Q_SIGNALS:
    // The desktop asks to show the window, or to play a local file.
    void raiseRequested();
    void openRequested(const QString &path);
    void seeked(qlonglong positionUs);

private:
    QString trackPath() const;
    void propertiesChanged(const QStringList &names);
    void sourceChanged();

    QPointer<PlayerTransport> m_transport;
    QPointer<Library> m_library;
    QPointer<TvMode> m_tv;
    bool onTv() const;
    int m_track = 0;
    bool m_registered = false;
};
