#include "burner/Project.h"

#include "core/Formatters.h"
#include "core/Logging.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QtDebug>

#include <algorithm>

template <typename Change> void Project::changeClips(Change change)
{
    Q_EMIT clipsAboutToChange();
    change();
    Q_EMIT clipsChanged();
}

Project::Project(QObject *parent) : QObject(parent)
{
    reset();
}

Project::~Project()
{
    bool removed = true;
    if (m_ownsTempDirectory)
        removed = removeFolder(m_tempDirectory.absolutePath());
    qCDebug(lcBurner).noquote() << QStringLiteral("Project deleted, ") +
                                       (removed ? QStringLiteral("temp dir deleted")
                                                : QStringLiteral("temp dir NOT deleted"));
}

bool Project::removeTempDirectory()
{
    if (!m_ownsTempDirectory)
        return true;
    m_ownsTempDirectory = false;
    return removeFolder(m_tempDirectory.absolutePath());
}

bool Project::removeFolder(const QString &path)
{
    QDir dir(path);
    if (!dir.exists())
        return true;
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const bool ok = entry.isDir() && !entry.isSymLink()
                            ? removeFolder(entry.absoluteFilePath())
                            : QFile::remove(entry.absoluteFilePath());
        if (!ok)
            return false;
    }
    return dir.rmdir(dir.absolutePath());
}

void Project::reset()
{
    changeClips([this] { m_clips.clear(); });
    m_ntsc = true;
    m_title = QStringLiteral("Untitled");

    // A previous folder that holds nothing is of no use to anyone.
    if (m_ownsTempDirectory)
        QDir().rmdir(m_tempDirectory.absolutePath());

    const QString base = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("dd-MM-yyyy-hh-mm-ss-zzz"));
    // Two resets within one millisecond must not share a folder.
    QString name = stamp;
    for (int n = 1; QFileInfo::exists(QDir(base).filePath(name)); ++n)
        name = stamp + QLatin1Char('-') + QString::number(n);

    QDir dir(base);
    m_tempDirectory = dir;
    m_ownsTempDirectory = false;
    if (!dir.mkdir(name)) {
        qCWarning(lcBurner).noquote()
            << "Project::reset could not create temp directory: " + dir.filePath(name);
        return;
    }
    if (!dir.cd(name)) {
        qCWarning(lcBurner).noquote()
            << "Project::reset could not enter temp directory: " + dir.filePath(name);
        return;
    }
    m_tempDirectory = dir;
    m_ownsTempDirectory = true;
    qCDebug(lcBurner).noquote() << "Project::reset current temp directory: " + dir.absolutePath();
}

QString Project::randomString()
{
    static const QString table =
        QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    QString result;
    for (int i = 0; i < 6; ++i)
        result += table.at(QRandomGenerator::global()->bounded(table.size()));
    return result;
}

void Project::addClip(const VideoClip &clip)
{
    VideoClip candidate = clip;
    const QFileInfo info(clip.path);
    // Names must be unique within the project; retry until a free one comes up.
    for (;;) {
        const bool taken = std::any_of(m_clips.cbegin(), m_clips.cend(), [&](const VideoClip &c) {
            return c.name == candidate.name;
        });
        if (!taken)
            break;
        candidate.name =
            QStringLiteral("%1_%2.%3").arg(info.baseName(), randomString(), info.suffix());
    }
    changeClips([&] { m_clips.append(candidate); });
}

int Project::removeClip(const VideoClip &clip)
{
    if (!m_clips.contains(clip))
        return 0;
    int removed = 0;
    changeClips([&] { removed = static_cast<int>(m_clips.removeAll(clip)); });
    return removed;
}

void Project::removeClipAt(int row)
{
    if (row >= 0 && row < m_clips.size())
        changeClips([&] { m_clips.removeAt(row); });
}

void Project::moveClipUp(int row)
{
    if (row > 0 && row < m_clips.size())
        changeClips([&] { m_clips.swapItemsAt(row, row - 1); });
}

void Project::moveClipDown(int row)
{
    if (row >= 0 && row < m_clips.size() - 1)
        changeClips([&] { m_clips.swapItemsAt(row, row + 1); });
}

