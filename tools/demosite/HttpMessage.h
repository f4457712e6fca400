#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QUrlQuery>

#include <functional>

// One parsed HTTP request.
struct HttpRequest
{
    QByteArray method;
    QString path;
    QUrlQuery query;
    QList<QPair<QByteArray, QByteArray>> headers; // names lower-cased
    QByteArray body;

    QByteArray header(const QByteArray &lowerName) const
    {
        for (const auto &h : headers) {
            if (h.first == lowerName)
                return h.second;
        }
        return {};
    }
};

// One answer: a body in memory, or a stream from a file or the synthetic
// generator (bytes [offset, offset + length) of it).
struct HttpResponse
{
    enum class Source
    {
        Memory,
        File,
        Synthetic
    };

    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    Source source = Source::Memory;
    QString filePath;
    qint64 offset = 0;
    qint64 length = 0;
    qint64 bytesPerSecond = 0; // 0 = as fast as the socket takes it
    qint64 dropAfter = -1;     // close the connection after this many body bytes
    bool hangUp = false;       // close the connection without answering
    // Told how many body bytes went out when the answer ends or breaks off.
    std::function<void(qint64 sent)> onSent;

    void setHeader(const QByteArray &name, const QByteArray &value)
    {
        headers.append({name, value});
    }
    qint64 bodyLength() const { return source == Source::Memory ? body.size() : length; }
};
