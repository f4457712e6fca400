#pragma once

#include "HttpMessage.h"

#include <QFile>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class QTcpSocket;

// One client connection: parses requests (keep-alive, bodies by
// Content-Length), asks the handler for an answer and streams it, with an
// optional rate limit and an optional drop after a number of body bytes.
class HttpConnection : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<HttpResponse(const HttpRequest &)>;

    HttpConnection(QTcpSocket *socket, Handler handler, QObject *parent = nullptr);
    ~HttpConnection() override;

    // Cuts an answer being sent, as a server that goes away does.
    void hangUp();

private:
    void readRequests();
    bool parseOne(HttpRequest *request, bool *bad);
    void send(const HttpResponse &response, bool keepAlive);
    void pump();
    void finishResponse();
    void reportSent();
    void sendError(int status);

    QPointer<QTcpSocket> m_socket;
    Handler m_handler;
    QByteArray m_buffer;
    bool m_busy = false;
    bool m_keepAlive = true;
    HttpResponse m_response;
    std::unique_ptr<QFile> m_file;
    qint64 m_sent = 0;
    qint64 m_budget = 0;
    QTimer m_rateTimer;
};