void Project::setSubtitlesOn(int row, bool on)
{
    if (row < 0 || row >= m_clips.size() || m_clips.at(row).subtitlesOn == on)
        return;
    m_clips[row].subtitlesOn = on;
    Q_EMIT clipChanged(row);
}

int Project::totalSeconds() const
{
    int total = 0;
    for (const VideoClip &clip : m_clips)
        total += QTime(0, 0).secsTo(clip.duration);
    return total;
}

QTime Project::totalTime() const
{
    return QTime(0, 0).addSecs(totalSeconds());
}

QString Project::convertedFilePath(const QString &base) const
{
    return m_tempDirectory.absoluteFilePath(base + QStringLiteral(".mpg"));
}

QString Project::encoderArguments(const VideoClip &) const
{
    const QString standard = m_ntsc ? QStringLiteral("ntsc") : QStringLiteral("pal");
    switch (m_discType) {
    case DiscType::Dvd:
    case DiscType::DualLayerDvd:
        // Stream-specific rate options: plain -b/-ab are ambiguous to the encoder.
        return QStringLiteral("-target %1-dvd -b:v %2k -b:a %3k")
            .arg(standard)
            .arg(m_videoBitrate)
            .arg(m_audioBitrate);
    case DiscType::Vcd:
        return QStringLiteral("-target %1-vcd").arg(standard);
    case DiscType::Svcd:
        return QStringLiteral("-target %1-svcd").arg(standard);
    }
    return QString();
}

QString Project::estimatedSize(int row) const
{
    if (row < 0 || row >= m_clips.size())
        return QString();
    const VideoClip &clip = m_clips.at(row);
    int rate = m_videoBitrate + m_audioBitrate;
    if (clip.bitrate > 0 && clip.bitrate < rate)
        rate = clip.bitrate;
    // kbit/s over the play length, in bytes; shown in the units every page uses.
    const double bytes = clip.seconds * rate * 125.0;
    return Formatters::byteSize(qint64(qMin(bytes, 9.0e18)));
}

QString Project::discTypeText(DiscType type)
{
    switch (type) {
    case DiscType::Dvd:
        return QStringLiteral("DVD Video Disc");
    case DiscType::DualLayerDvd:
        return QStringLiteral("Dual Layer DVD Video Disc");
    case DiscType::Vcd:
        return QStringLiteral("VCD Video Disc");
    case DiscType::Svcd:
        return QStringLiteral("SVCD Video Disc");
    }
    return QString();
}

qint64 Project::capacityKb(DiscType type)
{
    switch (type) {
    case DiscType::Dvd:
        return 4928307;
    case DiscType::DualLayerDvd:
        return 8336179;
    case DiscType::Vcd:
    case DiscType::Svcd:
        return 716800;
    }
    return 0;
}

int Project::longestPlayTime(DiscType type)
{
    switch (type) {
    case DiscType::Dvd:
        return 3 * 3600 + 3 * 60;
    case DiscType::DualLayerDvd:
        return 6 * 3600;
    case DiscType::Vcd:
        return 45 * 60;
    case DiscType::Svcd:
        return 30 * 60;
    }
    return 0;
}

qint64 Project::requiredFreeSpace(DiscType type)
{
    switch (type) {
    case DiscType::Dvd:
        return Q_INT64_C(10737418240);
    case DiscType::DualLayerDvd:
        return Q_INT64_C(17179869184);
    default:
        return 0;
    }
}

qint64 Project::freeSpace() const
{
    QStorageInfo storage(m_tempDirectory.absolutePath());
    if (!storage.isValid() || !storage.isReady())
        return 0;
    return storage.bytesAvailable();
}

bool Project::fits(QString *reason) const
{
    const int longest = longestPlayTime(m_discType);
    if (totalSeconds() > longest) {
        if (reason)
            *reason = tr("Media only supports %1")
                          .arg(QTime(0, 0).addSecs(longest).toString(QStringLiteral("HH:mm:ss")));
        return false;
    }
    if (freeSpace() < requiredFreeSpace(m_discType)) {
        if (reason)
            *reason = tr("Not enough space on drive");
        return false;
    }
    if (reason)
        reason->clear();
    return true;
}
