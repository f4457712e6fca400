#pragma once

#include "library/LibraryLocation.h"

#include <QMetaType>
#include <QString>

// One copy, move or link request handed to the copy thread.
struct CopyRequest
{
    enum Flag
    {
        NoFlags = 0x0,
        Overwrite = 0x1,   // an existing destination may be replaced
        Move = 0x2,        // remove the source once copied
        MakeLinks = 0x4,   // link to the source instead of copying
        FollowLinks = 0x8, // copy a link's target rather than the link
        // A subtitle: the destination gets the cues read from the source,
        // written as SubRip by us, never the source's bytes; the source must
        // be a regular file, not a link.
        RewriteSubtitle = 0x10,
    };
    Q_DECLARE_FLAGS(Flags, Flag)

    QString source;
    QString destination;
    Flags flags = NoFlags;
    // A link is never followed into this library.
    LibraryLocation library;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(CopyRequest::Flags)
Q_DECLARE_METATYPE(CopyRequest)
