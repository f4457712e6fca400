#pragma once

#include "tv/renderer/RendererInfo.h"
#include "tv/renderer/RendererSoap.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// Talks HTTP to renderers: descriptions fetched and SOAP actions called,
// asynchronously, in the thread the client lives in. Every answer is
// limited in size and time; only the renderer's own addresses are used.
class RendererClient : public QObject
{
    Q_OBJECT

public:
    enum Service
    {
        AVTransport,
        RenderingControl,
        ConnectionManager
    };
    Q_ENUM(Service)

    // `reached` is false when no HTTP answer came (refused, reset, timed out).
    using Callback = std::function<void(const RendererSoap::Reply &reply, bool reached)>;
    using FetchCallback = std::function<void(const QByteArray &body, bool ok)>;
    // The status (0 when no answer came) and the answer's headers, names in lower case.
    using HeadersCallback =
        std::function<void(int status, const QHash<QByteArray, QByteArray> &headers)>;

    explicit RendererClient(QObject *parent = nullptr);
    ~RendererClient() override;

    // How long one request may take (ms).
    void setTimeout(int ms) { m_timeoutMs = ms; }

    // A GET of at most `maxSize` bytes.
    void fetch(const QUrl &url, qsizetype maxSize, const FetchCallback &done);
    // The callback runs in this object's thread, unless this object went first.
    void call(const RendererInfo &renderer, Service service, const QString &action,
              const QList<QPair<QString, QString>> &arguments, const Callback &done);

    // A request without a body in a method of its own (SUBSCRIBE,
    // UNSUBSCRIBE); only the answer's status and headers are read.
    void request(const QUrl &url, const QByteArray &method,
                 const QList<QPair<QByteArray, QByteArray>> &headers, const HeadersCallback &done);

    static QString serviceName(Service service);

private:
    QNetworkReply *send(QNetworkReply *reply, qsizetype maxSize);

    QNetworkAccessManager *m_network = nullptr;
    int m_timeoutMs = 5000;
};
