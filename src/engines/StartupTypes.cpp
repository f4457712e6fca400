#include "engines/StartupTypes.h"

#include "tv/MediaNode.h"
#include "tv/upnp/RingBufferStream.h"

#include <QMetaType>

namespace StartupTypes {

void registerCrossThreadTypes()
{
    // Types that travel in queued calls between the media server's threads.
    qRegisterMetaType<RingBufferStreamReference>("RingBufferStreamReference");
    qRegisterMetaType<MediaNode *>("MediaNode *");
}

} // namespace StartupTypes
