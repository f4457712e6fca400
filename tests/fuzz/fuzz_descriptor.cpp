// Descriptor documents: every item has a guid, no item a negative size, no
// title a character a file name cannot hold, no date a time of day.
#include "FuzzSupport.h"
#include "downloads/CorvanaItem.h"

namespace {

bool cleanTitle(const QString &title)
{
    static const char *const bad[] = {"<", ">", ":", "/", "\\", "|", "?", "*", "..."};
    for (const char *text : bad) {
        if (title.contains(QLatin1String(text)))
            return false;
    }
    return title == title.trimmed();
}

} // namespace

FUZZ_QUIET_SETUP()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    for (const CorvanaItem &item : CorvanaItem::parseCorvanaFile(FuzzSupport::input(data, size))) {
        FUZZ_CHECK(!item.isNull());
        FUZZ_CHECK(!item.guid().trimmed().isEmpty());
        FUZZ_CHECK(item.mediaSize() >= 0);
        FUZZ_CHECK(cleanTitle(item.title()));
        FUZZ_CHECK(cleanTitle(item.mediaTitle()));
        FUZZ_CHECK(!item.pubDate().isValid() || item.pubDate().time() == QTime(0, 0));
    }
    return 0;
}
