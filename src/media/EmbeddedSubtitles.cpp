#include "media/EmbeddedSubtitles.h"

#include "core/Logging.h"
#include "core/Platform.h"
#include "media/SubtitleFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// A partial output, renamed once the encoder has written all of them.
const QString kPartial = QStringLiteral(".part");

} // namespace

bool EmbeddedSubtitles::isTextCodec(const QString &codec)
{
    static const QStringList text = {
        QStringLiteral("subrip"),     QStringLiteral("srt"),      QStringLiteral("ass"),
        QStringLiteral("ssa"),        QStringLiteral("mov_text"), QStringLiteral("webvtt"),
        QStringLiteral("text"),       QStringLiteral("microdvd"), QStringLiteral("subviewer"),
        QStringLiteral("subviewer1"), QStringLiteral("sami"),     QStringLiteral("realtext"),
        QStringLiteral("jacosub"),    QStringLiteral("mpl2"),     QStringLiteral("pjs"),
        QStringLiteral("vplayer"),    QStringLiteral("stl"),      QStringLiteral("ttml")};
    return text.contains(codec.toLower());
}

QList<EmbeddedSubtitles::Track> EmbeddedSubtitles::parseProbe(const QByteArray &json)
{
    QList<Track> tracks;
    const QJsonArray streams = QJsonDocument::fromJson(json).object().value(u"streams").toArray();
    for (const QJsonValue &value : streams) {
        const QJsonObject stream = value.toObject();
        if (stream.value(u"codec_type").toString() != QLatin1String("subtitle"))
            continue;
        const int index = stream.value(u"index").toInt(-1);
        if (index < 0)
            continue;
        tracks.append({index, stream.value(u"codec_name").toString(),
                       stream.value(u"tags").toObject().value(u"language").toString()});
    }
    return tracks;
}

QString EmbeddedSubtitles::fileLanguage(const QString &tag)
{
    const QString code = tag.trimmed().toLower();
    // Undetermined, several, none: no language of its own.
    if (code.isEmpty() || code == QLatin1String("und") || code == QLatin1String("mul") ||
        code == QLatin1String("zxx") || code == QLatin1String("mis"))
        return {};
    const SubtitleFile file{QString(), code};
    const QString twoLetters = file.twoLetterLanguage();
    if (!twoLetters.isEmpty())
        return twoLetters;
    // A language without a two-letter code keeps the three the file names use.
    QString language;
    return SubtitleFile::matchLanguage(QStringLiteral("v"), QStringLiteral("v.%1.srt").arg(code),
                                       &language)
               ? language
               : QString();
}

QList<EmbeddedSubtitles::Track> EmbeddedSubtitles::probe(const QString &video, int timeoutMs,
                                                         const std::atomic<bool> *cancel,
                                                         EncoderRunner::Priority priority)
{
    const QString prober = Platform::binaryPath(QStringLiteral("ffprobe"));
    if (prober.isEmpty())
        return {};
    const EncoderRun run = EncoderRunner::run(
        prober,
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
         QStringLiteral("s"), QStringLiteral("-show_entries"),
         QStringLiteral("stream=index,codec_name,codec_type:stream_tags=language"),
         QStringLiteral("-of"), QStringLiteral("json"), video},
        timeoutMs, cancel, priority);
    if (!run.succeeded())
        return {};
    return parseProbe(run.output);
}

QStringList EmbeddedSubtitles::extractBeside(const QString &video, int timeoutMs,
                                             const std::atomic<bool> *cancel,
                                             EncoderRunner::Priority priority)
{
    const QList<Track> tracks = probe(video, timeoutMs, cancel, priority);
    if (tracks.isEmpty())
        return {};
    const QFileInfo info(video);
    const QDir folder = info.dir();
    const QString base = info.completeBaseName();
    QStringList outputs;
    QStringList args = {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                        QStringLiteral("-y"),       QStringLiteral("-i"), video};
    for (const Track &track : tracks) {
        if (!isTextCodec(track.codec)) {
            qCDebug(lcMedia).noquote() << "EmbeddedSubtitles skips the picture track" << track.index
                                       << track.codec << "of" << video;
            continue;
        }
        const QString language = fileLanguage(track.language);
        const QString name = language.isEmpty() ? QStringLiteral("%1.srt").arg(base)
                                                : QStringLiteral("%1.%2.srt").arg(base, language);
        const QString path = folder.absoluteFilePath(name);
        // A file beside the video (the user's own) or an earlier track of the language wins.
        if (outputs.contains(path) || QFileInfo::exists(path))
            continue;
        outputs << path;
        args << QStringLiteral("-map") << QStringLiteral("0:%1").arg(track.index)
             << QStringLiteral("-c:s") << QStringLiteral("srt") << QStringLiteral("-f")
             << QStringLiteral("srt") << path + kPartial;
    }
    if (outputs.isEmpty())
        return {};
    const QString encoder = EncoderRunner::encoder();
    const EncoderRun run = encoder.isEmpty()
                               ? EncoderRun()
                               : EncoderRunner::run(encoder, args, timeoutMs, cancel, priority);
    QStringList written;
    for (const QString &path : std::as_const(outputs)) {
        const QString partial = path + kPartial;
        // An empty track gives an empty file; a file that came meanwhile is kept.
        if (run.succeeded() && QFileInfo(partial).size() > 0 && QFile::rename(partial, path))
            written << path;
        else
            QFile::remove(partial);
    }
    if (!run.succeeded())
        qCWarning(lcMedia).noquote() << "EmbeddedSubtitles could not write the subtitles of"
                                     << video << QString::fromLocal8Bit(run.report).trimmed();
    return written;
}
