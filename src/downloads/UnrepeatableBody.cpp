#include "downloads/UnrepeatableBody.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <memory>

UnrepeatableBody::UnrepeatableBody(QObject *parent) : QIODevice(parent)
{
    open(QIODevice::ReadOnly);
}

QNetworkReply *UnrepeatableBody::get(QNetworkAccessManager *network, QNetworkRequest request)
{
    auto body = std::make_unique<UnrepeatableBody>();
    // Not copied into a buffer (which could be read again), and an empty
    // body announced as such rather than sent in chunks.
    request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    request.setHeader(QNetworkRequest::ContentLengthHeader, 0);
    QNetworkReply *reply = network->sendCustomRequest(request, "GET", body.get());
    body.release()->setParent(reply);
    return reply;
}

qint64 UnrepeatableBody::readData(char *, qint64)
{
    return -1; // empty
}

qint64 UnrepeatableBody::writeData(const char *, qint64)
{
    return -1;
}
