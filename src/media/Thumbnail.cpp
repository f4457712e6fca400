#include "media/Thumbnail.h"

#include "media/EncoderOutput.h"

#include <QFile>

namespace {

QByteArray pictureOf(const EncoderRun &run, const QString &destination)
{
    if (destination.isEmpty())
        return run.output;
    QFile file(destination);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

EncoderRun Thumbnail::grabFrame(const QString &encoder, const QString &video,
                                const QString &destination, double second, int timeoutMs,
                                const std::atomic<bool> *cancel, EncoderRunner::Priority priority)
{
    return EncoderRunner::run(encoder,
                              {QStringLiteral("-y"), QStringLiteral("-i"), video,
                               QStringLiteral("-f"), QStringLiteral("mjpeg"), QStringLiteral("-ss"),
                               QString::number(second, 'f', 2), QStringLiteral("-vframes"),
                               QStringLiteral("1"), destination},
                              timeoutMs, cancel, priority);
}

Thumbnail::Grab Thumbnail::grab(const QString &encoder, const QString &video,
                                const QString &destination, int timeoutMs,
                                const std::atomic<bool> *cancel, double knownSeconds,
                                EncoderRunner::Priority priority)
{
    const QString target = destination.isEmpty() ? QStringLiteral("-") : destination;
    const bool shortClip = knownSeconds > 0 && knownSeconds <= frameSecond;
    Grab result;
    result.first = grabFrame(encoder, video, target, shortClip ? knownSeconds / 2 : frameSecond,
                             timeoutMs, cancel, priority);
    result.info = EncoderOutput::parse(QString::fromLocal8Bit(result.first.report));
    if (!result.first.succeeded())
        return result;
    result.jpeg = pictureOf(result.first, destination);
    // A clip shorter than the usual frame time yields no frame: take its middle.
    if (result.jpeg.isEmpty() && !shortClip && result.info.duration > 0 &&
        result.info.duration <= frameSecond) {
        result.retried = true;
        result.retry = grabFrame(encoder, video, target, result.info.duration / 2, timeoutMs,
                                 cancel, priority);
        if (result.retry.succeeded())
            result.jpeg = pictureOf(result.retry, destination);
    }
    return result;
}
