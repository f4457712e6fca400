// The encoder's text output (stream information and progress lines), which
// repeats a file's own metadata: lengths, rates and frame sizes are never
// negative, and a progress time read is a real number.
#include "FuzzSupport.h"
#include "media/EncoderOutput.h"

#include <cmath>

FUZZ_QUIET_SETUP()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(FuzzSupport::input(data, size));
    const MediaInfo info = EncoderOutput::parse(text);
    FUZZ_CHECK(std::isfinite(info.duration) && (info.duration >= 0.0 || info.duration == -1.0));
    // The whole seconds shown never exceed the probe's own total.
    FUZZ_CHECK(info.duration < 0 ? info.durationSeconds() == -1
                                 : info.durationSeconds() == int(std::floor(info.duration)));
    FUZZ_CHECK(info.bitrate >= 0 && info.videoBitrate >= 0 && info.audioBitrate >= 0);
    FUZZ_CHECK(info.sampleRate >= 0 && info.channels >= 0 && info.channels <= 64);
    FUZZ_CHECK(std::isfinite(info.frameRate) && info.frameRate >= 0.0);
    const QSize frame = info.frameSize;
    FUZZ_CHECK((frame.width() > 0 && frame.height() > 0) || frame == QSize());
    const double time = EncoderOutput::lastTime(text);
    FUZZ_CHECK(std::isfinite(time) && (time >= 0.0 || time == -1.0));
    return 0;
}
