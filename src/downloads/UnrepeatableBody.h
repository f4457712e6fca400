#pragma once

#include <QIODevice>
#include <QNetworkRequest>

class QNetworkAccessManager;
class QNetworkReply;

// An empty request body that cannot be read a second time. A GET that
// carries it cannot be repeated by the network layer on its own.
//
// Qt's HTTP connection repeats a request by itself when the connection
// closes while it still counts the request as waiting for its answer. When
// the server breaks an answer off, that happens even though part of the body
// has already been delivered: the reply then finishes as if complete, and
// the same request goes out again with its original Range, so the server
// sends those bytes a second time for nothing. A request with this body
// fails instead of being repeated ("content re-send" error), and the
// download resumes by range from the bytes on disk.
class UnrepeatableBody : public QIODevice
{
    Q_OBJECT

public:
    explicit UnrepeatableBody(QObject *parent = nullptr);

    bool isSequential() const override { return true; }
    bool reset() override { return false; }

    // Issues `request` as a GET through `network` with such a body (owned
    // by the reply).
    static QNetworkReply *get(QNetworkAccessManager *network, QNetworkRequest request);

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;
};
