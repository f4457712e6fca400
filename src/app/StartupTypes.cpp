#include "StartupTypes.h"

#include "MediaNode.h"
#include "RingBufferStream.h"

#include <QMetaType>

namespace StartupTypes {

void registerCrossThreadTypes()
{
    // Types that travel in queued calls between the media server's threads.
    qRegisterMetaType<RingBufferStreamReference>("RingBufferStreamReference");
    qRegisterMetaType<MediaNode *>("MediaNode *");
}

} // namespace StartupTypes
