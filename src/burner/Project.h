#pragma once

#include "burner/DiscType.h"
#include "burner/VideoClip.h"

#include <QDir>
#include <QList>
#include <QObject>
#include <QTime>

// Everything chosen for one burn: the clips in disc order, the disc type and
// standard, the title and the private working folder. The engines own one;
// the clip list's changes are announced so that models over it stay true.
class Project : public QObject
{
    Q_OBJECT

public:
    explicit Project(QObject *parent = nullptr);
    ~Project() override;

    void reset();

    QList<VideoClip> clips() const { return m_clips; }
    void addClip(const VideoClip &clip);
    int removeClip(const VideoClip &clip);
    void removeClipAt(int row);
    void moveClipUp(int row);
    void moveClipDown(int row);
    // Whether the subtitles of the clip at `row` go on the disc.
    void setSubtitlesOn(int row, bool on);
    QTime totalTime() const;
    int totalSeconds() const;

    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    bool isNtsc() const { return m_ntsc; }
    void setNtsc(bool ntsc) { m_ntsc = ntsc; }
    DiscType discType() const { return m_discType; }
    void setDiscType(DiscType type) { m_discType = type; }
    int videoBitrate() const { return m_videoBitrate; }
    void setVideoBitrate(int kbits) { m_videoBitrate = kbits; }
    int audioBitrate() const { return m_audioBitrate; }
    void setAudioBitrate(int kbits) { m_audioBitrate = kbits; }

    QDir tempDirectory() const { return m_tempDirectory; }
    // Leaves the temporary folder on disk when the project goes.
    void keepTempDirectory() { m_ownsTempDirectory = false; }
    // Deletes the temporary folder with everything in it now; false when
    // something in it could not be removed. reset() starts a new one.
    bool removeTempDirectory();
    QString convertedFilePath(const QString &base) const;
    QString encoderArguments(const VideoClip &clip) const;
    QString estimatedSize(int row) const;

    // Limits of each disc type.
    static QString discTypeText(DiscType type);
    static qint64 capacityKb(DiscType type);
    static int longestPlayTime(DiscType type); // seconds
    static qint64 requiredFreeSpace(DiscType type);

    // Free bytes on the drive that holds the temporary folder (0 when unknown).
    qint64 freeSpace() const;
    // True when the clips fit the disc type's play time and the drive has the
    // room the work needs; otherwise `reason` says why.
    bool fits(QString *reason = nullptr) const;

    // A random six-character name part drawn from digits and letters.
    static QString randomString();

Q_SIGNALS:
    // Around every change of the clip list (add, remove, move, reset).
    void clipsAboutToChange();
    void clipsChanged();
    // A clip's settings changed; the list stays as it is.
    void clipChanged(int row);

private:
    template <typename Change> void changeClips(Change change);
    static bool removeFolder(const QString &path);

    QList<VideoClip> m_clips;
    bool m_ntsc = true;
    QString m_title = QStringLiteral("Untitled");
    int m_videoBitrate = 2000;
    int m_audioBitrate = 128;
    DiscType m_discType = DiscType::Dvd;
    QDir m_tempDirectory;
    bool m_ownsTempDirectory = false;
};
