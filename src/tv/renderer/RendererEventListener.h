#pragma once

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

#include <functional>

class QTcpSocket;

// Where a renderer sends its events: a small HTTP server on the address the
// renderer reaches us on. It takes NOTIFY requests only, only from the
// renderer's own address (any loopback address for a renderer on this
// machine), with limits on the head, the body, the time a request may take
// and the number of connections at once. What a request carries is handed
// to the judge, whose answer is the status sent back.
class RendererEventListener : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype MaxHeadSize = 8 * 1024;
    static constexpr qsizetype MaxBodySize = 64 * 1024;
    static constexpr int MaxHeaders = 64;
    static constexpr int MaxConnections = 8;
    static constexpr int RequestTimeoutMs = 5000;

    struct Notify
    {
        QByteArray path;
        QHash<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };
    using Judge = std::function<int(const Notify &notify)>;

    RendererEventListener(const QHostAddress &peer, Judge judge, QObject *parent = nullptr);

    // Listens on `local` at a port the system picks.
    bool listen(const QHostAddress &local);
    // The address a renderer is told to send to, ending in `path`.
    QUrl callbackUrl(const QByteArray &path) const;

    static QByteArray statusLine(int status);

private:
    void accept();
    void readFrom(QTcpSocket *socket);
    void answer(QTcpSocket *socket, int status);
    bool fromPeer(const QHostAddress &address) const;
    // The status to answer with when the request in `buffer` is complete and
    // acceptable (0 when more is needed); the request goes into `notify`.
    int parse(const QByteArray &buffer, Notify *notify) const;

    QTcpServer m_server;
    QHostAddress m_peer;
    Judge m_judge;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};
