#include "StartupTypes.h"

#include <QMetaType>

namespace StartupTypes {

void registerCrossThreadTypes()
{
    // The media server's stream and media node types are registered here once
    // they exist ("RingBufferStreamReference", "MediaNode *").
}

} // namespace StartupTypes
