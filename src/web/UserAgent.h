#pragma once

#include <QByteArray>

class QNetworkRequest;

// How the program names itself to the site in its own requests (descriptors,
// media, updates); the pages keep the web engine's own.
namespace UserAgent {

QByteArray value();
void apply(QNetworkRequest &request);

} // namespace UserAgent
