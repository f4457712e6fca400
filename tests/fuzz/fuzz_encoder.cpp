// The encoder's text output (stream information and progress lines), which
// repeats a file's own metadata: lengths, rates and frame sizes are never
// negative, and a progress time read is a real number.
#include "FuzzSupport.h"
#include "burner/EncoderOutput.h"

#include <cmath>

FUZZ_QUIET_SETUP()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(FuzzSupport::input(data, size));
    FUZZ_CHECK(EncoderOutput::durationSeconds(text) >= -1);
    FUZZ_CHECK(EncoderOutput::bitrate(text) >= 0);
    const QSize frame = EncoderOutput::frameSize(text);
    FUZZ_CHECK((frame.width() > 0 && frame.height() > 0) || frame == QSize(0, 0));
    const double time = EncoderOutput::lastTime(text);
    FUZZ_CHECK(std::isfinite(time) && (time >= 0.0 || time == -1.0));
    return 0;
}
