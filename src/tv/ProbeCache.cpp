#include "tv/ProbeCache.h"
#include "core/Logging.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr quint32 kMagic = 0x5a505243; // "ZPRC"
constexpr quint32 kVersion = 2;        // records follow until the end
// A cache file larger than this is not read (it is not ours).
constexpr qint64 kMaxFileSize = qint64(1) << 30;

QDataStream &operator<<(QDataStream &out, const MediaInfo &m)
{
    return out << m.duration << qint32(m.bitrate) << m.container << m.videoCodec << m.videoProfile
               << m.videoDescription << m.frameSize << m.frameRate << qint32(m.videoBitrate)
               << m.audioCodec << m.audioProfile << qint32(m.sampleRate) << qint32(m.channels)
               << qint32(m.audioBitrate);
}

QDataStream &operator>>(QDataStream &in, MediaInfo &m)
{
    qint32 bitrate, videoBitrate, sampleRate, channels, audioBitrate;
    in >> m.duration >> bitrate >> m.container >> m.videoCodec >> m.videoProfile >>
        m.videoDescription >> m.frameSize >> m.frameRate >> videoBitrate >> m.audioCodec >>
        m.audioProfile >> sampleRate >> channels >> audioBitrate;
    m.bitrate = bitrate;
    m.videoBitrate = videoBitrate;
    m.sampleRate = sampleRate;
    m.channels = channels;
    m.audioBitrate = audioBitrate;
    return in;
}

} // namespace

void ProbeCache::open(const QString &path)
{
    QMutexLocker locker(&m_mutex);
    m_journal.close();
    m_path = path;
    m_entries.clear();
    m_records = 0;
    m_rewrite = true;
    QFile file(path);
    if (path.isEmpty() || file.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly))
        return;
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0, version = 0;
    in >> magic >> version;
    if (magic != kMagic || version != kVersion)
        return;
    while (!in.atEnd()) {
        QString name;
        Entry entry;
        in >> name >> entry.size >> entry.modified >> entry.media >> entry.thumbnail >>
            entry.thumbnailSize;
        if (in.status() != QDataStream::Ok) {
            qCWarning(lcTv).noquote() << "ProbeCache: damaged cache file" << path;
            return; // what came before stays; the file is written anew
        }
        m_entries.insert(name, entry);
        ++m_records;
    }
    m_rewrite = false;
}

bool ProbeCache::lookUp(const QString &file, qint64 size, qint64 modified, Entry *entry) const
{
    QMutexLocker locker(&m_mutex);
    const auto it = m_entries.constFind(file);
    if (it == m_entries.constEnd() || it->size != size || it->modified != modified)
        return false;
    *entry = *it;
    return true;
}

void ProbeCache::insert(const QString &file, const Entry &entry)
{
    QMutexLocker locker(&m_mutex);
    m_entries.insert(file, entry);
    if (m_path.isEmpty())
        return;
    if (m_rewrite || !m_journal.isOpen()) {
        rewrite();
        return;
    }
    QDataStream out(&m_journal);
    out.setVersion(QDataStream::Qt_6_4);
    out << file << entry.size << entry.modified << entry.media << entry.thumbnail
        << entry.thumbnailSize;
    if (out.status() != QDataStream::Ok || !m_journal.flush()) {
        m_rewrite = true;
        return;
    }
    ++m_records;
}

bool ProbeCache::save()
{
    QMutexLocker locker(&m_mutex);
    if (m_path.isEmpty() || (!m_rewrite && m_records == m_entries.size()))
        return true;
    return rewrite();
}

bool ProbeCache::rewrite()
{
    m_journal.close();
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setVersion(QDataStream::Qt_6_4);
    out << kMagic << kVersion;
    for (auto it = m_entries.constBegin(); it != m_entries.constEnd(); ++it)
        out << it.key() << it->size << it->modified << it->media << it->thumbnail
            << it->thumbnailSize;
    if (!file.commit()) {
        qCWarning(lcTv).noquote() << "ProbeCache: could not write" << m_path;
        m_rewrite = true;
        return false;
    }
    m_records = m_entries.size();
    m_journal.setFileName(m_path);
    m_rewrite = !m_journal.open(QIODevice::WriteOnly | QIODevice::Append);
    return true;
}

qsizetype ProbeCache::count() const
{
    QMutexLocker locker(&m_mutex);
    return m_entries.size();
}
