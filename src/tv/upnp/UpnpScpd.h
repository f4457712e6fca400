#pragma once

#include <QString>

// Service description texts of the media server's services.
namespace UpnpScpd {

QString contentDirectory();
QString connectionManager();
QString mediaReceiverRegistrar();

} // namespace UpnpScpd
