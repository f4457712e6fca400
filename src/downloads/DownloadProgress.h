#pragma once

#include <QString>
#include <QtGlobal>

// What a downloads card shows of a transfer: the progress bar's range and
// value, and the line "12.0 MB of 4.7 GB (1.0 MB/sec) - 3 minutes remaining".
// Sizes are 64-bit; the bar takes ints, so large sizes are scaled down.
class DownloadProgress
{
public:
    struct Bar
    {
        int maximum = 0;
        int value = 0;
    };

    // maximum 0 (a busy bar) while the size is unknown; the value stays
    // inside 0..maximum.
    static Bar bar(qint64 bytesWritten, qint64 mediaSize);
    // "?" for an unknown (0) size, "0.0 bytes" for no speed, no remaining
    // time while the size is unknown or the speed is 0.
    static QString text(qint64 bytesWritten, qint64 mediaSize, double bytesPerSecond,
                        double secondsLeft);

private:
    DownloadProgress() = delete;
};
