// libFuzzer entry for the descriptor parser.
#include "downloads/CorvanaItem.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The parser logs every document; that would drown the run.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray document(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const CorvanaItem &item : CorvanaItem::parseCorvanaFile(document)) {
        if (item.mediaSize() < 0 || item.isNull())
            std::abort();
        (void)item.mediaTitle();
        (void)item.pubDate();
    }
    return 0;
}
