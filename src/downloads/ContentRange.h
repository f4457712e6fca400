#pragma once

#include <QByteArray>
#include <QtGlobal>

// The "Content-Range" header of an answer: "bytes 100-199/200", "bytes
// 100-199/*" or, with a 416, "bytes */200". Parts not given are -1. A header
// that is malformed, has a number beyond 64 bits or contradicts itself (end
// before start, end at or beyond the total) gives -1 everywhere.
struct ContentRange
{
    qint64 start = -1;
    qint64 end = -1;
    qint64 total = -1;

    static ContentRange parse(const QByteArray &header);
};
