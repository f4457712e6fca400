#include "burner/DvdSubtitles.h"

#include "core/Logging.h"
#include "media/SubtitleBounds.h"
#include "media/SubtitleParser.h"
#include "media/SubtitleWriter.h"

#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

} // namespace

DvdSubtitles::DvdSubtitles(const QList<VideoClip> &clips, const QStringList &convertedFiles,
                           const QDir &temp, bool ntsc)
    : m_converted(convertedFiles), m_temp(temp), m_ntsc(ntsc)
{
    for (int i = 0; i < clips.size() && i < convertedFiles.size(); ++i) {
        const VideoClip &clip = clips.at(i);
        if (!clip.carriesSubtitles())
            continue;
        QStringList taken;
        for (const SubtitleFile &file : clip.subtitles) {
            // "Clip.en.srt" and "Clip.en.vtt" are one language: the first is used.
            const QString language = file.twoLetterLanguage();
            if (taken.contains(language))
                continue;
            if (!m_languages.contains(language)) {
                if (m_languages.size() == kMaxStreams) {
                    qCWarning(lcBurner).noquote()
                        << "DvdSubtitles no subpicture stream left for" << file.path;
                    continue;
                }
                m_languages << language;
            }
            taken << language;
            const QString base = QStringLiteral("file_%1-subtitle%2").arg(i).arg(taken.size());
            m_entries.append({i, language, file.path, base, qint64(clip.seconds * 1000.0), 0});
        }
    }
    chain();
}

void DvdSubtitles::chain()
{
    // Streams are numbered by the languages still in use, in their first order.
    QStringList used;
    for (const QString &language : std::as_const(m_languages)) {
        const bool inUse = std::any_of(m_entries.cbegin(), m_entries.cend(),
                                       [&](const Entry &e) { return e.language == language; });
        if (inUse)
            used << language;
    }
    m_languages = used;

    m_tracks.clear();
    for (const Entry &entry : std::as_const(m_entries)) {
        Track track;
        track.clip = entry.clip;
        track.stream = static_cast<int>(m_languages.indexOf(entry.language));
        track.source = entry.source;
        track.subRip = m_temp.absoluteFilePath(entry.base + QStringLiteral(".srt"));
        track.description = m_temp.absoluteFilePath(entry.base + QStringLiteral(".xml"));
        track.input = vobFile(entry.clip);
        track.output = m_temp.absoluteFilePath(entry.base + QStringLiteral(".mpg"));
        track.cues = entry.cues;
        m_tracks.append(track);
    }
}

QString DvdSubtitles::vobFile(int clip) const
{
    for (auto it = m_tracks.crbegin(); it != m_tracks.crend(); ++it) {
        if (it->clip == clip)
            return it->output;
    }
    return clip >= 0 && clip < m_converted.size() ? m_converted.at(clip) : QString();
}

DvdSubtitles DvdSubtitles::prepared() const
{
    DvdSubtitles result = *this;
    result.m_entries.clear();
    for (qsizetype i = 0; i < m_tracks.size(); ++i) {
        const Track &track = m_tracks.at(i);
        SubtitleCues cues;
        QString error;
        if (SubtitleParser::readFile(track.source, &cues, &error))
            cues = shaped(cues, m_entries.at(i).lengthMs);
        if (cues.isEmpty()) {
            qCWarning(lcBurner).noquote()
                << "DvdSubtitles::prepared left out" << track.source
                << (error.isEmpty() ? QStringLiteral("(no cues)") : error);
            continue;
        }
        if (!writeFile(track.subRip, SubtitleWriter::toSubRip(cues, SubtitleWriter::Text::Plain)) ||
            !writeFile(track.description, description(track).toByteArray(4))) {
            qCWarning(lcBurner).noquote()
                << "DvdSubtitles::prepared could not write" << track.subRip;
            continue;
        }
        result.m_entries.append(m_entries.at(i));
        result.m_entries.last().cues = int(cues.size());
    }
    result.chain();
    return result;
}

