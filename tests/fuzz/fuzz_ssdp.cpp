// SSDP datagrams: a packet taken in has a start line and headers without
// line breaks, names lower case and trimmed, and nothing beyond 8 KiB.
#include "FuzzSupport.h"
#include "tv/upnp/SsdpPacket.h"

namespace {

bool oneLine(const QByteArray &text)
{
    return !text.contains('\n') && !text.contains('\r');
}

} // namespace

FUZZ_QUIET_SETUP()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SsdpPacket packet;
    if (!SsdpPacket::parse(FuzzSupport::input(data, size), &packet))
        return 0;
    FUZZ_CHECK(size <= 8192);
    FUZZ_CHECK(!packet.startLine.isEmpty() && oneLine(packet.startLine));
    for (auto it = packet.headers.cbegin(); it != packet.headers.cend(); ++it) {
        FUZZ_CHECK(!it.key().isEmpty() && oneLine(it.key()) && oneLine(it.value()));
        FUZZ_CHECK(it.key() == it.key().toLower() && it.key() == it.key().trimmed());
        FUZZ_CHECK(packet.header(it.key().toUpper()) == it.value());
    }
    (void)packet.isSearch();
    (void)packet.isNotify();
    return 0;
}
