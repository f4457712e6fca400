#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>

// One request as the device host sees it. Header names are lower case.
struct UpnpHttpRequest
{
    QByteArray method;
    QByteArray path; // percent-decoded path, without the query
    QByteArray version;
    QHash<QByteArray, QByteArray> headers;
    QByteArray body;
    QHostAddress localAddress;
    quint16 localPort = 0;
    QHostAddress peerAddress;
    int clientSignature = 0;
    // The client keeps play positions on the server (Samsung's bookmarks).
    bool bookmarks = false;

    QByteArray header(const QByteArray &name) const { return headers.value(name.toLower()); }
    bool isHead() const { return method == "HEAD"; }
};
