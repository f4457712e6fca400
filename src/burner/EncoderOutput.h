#pragma once

#include <QSize>
#include <QString>

// Reading the encoder's diagnostic output: stream information printed for an
// input, and the progress lines printed while converting. Both the older and
// the current output forms are understood.
namespace EncoderOutput {

// Whole seconds of the first "Duration: hh:mm:ss.xx" (-1 when there is none).
int durationSeconds(const QString &text);
// The overall bitrate of "bitrate: N kb/s" (0 when missing or not a number).
int bitrate(const QString &text);
// Frame size of the first video stream line (0x0 when there is none).
QSize frameSize(const QString &text);
// The last "time=" value in seconds, given as seconds or as hh:mm:ss.xx
// (-1 when there is none).
double lastTime(const QString &text);

} // namespace EncoderOutput
