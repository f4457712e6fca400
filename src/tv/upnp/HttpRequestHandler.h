#pragma once

#include "tv/upnp/UpnpHttpRequest.h"
#include "tv/upnp/UpnpHttpResponse.h"

// Answers the requests of an UpnpHttpServer; called on the server's
// connection threads, several at once.
class HttpRequestHandler
{
public:
    virtual ~HttpRequestHandler() = default;
    virtual UpnpHttpResponse handleHttpRequest(const UpnpHttpRequest &request) = 0;
};
