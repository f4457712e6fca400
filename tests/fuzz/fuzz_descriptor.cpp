// Descriptor documents: every item has a guid, no item a negative size, no
// shown title a control character, no name made from a title a character a
// file name cannot hold, no date a time of day.
#include "FuzzSupport.h"
#include "downloads/CorvanaItem.h"

namespace {

bool shownTitle(const QString &title)
{
    for (const QChar c : title) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    return title == title.trimmed();
}

bool fileNameTitle(const QString &title)
{
    const QString name = CorvanaItem::fileNameTitle(title);
    static const char *const bad[] = {"<", ">", ":", "/", "\\", "|", "?", "*", "..."};
    for (const char *text : bad) {
        if (name.contains(QLatin1String(text)))
            return false;
    }
    return !name.isEmpty() && name == name.trimmed() && shownTitle(name);
}

} // namespace

FUZZ_QUIET_SETUP()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    for (const CorvanaItem &item : CorvanaItem::parseCorvanaFile(FuzzSupport::input(data, size))) {
        FUZZ_CHECK(!item.isNull());
        FUZZ_CHECK(!item.guid().trimmed().isEmpty());
        FUZZ_CHECK(item.mediaSize() >= 0);
        FUZZ_CHECK(shownTitle(item.title()));
        FUZZ_CHECK(shownTitle(item.mediaTitle()));
        FUZZ_CHECK(fileNameTitle(item.title()));
        FUZZ_CHECK(fileNameTitle(item.mediaTitle()));
        FUZZ_CHECK(!item.pubDate().isValid() || item.pubDate().time() == QTime(0, 0));
    }
    return 0;
}
