#include "tv/renderer/RendererClient.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

const RendererDescription::Service &serviceOf(const RendererInfo &renderer,
                                              RendererClient::Service service)
{
    switch (service) {
    case RendererClient::RenderingControl:
        return renderer.description.renderingControl;
    case RendererClient::ConnectionManager:
        return renderer.description.connectionManager;
    case RendererClient::AVTransport:
        break;
    }
    return renderer.description.avTransport;
}

QNetworkRequest requestFor(const QUrl &url, int timeoutMs)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QByteArrayLiteral("Linux UPnP/1.0 CorvanaZELTA DLNADOC/1.50"));
    return request;
}

} // namespace

RendererClient::RendererClient(QObject *parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this))
{
    // Renderers are on the local network: never through a proxy.
    m_network->setProxy(QNetworkProxy::NoProxy);
}

RendererClient::~RendererClient() = default;

QString RendererClient::serviceName(Service service)
{
    switch (service) {
    case RenderingControl:
        return QStringLiteral("RenderingControl");
    case ConnectionManager:
        return QStringLiteral("ConnectionManager");
    case AVTransport:
        break;
    }
    return QStringLiteral("AVTransport");
}

QNetworkReply *RendererClient::send(QNetworkReply *reply, qsizetype maxSize)
{
    // An answer that grows past its limit is dropped at once, unread.
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply, maxSize](qint64 received) {
        if (received > maxSize)
            reply->abort();
    });
    connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, maxSize] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxSize)
            reply->abort();
    });
    return reply;
}

void RendererClient::fetch(const QUrl &url, qsizetype maxSize, const FetchCallback &done)
{
    QNetworkReply *reply = send(m_network->get(requestFor(url, m_timeoutMs)), maxSize);
    connect(reply, &QNetworkReply::finished, this, [reply, maxSize, done] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QByteArray body = reply->readAll();
        const bool ok =
            reply->error() == QNetworkReply::NoError && status == 200 && body.size() <= maxSize;
        done(ok ? body : QByteArray(), ok);
    });
}

void RendererClient::call(const RendererInfo &renderer, Service service, const QString &action,
                          const QList<QPair<QString, QString>> &arguments, const Callback &done)
{
    const RendererDescription::Service &target = serviceOf(renderer, service);
    if (!target.isValid()) {
        RendererSoap::Reply reply;
        reply.errorDescription = serviceName(service) + QStringLiteral(" not offered");
        done(reply, true);
        return;
    }
    QNetworkRequest request = requestFor(target.controlUrl, m_timeoutMs);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("text/xml; charset=\"utf-8\""));
    request.setRawHeader("SOAPAction",
                         '"' + target.type.toLatin1() + '#' + action.toLatin1() + '"');
    QNetworkReply *reply =
        send(m_network->post(request, RendererSoap::request(target.type, action, arguments)),
             RendererSoap::MaxReplySize);
    connect(reply, &QNetworkReply::finished, this, [reply, action, done] {
        reply->deleteLater();
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const bool reached = status.isValid() && status.toInt() > 0;
        const QByteArray body = reply->readAll();
        RendererSoap::Reply answer = RendererSoap::parseReply(body, action);
        if (answer.ok && status.toInt() != 200)
            answer.ok = false;
        done(answer, reached);
    });
}

void RendererClient::request(const QUrl &url, const QByteArray &method,
                             const QList<QPair<QByteArray, QByteArray>> &headers,
                             const HeadersCallback &done)
{
    QNetworkRequest request = requestFor(url, m_timeoutMs);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    // Such answers have no use for a body: a few bytes at most are taken.
    QNetworkReply *reply = send(m_network->sendCustomRequest(request, method), 4096);
    connect(reply, &QNetworkReply::finished, this, [reply, done] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        QHash<QByteArray, QByteArray> answer;
        for (const auto &[name, value] : reply->rawHeaderPairs())
            answer.insert(name.toLower(), value.trimmed());
        done(status, answer);
    });
}
