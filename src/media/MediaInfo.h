#pragma once

#include <QSize>
#include <QString>

// What the encoder reports about one input: play length, container and the
// first video and audio streams.
struct MediaInfo
{
    double duration = -1;     // seconds; -1 when not reported
    int bitrate = 0;          // overall kb/s; 0 when not reported
    QString container;        // as reported, e.g. "mov,mp4,m4a,3gp,3g2,mj2" or "flv"
    QString videoCodec;       // e.g. "h264"; empty without a video stream
    QString videoProfile;     // e.g. "High", "Simple Profile"
    QString videoDescription; // the video stream line after "Video: "
    QSize frameSize;          // 0x0 when unknown
    double frameRate = 0;     // frames per second (the "tbr" of older reports)
    int videoBitrate = 0;     // kb/s
    QString audioCodec;       // e.g. "aac"; empty without an audio stream
    QString audioProfile;     // e.g. "LC"
    int sampleRate = 0;       // Hz
    int channels = 0;
    int audioBitrate = 0; // kb/s

    bool hasVideo() const { return !videoCodec.isEmpty(); }
    bool hasAudio() const { return !audioCodec.isEmpty(); }
    // The encoder recognised the input at all.
    bool isValid() const { return !container.isEmpty() || duration >= 0; }
    // The first name of the container list ("mov" for "mov,mp4,...").
    QString containerName() const;
    // Whole seconds, rounded down; -1 when not reported.
    int durationSeconds() const;
    // "mm:ss", or "hh:mm:ss" from one hour on; empty when not reported.
    QString durationText() const;
};
