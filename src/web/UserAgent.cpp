#include "web/UserAgent.h"

#include <QNetworkRequest>

namespace UserAgent {

QByteArray value()
{
    return QByteArrayLiteral("Corvana ZELTA");
}

void apply(QNetworkRequest &request)
{
    request.setRawHeader("User-Agent", value());
}

} // namespace UserAgent
