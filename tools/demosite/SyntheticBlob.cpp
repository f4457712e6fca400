#include "SyntheticBlob.h"

#include <array>
#include <cstring>

namespace {

const std::array<char, SyntheticBlob::Period> &table()
{
    static const std::array<char, SyntheticBlob::Period> bytes = [] {
        std::array<char, SyntheticBlob::Period> t{};
        for (int i = 0; i < SyntheticBlob::Period; ++i)
            t[size_t(i)] = char(SyntheticBlob::byteAt(i));
        return t;
    }();
    return bytes;
}

} // namespace

void SyntheticBlob::fill(char *out, qint64 offset, qint64 count)
{
    const auto &t = table();
    qint64 position = offset % Period;
    while (count > 0) {
        const qint64 n = qMin(count, qint64(Period) - position);
        std::memcpy(out, t.data() + position, size_t(n));
        out += n;
        count -= n;
        position = 0;
    }
}
