#include "tv/HeaderDuration.h"

#include <QFile>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace {

// Enough for the AVI header list and the FLV metadata tag.
constexpr qint64 kHeadBytes = 64 * 1024;
// Boxes looked at on one level before giving up (a damaged file).
constexpr int kMaxBoxes = 256;
// Longer than any real file (about 115 days): a damaged header.
constexpr double kMaxSeconds = 1e7;

double plausible(double seconds)
{
    return std::isfinite(seconds) && seconds > 0 && seconds < kMaxSeconds ? seconds : -1;
}

quint32 be32(const char *p)
{
    return qFromBigEndian<quint32>(p);
}

quint32 le32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

// The box of type `type` among the boxes in [begin, end): its payload range.
bool findBox(QIODevice *file, qint64 begin, qint64 end, const char *type, qint64 *payload,
             qint64 *payloadEnd)
{
    qint64 at = begin;
    for (int n = 0; n < kMaxBoxes && at + 8 <= end; ++n) {
        char header[16];
        if (!file->seek(at) || file->read(header, 8) != 8)
            return false;
        quint64 size = be32(header);
        qint64 headerSize = 8;
        if (size == 1) {
            if (file->read(header + 8, 8) != 8)
                return false;
            size = qFromBigEndian<quint64>(header + 8);
            headerSize = 16;
        } else if (size == 0) {
            size = quint64(end - at); // up to the end
        }
        if (size < quint64(headerSize) || size > quint64(end - at))
            return false;
        if (std::memcmp(header + 4, type, 4) == 0) {
            *payload = at + headerSize;
            *payloadEnd = at + qint64(size);
            return true;
        }
        at += qint64(size);
    }
    return false;
}

} // namespace

double HeaderDuration::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    char magic[12];
    if (file.read(magic, sizeof magic) != sizeof magic)
        return -1;
    if (std::memcmp(magic, "FLV", 3) == 0) {
        file.seek(0);
        return fromFlv(file.read(kHeadBytes));
    }
    if (std::memcmp(magic, "RIFF", 4) == 0 && std::memcmp(magic + 8, "AVI ", 4) == 0) {
        file.seek(0);
        return fromAvi(file.read(kHeadBytes));
    }
    return fromIsoMedia(&file);
}

double HeaderDuration::fromIsoMedia(QIODevice *file)
{
    qint64 moov = 0, moovEnd = 0, mvhd = 0, mvhdEnd = 0;
    if (!findBox(file, 0, file->size(), "moov", &moov, &moovEnd) ||
        !findBox(file, moov, moovEnd, "mvhd", &mvhd, &mvhdEnd) || !file->seek(mvhd))
        return -1;
    // Version 0: 32-bit times and length; version 1: 64-bit ones.
    char box[32];
    const qint64 got = file->read(box, qMin<qint64>(sizeof box, mvhdEnd - mvhd));
    if (got < 20)
        return -1;
    quint32 timescale;
    quint64 length;
    if (box[0] == 1) {
        if (got < 32)
            return -1;
        timescale = be32(box + 20);
        length = qFromBigEndian<quint64>(box + 24);
        if (length == ~quint64(0))
            return -1;
    } else {
        timescale = be32(box + 12);
        length = be32(box + 16);
        if (length == ~quint32(0))
            return -1;
    }
    return timescale == 0 ? -1 : plausible(double(length) / timescale);
}

double HeaderDuration::fromFlv(const QByteArray &head)
{
    // The "onMetaData" array holds "duration" as an AMF number (a big-endian double).
    static const QByteArray key("\x00\x08"
                                "duration\x00",
                                11);
    if (!head.startsWith("FLV"))
        return -1;
    const qsizetype at = head.indexOf(key);
    if (at < 0 || at + key.size() + 8 > head.size())
        return -1;
    const quint64 bits = qFromBigEndian<quint64>(head.constData() + at + key.size());
    double seconds;
    std::memcpy(&seconds, &bits, sizeof seconds);
    return plausible(seconds);
}

double HeaderDuration::fromAvi(const QByteArray &head)
{
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "AVI ")
        return -1;
    // The first video stream header: length in frames at scale / rate.
    for (qsizetype at = head.indexOf("strh"); at >= 0; at = head.indexOf("strh", at + 4)) {
        const char *p = head.constData() + at + 8;
        if (at + 8 + 36 > head.size())
            break;
        if (std::memcmp(p, "vids", 4) != 0)
            continue;
        const quint32 scale = le32(p + 20);
        const quint32 rate = le32(p + 24);
        const quint32 length = le32(p + 32);
        if (rate != 0 && scale != 0)
            return plausible(double(length) * scale / rate);
    }
    // Else the main header: microseconds per frame times the frame count.
    const qsizetype avih = head.indexOf("avih");
    if (avih < 0 || avih + 8 + 20 > head.size())
        return -1;
    const char *p = head.constData() + avih + 8;
    return plausible(double(le32(p)) * le32(p + 16) / 1e6);
}
