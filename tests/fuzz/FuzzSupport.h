#pragma once

// Shared parts of the fuzz targets: a quiet log, the input as bytes that
// point into the fuzzer's own buffer (so a read past its end is caught), and
// the invariant check that turns a wrong result into a failure.

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #condition, __FILE__,           \
                         __LINE__);                                                                \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// The usual set-up of a target: a quiet log.
#define FUZZ_QUIET_SETUP()                                                                         \
    extern "C" int LLVMFuzzerInitialize(int *, char ***)                                           \
    {                                                                                              \
        FuzzSupport::quietLog();                                                                   \
        return 0;                                                                                  \
    }

namespace FuzzSupport {

// The parsers log what they read; that would drown the run.
inline void quietLog()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}

inline QByteArray input(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
}

} // namespace FuzzSupport
