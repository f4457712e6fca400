#pragma once

#include "media/EncoderRunner.h"
#include "media/MediaInfo.h"

// One JPEG frame of a video as its thumbnail: 10 s in, or the middle of a
// clip that is not longer than that. The encoder's report of the same run
// tells the video's media information.
class Thumbnail
{
public:
    static constexpr double frameSecond = 10.0;

    struct Grab
    {
        EncoderRun first; // the frame at 10 s
        EncoderRun retry; // the middle frame, run only for a short clip without one
        bool retried = false;
        MediaInfo info;  // from the first run's report
        QByteArray jpeg; // the picture (also written to `destination` when given)
        bool hasPicture() const { return !jpeg.isEmpty(); }
    };

    // Writes the frame to `destination`, or only returns it when that is
    // empty. A failed first run (`first.succeeded()` false) is not retried.
    // A length known beforehand (`knownSeconds`, e.g. from the file's
    // header) takes a short clip's middle frame in the first run.
    static Grab grab(const QString &encoder, const QString &video, const QString &destination,
                     int timeoutMs = EncoderRunner::defaultTimeoutMs,
                     const std::atomic<bool> *cancel = nullptr, double knownSeconds = -1,
                     EncoderRunner::Priority priority = EncoderRunner::Priority::Normal);

    // One frame at `second` to `destination` ("-" for standard output).
    static EncoderRun grabFrame(const QString &encoder, const QString &video,
                                const QString &destination, double second,
                                int timeoutMs = EncoderRunner::defaultTimeoutMs,
                                const std::atomic<bool> *cancel = nullptr,
                                EncoderRunner::Priority priority = EncoderRunner::Priority::Normal);
};
