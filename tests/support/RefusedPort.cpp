#include "RefusedPort.h"

#include <QUrl>

RefusedPort::RefusedPort()
{
    // The address is shared so that a server started later binds it too.
    m_socket.bind(QHostAddress::LocalHost, 0, QAbstractSocket::ReuseAddressHint);
}

QUrl RefusedPort::url(const QString &pathAndQuery) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port()) + pathAndQuery);
}
