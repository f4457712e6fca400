#pragma once

// The ContentDirectory Browse request the TV benchmarks send to a media
// server's control address.

#include <QByteArray>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>

namespace BrowseSoap {

// The SOAP body of a Browse of the children of `id`: `count` of them from
// `start` (a count of 0 asks for all), with the properties `filter` names.
inline QByteArray body(const QString &id, int start, int count,
                       const QString &filter = QStringLiteral("*"))
{
    return QStringLiteral("<?xml version=\"1.0\"?><s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/"
                          "soap/envelope/\"><s:Body><u:Browse xmlns:u=\"urn:schemas-upnp-org:"
                          "service:ContentDirectory:1\"><ObjectID>%1</ObjectID><BrowseFlag>"
                          "BrowseDirectChildren</BrowseFlag><Filter>%4</Filter><StartingIndex>%2"
                          "</StartingIndex><RequestedCount>%3</RequestedCount><SortCriteria>"
                          "</SortCriteria></u:Browse></s:Body></s:Envelope>")
        .arg(id)
        .arg(start)
        .arg(count)
        .arg(filter)
        .toUtf8();
}

// A request to `control` with the Browse action's headers.
inline QNetworkRequest request(const QUrl &control)
{
    QNetworkRequest request(control);
    request.setRawHeader("SOAPAction",
                         "\"urn:schemas-upnp-org:service:ContentDirectory:1#Browse\"");
    request.setRawHeader("Content-Type", "text/xml; charset=\"utf-8\"");
    return request;
}

// Sends one Browse and waits for the answer; its body.
inline QByteArray browse(const QUrl &control, const QString &id, int start, int count,
                         const QString &filter = QStringLiteral("*"))
{
    thread_local QNetworkAccessManager manager; // one per thread that browses
    manager.setProxy(QNetworkProxy::NoProxy);
    QNetworkReply *reply = manager.post(request(control), body(id, start, count, filter));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const QByteArray data = reply->readAll();
    reply->deleteLater();
    return data;
}

} // namespace BrowseSoap
