#pragma once

#include <QtGlobal>

// A sequential body source for HTTP answers whose length is not known in
// advance. read() may block; abort() wakes it up for good (client gone or
// server stopping).
class UpnpInputStream
{
public:
    virtual ~UpnpInputStream() = default;
    // Bytes copied into `data`, 0 only at the end of the stream, -1 on error.
    virtual qint64 read(char *data, qint64 maxSize) = 0;
    virtual void abort() = 0;
};
