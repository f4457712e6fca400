// The suggestions file: a version that is never negative (that would read
// as "no file"), no more suggestions than the document can hold, and a
// refused document leaves the old list alone.
#include "FuzzSupport.h"
#include "web/Suggestions.h"

FUZZ_QUIET_SETUP()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    int version = -7;
    QStringList suggestions = {QStringLiteral("kept")};
    if (!Suggestions::parse(FuzzSupport::input(data, size), &version, &suggestions)) {
        FUZZ_CHECK(version == -7);
        FUZZ_CHECK(suggestions == QStringList{QStringLiteral("kept")});
        return 0;
    }
    FUZZ_CHECK(version >= 0);
    // "<suggestion/>" is the shortest element there is.
    FUZZ_CHECK(suggestions.size() <= qsizetype(size / 13));
    return 0;
}
