// Request headers the media server reads itself: event subscriptions'
// "TIMEOUT" and "CALLBACK", and the client's signature from "User-Agent"
// and "X-AV-Client-Info".
#include "FuzzSupport.h"
#include "tv/upnp/UpnpClientSignature.h"
#include "tv/upnp/UpnpEventNotifier.h"
#include "tv/upnp/UpnpHttpRequest.h"

#include <QList>

FUZZ_QUIET_SETUP()

// A header block: "Name: value" lines.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    UpnpHttpRequest request;
    for (const QByteArray &line : FuzzSupport::input(data, size).split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && request.headers.size() < 100)
            request.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1));
    }
    const int timeout = UpnpEventNotifier::parseTimeout(request.header("TIMEOUT"));
    FUZZ_CHECK(timeout > 0 && timeout <= 86400);

    const QList<QUrl> callbacks = UpnpEventNotifier::parseCallbacks(request.header("CALLBACK"));
    FUZZ_CHECK(callbacks.size() <= 8);
    for (const QUrl &url : callbacks)
        FUZZ_CHECK(url.isValid() && url.scheme() == QLatin1String("http") && !url.host().isEmpty());

    const int signature = UpnpClientSignature::fromHeaders(request.header("User-Agent"),
                                                           request.header("X-AV-Client-Info"));
    FUZZ_CHECK(signature >= 0 && signature <= 3);
    return 0;
}
