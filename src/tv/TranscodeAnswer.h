#pragma once

#include "tv/MediaNodeInfo.h"
#include "tv/upnp/UpnpHttpRequest.h"
#include "tv/upnp/UpnpHttpResponse.h"

#include <QString>

// The answer to a request for a video converted on the fly: the time range
// asked for (TimeSeekRange.dlna.org), the headers the client's kind expects,
// and the encoder's stream; for a console, with the chosen subtitle drawn
// into the picture. A HEAD gets the headers only, with a length estimated
// from the output's bit rate.
class TranscodeAnswer
{
public:
    // Which subtitle a console sees drawn: the preferred one, none (-1) or
    // the n-th file of the video.
    static constexpr int PreferredSubtitle = -2;

    // `sharedRoot`: the folder served; a subtitle outside it is not drawn.
    static void fill(const UpnpHttpRequest &request, const MediaNodeInfo &node,
                     const QString &sharedRoot, int subtitleChoice, UpnpHttpResponse &response);
};
