#pragma once

#include <QtGlobal>

// Deterministic content of any length, served without touching the disk:
// byte i is a function of i modulo a prime period, so a byte appended at
// the wrong offset shows up in a checksum.
class SyntheticBlob
{
public:
    static constexpr int Period = 65521;

    static quint8 byteAt(qint64 index)
    {
        const quint32 k = quint32(index % Period);
        return quint8((k * k * 7u + k * 13u + (k >> 8)) & 0xffu);
    }
    // Fills `out` with `count` bytes starting at `offset`.
    static void fill(char *out, qint64 offset, qint64 count);
};
