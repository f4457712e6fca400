#pragma once

#include "media/MediaInfo.h"
#include "tv/upnp/RingBufferStream.h"

#include <QMutex>
#include <QObject>
#include <QProcess>
#include <QStringList>

// Runs the encoder for one transcoded answer in a worker thread and pours its
// standard output into the ring-buffer stream (blocking while it is full).
class TranscodeHelper : public QObject
{
    Q_OBJECT

public:
    // What the encoder sends for a client: frame size, overall bitrate (kb/s,
    // 0 when it follows the picture), audio rate and channels (0 without
    // audio).
    struct Output
    {
        QSize frameSize;
        int bitrate = 0;
        int sampleRate = 0;
        int channels = 0;
    };

    // The encoder starts `startSeconds` into the file and stops after
    // `lengthSeconds` of it (to the end when negative).
    TranscodeHelper(int mode, const RingBufferStreamReference &stream, double startSeconds = 0,
                    double lengthSeconds = -1, QObject *parent = nullptr);
    ~TranscodeHelper() override;

    qint64 bytesWritten() const;

    // Program (neutral tool name) and arguments for a client signature.
    static QString programFor(int mode);
    // With `subtitlePath`, the encoder draws that subtitle file into the picture.
    static QStringList argumentsFor(int mode, const QString &filePath, double startSeconds = 0,
                                    double lengthSeconds = -1,
                                    const QString &subtitlePath = QString());
    // The Xbox format made by the encoder, for systems without mencoder (and
    // for subtitles drawn into the picture).
    static QStringList asfArgumentsFor(const QString &filePath, double startSeconds = 0,
                                       double lengthSeconds = -1,
                                       const QString &subtitlePath = QString());
    // The encoder's filter that draws the subtitle file into the picture, its
    // path escaped for the filter's option and for the filter graph. Frames
    // whose time stamps start at 0 after a seek to `startSeconds` are set to
    // the file's times while the text is drawn.
    static QString subtitlesFilter(const QString &subtitlePath, double startSeconds = 0,
                                   bool timestampsCopied = false);
    // Draws this subtitle file into the picture; call before transcode().
    void setSubtitlePath(const QString &path) { m_subtitlePath = path; }
    // The stream made from `source` (as probed; an unprobed source is taken
    // to have sound) for a client signature.
    static Output outputFor(int mode, const MediaInfo &source);

public Q_SLOTS:
    void transcode(const QString &file_path);
    // Ends the encoder; runs in the worker thread.
    void stop();

private Q_SLOTS:
    void readData();
    void finished();

private:
    mutable QMutex m_lock;
    RingBufferStreamReference m_stream;
    QProcess *m_process = nullptr;
    int m_mode;
    double m_startSeconds;
    double m_lengthSeconds;
    QString m_subtitlePath;
    qint64 m_bytesWritten = 0;
    bool m_ended = false;
};
