// Ranges: what the media server serves for a "Range" request lies inside the
// file and says so in its "Content-Range", also beyond 4 GiB; what the
// downloads read from a "Content-Range" answer is consistent or unknown.
#include "FuzzSupport.h"
#include "downloads/ContentRange.h"
#include "tv/upnp/UpnpFileMediaServerDelegate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace {

// Files of these sizes; the large ones are sparse and cost no disk.
const qint64 kSizes[] = {0, 1, 1000, qint64(1) << 31, qint64(5000000000)};
std::unique_ptr<QTemporaryDir> g_folder;

QString fileOfSize(int index)
{
    return g_folder->filePath(QStringLiteral("media-%1.mp4").arg(index));
}

void checkServed(const QByteArray &range, int index)
{
    const qint64 size = kSizes[index];
    UpnpHttpRequest request;
    request.method = "GET";
    request.headers.insert("range", range);
    UpnpHttpResponse response;
    UpnpFileMediaServerDelegate::serveLocalFile(request, fileOfSize(index), "video/mp4", response);
    const QByteArray contentRange = response.header("Content-Range");
    switch (response.status) {
    case 200:
        FUZZ_CHECK(response.fileOffset == 0 && response.fileLength == size);
        break;
    case 206:
        FUZZ_CHECK(response.fileOffset >= 0 && response.fileLength > 0);
        FUZZ_CHECK(response.fileOffset + response.fileLength <= size);
        FUZZ_CHECK(contentRange ==
                   "bytes " + QByteArray::number(response.fileOffset) + '-' +
                       QByteArray::number(response.fileOffset + response.fileLength - 1) + '/' +
                       QByteArray::number(size));
        break;
    case 416:
        FUZZ_CHECK(response.filePath.isEmpty());
        FUZZ_CHECK(contentRange == "bytes */" + QByteArray::number(size));
        break;
    default:
        FUZZ_CHECK(!"unexpected status");
    }
}

void checkContentRange(const QByteArray &header)
{
    const ContentRange range = ContentRange::parse(header);
    FUZZ_CHECK(range.start >= -1 && range.end >= -1 && range.total >= -1);
    FUZZ_CHECK((range.start < 0) == (range.end < 0));
    FUZZ_CHECK(range.start <= range.end);
    FUZZ_CHECK(range.total < 0 || range.end < range.total);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::quietLog();
    g_folder = std::make_unique<QTemporaryDir>();
    for (int i = 0; i < int(std::size(kSizes)); ++i) {
        QFile file(fileOfSize(i));
        if (!file.open(QIODevice::WriteOnly) || !file.resize(kSizes[i]))
            std::abort();
    }
    return 0;
}

// First byte: which file; then the "Range" value; after a line break, a
// "Content-Range" value.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int index = data[0] % int(std::size(kSizes));
    const QByteArray rest = FuzzSupport::input(data + 1, size - 1);
    const qsizetype newline = rest.indexOf('\n');
    const QByteArray range = newline < 0 ? rest : rest.left(newline);
    checkServed(range, index);
    checkContentRange(newline < 0 ? rest : rest.mid(newline + 1));
    return 0;
}
