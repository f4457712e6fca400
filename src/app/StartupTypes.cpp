#include "StartupTypes.h"

#include <QMetaType>

// The media server's headers are visible once the program links the TV engine.
#if __has_include("MediaNode.h") && __has_include("RingBufferStream.h")
#include "MediaNode.h"
#include "RingBufferStream.h"
#define ZELTA_HAS_TV 1
#endif

namespace StartupTypes {

void registerCrossThreadTypes()
{
    // Types that travel in queued calls between the media server's threads.
#ifdef ZELTA_HAS_TV
    qRegisterMetaType<RingBufferStreamReference>("RingBufferStreamReference");
    qRegisterMetaType<MediaNode *>("MediaNode *");
#endif
}

} // namespace StartupTypes
