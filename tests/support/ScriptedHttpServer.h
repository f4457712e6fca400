#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>

class QTcpServer;
class QTcpSocket;

// An HTTP server of a test on one loopback address (127.0.0.2 plays another
// host): answers every request with one scripted response, or holds it
// unanswered, and keeps each request's head. Plain HTTP or HTTPS.
class ScriptedHttpServer : public QObject
{
    Q_OBJECT

public:
    explicit ScriptedHttpServer(const QHostAddress &address, QObject *parent = nullptr);
    ~ScriptedHttpServer() override;

    // The whole answer, status line to body; empty holds every request unanswered.
    void setResponse(const QByteArray &response) { m_response = response; }
    // Answers each request by its head (request line and headers) instead;
    // an empty answer holds the request.
    using Responder = std::function<QByteArray(const QByteArray &head)>;
    void setResponder(Responder responder) { m_responder = std::move(responder); }
    // Leaves the connection open after the answer (a body shorter than its
    // Content-Length then looks like a transfer still running).
    void setKeepOpen(bool keepOpen) { m_keepOpen = keepOpen; }
    // PEM files; call before listen().
    void useTls(const QString &certificatePath, const QString &keyPath);
    bool listen();
    QUrl url(const QString &path = QString()) const;

    QList<QByteArray> requests() const { return m_requests; }
    // The request bodies, in the order of requests().
    QList<QByteArray> bodies() const { return m_bodies; }
    // Connections accepted and not yet closed by the peer.
    int openConnections() const;

    static QByteArray answer(int status, const QByteArray &headers = {},
                             const QByteArray &body = {});

private:
    void serve(QTcpSocket *socket);

    QHostAddress m_address;
    QTcpServer *m_server = nullptr;
    bool m_tls = false;
    bool m_keepOpen = false;
    QByteArray m_response;
    Responder m_responder;
    QList<QByteArray> m_requests;
    QList<QByteArray> m_bodies;
    QList<QPointer<QTcpSocket>> m_sockets;
};
