#pragma once

#include <QString>

// Service description texts of the media server's services.
namespace UpnpScpd {

// With `bookmarks`, also Samsung's X_SetBookmark (for the clients that use it).
QString contentDirectory(bool bookmarks = false);
QString connectionManager();
QString mediaReceiverRegistrar();

} // namespace UpnpScpd
