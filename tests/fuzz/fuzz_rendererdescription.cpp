// Renderer descriptions: a description taken in names a renderer, and every
// address it gives lies on the host it was fetched from, over HTTP.
#include "FuzzSupport.h"
#include "tv/renderer/RendererDescription.h"

namespace {

const QUrl location(QStringLiteral("http://192.168.1.20:49152/description.xml"));

bool onHost(const QUrl &url)
{
    return url.isEmpty() || (url.scheme() == QLatin1String("http") &&
                             url.host() == location.host() && url.port(80) == location.port(80));
}

} // namespace

FUZZ_QUIET_SETUP()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    RendererDescription description;
    if (!RendererDescription::parse(FuzzSupport::input(data, size), location, &description))
        return 0;
    FUZZ_CHECK(qsizetype(size) <= RendererDescription::MaxSize);
    FUZZ_CHECK(!description.udn.isEmpty());
    FUZZ_CHECK(description.deviceType.startsWith(
        QLatin1String("urn:schemas-upnp-org:device:MediaRenderer:")));
    FUZZ_CHECK(description.avTransport.isValid());
    for (const RendererDescription::Service *service :
         {&description.avTransport, &description.renderingControl,
          &description.connectionManager}) {
        FUZZ_CHECK(onHost(service->controlUrl) && onHost(service->eventUrl));
    }
    FUZZ_CHECK(description.friendlyName.size() <= 1024);
    return 0;
}
