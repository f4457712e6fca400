#include "tv/TranscodeAnswer.h"

#include "core/Logging.h"
#include "tv/MediaFormats.h"
#include "tv/SharedFolder.h"
#include "tv/TimeSeekRange.h"
#include "tv/TranscodeHelper.h"
#include "tv/TranscodeStream.h"
#include "tv/TvSubtitles.h"
#include "tv/upnp/UpnpClientSignature.h"

#include <QTemporaryFile>

void TranscodeAnswer::fill(const UpnpHttpRequest &request, const MediaNodeInfo &node,
                           const QString &sharedRoot, int subtitleChoice,
                           UpnpHttpResponse &response)
{
    double start = 0;
    double length = -1;
    const QByteArray seek = request.header("TimeSeekRange.dlna.org");
    if (!seek.isEmpty()) {
        double end = -1;
        const double duration = node.media.duration;
        if (!TimeSeekRange::parse(seek, &start, &end) || (duration >= 0 && start >= duration) ||
            (end >= 0 && end <= start)) {
            response = UpnpHttpResponse::text(416, "text/plain", "Requested Range Not Satisfiable");
            return;
        }
        // An end past the file's is the file's; the encoder stops at the end.
        if (end >= 0 && duration >= 0)
            end = qMin(end, duration);
        if (end >= 0)
            length = end - start;
        response.setHeader("TimeSeekRange.dlna.org",
                           TimeSeekRange::answer(start, end >= 0 ? end : duration, duration));
    }
    response.status = 200;
    response.setHeader("transferMode.dlna.org", "Streaming");
    response.setHeader("Connection", "keep-alive");
    response.setHeader("contentFeatures.dlna.org",
                       MediaFormats::transcodedContentFeatures(request.clientSignature));
    response.setHeader("Content-Type",
                       MediaFormats::transcodedContentType(request.clientSignature));
    response.unknownLength = true;
    if (request.isHead()) {
        // Headers only: no encoder for it. The stream's length is not known
        // before it is made; the HEAD tells what its bit rate and play length
        // come to, so that the connection can carry the client's next request.
        const double seconds = length >= 0                   ? length
                               : node.media.duration > start ? node.media.duration - start
                                                             : -1;
        const int kbits = TranscodeHelper::outputFor(request.clientSignature, node.media).bitrate;
        if (seconds > 0 && kbits > 0)
            response.headLength = qint64(seconds * kbits * 1000 / 8);
        return;
    }
    // Consoles show no subtitle file beside the stream: the text goes into the picture.
    // Never the user's file itself: our own copy of its cues, bounded.
    std::unique_ptr<QTemporaryFile> subtitle;
    if (UpnpClientSignature::burnsSubtitles(UpnpClientSignature::Value(request.clientSignature))) {
        const qsizetype chosen =
            subtitleChoice == PreferredSubtitle
                ? SubtitleFile::preferred(node.subtitles, TvSubtitles::userLanguage())
                : subtitleChoice;
        if (chosen >= 0 && chosen < node.subtitles.size() &&
            SharedFolder::contains(sharedRoot, node.subtitles.at(chosen).path))
            subtitle = TvSubtitles::burnInCopy(node.subtitles.at(chosen), node.durationMs);
    }
    auto stream = TranscodeStream::createLimited(request.clientSignature, node.path, start, length,
                                                 subtitle ? subtitle->fileName() : QString());
    if (stream)
        stream->keepFile(std::move(subtitle));
    response.stream = std::move(stream);
    if (!response.stream) {
        qCWarning(lcTv).noquote() << "TranscodeAnswer: all encoders busy, transcode refused";
        response = UpnpHttpResponse::text(503, "text/plain", "Service Unavailable");
        response.setHeader("Retry-After", "10");
    }
}
