#pragma once

#include "tv/upnp/UpnpInputStream.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <memory>

// One answer: a status with headers and either a body in memory, a slice of a
// file, or a stream read until it ends.
struct UpnpHttpResponse
{
    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    QString filePath;
    qint64 fileOffset = 0;
    qint64 fileLength = -1;
    std::shared_ptr<UpnpInputStream> stream;
    // A body of unknown length (a stream).
    bool unknownLength = false;
    // For a HEAD of such a body: the length to announce, an estimate, so
    // that the connection stays open (-1: none, the connection closes).
    qint64 headLength = -1;

    void setHeader(const QByteArray &name, const QByteArray &value)
    {
        for (auto &header : headers) {
            if (header.first.compare(name, Qt::CaseInsensitive) == 0) {
                header.second = value;
                return;
            }
        }
        headers.append({name, value});
    }
    QByteArray header(const QByteArray &name) const
    {
        for (const auto &header : headers) {
            if (header.first.compare(name, Qt::CaseInsensitive) == 0)
                return header.second;
        }
        return {};
    }

    static UpnpHttpResponse text(int status, const QByteArray &contentType, const QByteArray &body)
    {
        UpnpHttpResponse response;
        response.status = status;
        response.body = body;
        if (!contentType.isEmpty())
            response.setHeader("Content-Type", contentType);
        return response;
    }
    static UpnpHttpResponse notFound()
    {
        return text(404, "text/html",
                    "<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1>"
                    "<p>The requested URL was not found on this server.</p></html>");
    }
    static UpnpHttpResponse badRequest() { return text(400, "text/plain", "Bad Request"); }
};
