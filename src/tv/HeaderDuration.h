#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// A file's play length read from its container header, without the encoder:
// the movie header of MP4/QuickTime files, the metadata tag of FLV files and
// the stream header of AVI files. A first answer can tell durations at once;
// the encoder's probe confirms them later.
class HeaderDuration
{
public:
    // Seconds, or -1 when the header does not tell (other containers,
    // damaged or streaming-only files).
    static double read(const QString &path);

    // The same per container: MP4 walks the file's boxes, FLV and AVI read
    // its first bytes.
    static double fromIsoMedia(QIODevice *file);
    static double fromFlv(const QByteArray &head);
    static double fromAvi(const QByteArray &head);
};
