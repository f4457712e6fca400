#pragma once

#include "tv/renderer/RendererInfo.h"
#include "tv/renderer/RendererSoap.h"

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

    // `reached` is false when no HTTP answer came (refused, reset, timed out).
    using Callback = std::function<void(const RendererSoap::Reply &reply, bool reached)>;
    using FetchCallback = std::function<void(const QByteArray &body, bool ok)>;

    explicit RendererClient(QObject *parent = nullptr);
    ~RendererClient() override;

    // How long one request may take (ms).
    void setTimeout(int ms) { m_timeoutMs = ms; }

    // A GET of at most `maxSize` bytes.
    void fetch(const QUrl &url, qsizetype maxSize, const FetchCallback &done);
    // The callback runs in this object's thread, unless this object went first.
    void call(const RendererInfo &renderer, Service service, const QString &action,
              const QList<QPair<QString, QString>> &arguments, const Callback &done);

    static QString serviceName(Service service);

private:
    QNetworkReply *send(QNetworkReply *reply, qsizetype maxSize);

    QNetworkAccessManager *m_network = nullptr;
    int m_timeoutMs = 5000;
};
