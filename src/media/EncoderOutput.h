#pragma once

#include "media/MediaInfo.h"

#include <QString>

// Reading the encoder's diagnostic output: the report printed for an input
// ("Duration:", "Input #0", the stream lines) and the progress lines printed
// while converting. Both the older ("Stream #0.0", "time=12.34") and the
// current ("Stream #0:0[0x1](und)", "time=00:00:12.34") forms are understood.
namespace EncoderOutput {

// The first input's report; streams of outputs ("Output #0") are not read.
MediaInfo parse(const QString &text);
// Seconds of the first "Duration: hh:mm:ss.xx" (-1 when there is none).
double duration(const QString &text);
// The last "time=" value in seconds (-1 when there is none).
double lastTime(const QString &text);

} // namespace EncoderOutput