SubtitleCues DvdSubtitles::shaped(const SubtitleCues &cues, qint64 lengthMs)
{
    SubtitleCues kept = SubtitleBounds::forVideo(cues, lengthMs, kMaxShown);
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < kept.size(); ++i) {
        bytes += 40; // counter and timing line
        for (const SubtitleLine &line : std::as_const(kept.at(i).lines)) {
            for (const SubtitleRun &run : line)
                bytes += run.text.size() * 3;
        }
        if (bytes > kMaxSubRipBytes) {
            kept.resize(i);
            break;
        }
    }
    return kept;
}

int DvdSubtitles::timeoutMs(const Track &track)
{
    const qint64 streamBytes = QFileInfo(track.input).size();
    const qint64 ms = 120000 + streamBytes / 2000 + qint64(track.cues) * 20;
    return int(qMin<qint64>(ms, 4 * 3600 * 1000));
}

void DvdSubtitles::limitRun(QProcess *process, int ms)
{
    auto *timer = new QTimer(process);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, process, [process, ms] {
        if (process->state() == QProcess::NotRunning)
            return;
        qCWarning(lcBurner).noquote()
            << QStringLiteral("DvdSubtitles: %1 ran longer than %2 s, ended")
                   .arg(process->program())
                   .arg(ms / 1000);
        process->kill();
    });
    QObject::connect(process, &QProcess::started, timer, [timer, ms] { timer->start(ms); });
    QObject::connect(process, &QProcess::finished, timer, &QTimer::stop);
}

QDomDocument DvdSubtitles::description(const Track &track) const
{
    const int height = m_ntsc ? 480 : 576;
    const QString fps = m_ntsc ? QStringLiteral("29.97") : QStringLiteral("25");
    QDomDocument doc;
    QDomElement root = doc.createElement(QStringLiteral("subpictures"));
    root.setAttribute(QStringLiteral("format"),
                      m_ntsc ? QStringLiteral("NTSC") : QStringLiteral("PAL"));
    doc.appendChild(root);
    QDomElement stream = doc.createElement(QStringLiteral("stream"));
    root.appendChild(stream);
    QDomElement text = doc.createElement(QStringLiteral("textsub"));
    const QList<std::pair<const char *, QString>> attributes = {
        {"filename", track.subRip},
        {"characterset", QStringLiteral("UTF-8")},
        {"font", font()},
        {"fontsize", QString::number(height / 17)},
        {"outline-thickness", QStringLiteral("2.5")},
        {"horizontal-alignment", QStringLiteral("center")},
        {"vertical-alignment", QStringLiteral("bottom")},
        {"left-margin", QStringLiteral("60")},
        {"right-margin", QStringLiteral("60")},
        {"bottom-margin", QString::number(height / 12)},
        {"subtitle-fps", fps},
        {"movie-fps", fps},
        {"movie-width", QStringLiteral("720")},
        {"movie-height", QString::number(height)},
    };
    for (const auto &[name, value] : attributes)
        text.setAttribute(QLatin1String(name), value);
    stream.appendChild(text);
    return doc;
}

QString DvdSubtitles::font()
{
    // Where the distributions put the DejaVu fonts.
    static const QStringList candidates = {
        QStringLiteral("fonts/truetype/dejavu/DejaVuSans.ttf"),
        QStringLiteral("fonts/TTF/DejaVuSans.ttf"),
        QStringLiteral("fonts/dejavu-sans-fonts/DejaVuSans.ttf"),
        QStringLiteral("fonts/dejavu/DejaVuSans.ttf"),
    };
    for (const QString &candidate : candidates) {
        const QString path = QStandardPaths::locate(QStandardPaths::GenericDataLocation, candidate);
        if (!path.isEmpty())
            return path;
    }
    return QStringLiteral("DejaVu Sans");
}
