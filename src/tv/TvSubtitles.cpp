#include "tv/TvSubtitles.h"

#include "core/Logging.h"
#include "media/SubtitleParser.h"
#include "media/SubtitleWriter.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryFile>

#include <algorithm>

QString TvSubtitles::userLanguage()
{
    return QLocale().name().left(2);
}

bool TvSubtitles::isServable(const SubtitleFile &file)
{
    const QFileInfo info(file.path);
    return info.isFile() && info.size() <= kMaxFileBytes;
}

QList<SubtitleFile> TvSubtitles::servable(const QList<SubtitleFile> &files)
{
    QList<SubtitleFile> kept;
    for (const SubtitleFile &file : files) {
        if (isServable(file))
            kept.append(file);
        else
            qCWarning(lcTv).noquote()
                << "TvSubtitles: not offered (over" << kMaxFileBytes / (1024 * 1024)
                << "MiB or not a file):" << QFileInfo(file.path).fileName();
    }
    return kept;
}

QList<int> TvSubtitles::offerOrder(const QList<SubtitleFile> &files, const QString &language)
{
    QList<int> order;
    for (int i = 0; i < files.size(); ++i)
        order.append(i);
    auto rank = [&](int i) {
        const SubtitleFile &file = files.at(i);
        const bool subRip = file.mimeType() == QLatin1String("text/srt");
        const bool own = !language.isEmpty() && file.twoLetterLanguage() == language;
        return (subRip ? 0 : 2) + (own ? 0 : 1);
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rank(a) < rank(b); });
    return order;
}

SubtitleCues TvSubtitles::drawableCues(SubtitleCues cues, qint64 lengthMs)
{
    std::stable_sort(cues.begin(), cues.end(),
                     [](const SubtitleCue &a, const SubtitleCue &b) { return a.start < b.start; });
    SubtitleCues kept;
    // The ends of the kept cues still on screen at the current start.
    QList<qint64> shownEnds;
    for (SubtitleCue &cue : cues) {
        if (lengthMs >= 0) {
            if (cue.start >= lengthMs)
                break; // sorted: every later cue starts after the end too
            cue.end = qMin(cue.end, lengthMs);
        }
        if (cue.end <= cue.start)
            continue;
        shownEnds.removeIf([&cue](qint64 end) { return end <= cue.start; });
        if (shownEnds.size() >= kMaxShownCues)
            continue;
        shownEnds.append(cue.end);
        kept.append(std::move(cue));
    }
    return kept;
}

std::unique_ptr<QTemporaryFile> TvSubtitles::burnInCopy(const SubtitleFile &file, qint64 lengthMs)
{
    if (!isServable(file)) {
        qCWarning(lcTv).noquote() << "TvSubtitles: not drawn (over" << kMaxFileBytes / (1024 * 1024)
                                  << "MiB or not a file):" << QFileInfo(file.path).fileName();
        return nullptr;
    }
    SubtitleCues cues;
    QString error;
    if (!SubtitleParser::readFile(file.path, &cues, &error)) {
        qCWarning(lcTv).noquote() << "TvSubtitles: not drawn:" << error;
        return nullptr;
    }
    cues = drawableCues(std::move(cues), lengthMs);
    if (cues.isEmpty())
        return nullptr;
    auto copy =
        std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/zelta-tv-XXXXXX.srt"));
    const QByteArray bytes = SubtitleWriter::toSubRip(cues);
    if (!copy->open() || copy->write(bytes) != bytes.size() || !copy->flush()) {
        qCWarning(lcTv).noquote() << "TvSubtitles: can't write the drawn copy:"
                                  << copy->errorString();
        return nullptr;
    }
    copy->close();
    return copy;
}
