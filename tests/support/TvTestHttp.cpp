#include "TvTestHttp.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <QXmlStreamReader>

namespace TvTestHttp {

const char *const contentDirectory = "urn:schemas-upnp-org:service:ContentDirectory:1";

Reply request(const QByteArray &verb, const QUrl &url, const Headers &headers,
              const QByteArray &body)
{
    // One per thread (a test may browse from a thread of its own); kept
    // until the process ends.
    thread_local QNetworkAccessManager *manager = [] {
        auto *m = new QNetworkAccessManager;
        m->setProxy(QNetworkProxy::NoProxy);
        return m;
    }();
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    for (const auto &header : headers)
        request.setRawHeader(header.first, header.second);
    QNetworkReply *reply =
        verb == "HEAD" ? manager->head(request) : manager->sendCustomRequest(request, verb, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    Reply result;
    if (reply->isFinished()) {
        result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        result.body = reply->readAll();
        for (const auto &pair : reply->rawHeaderPairs())
            result.headers.insert(pair.first.toLower(), pair.second);
    }
    reply->abort();
    reply->deleteLater();
    return result;
}

Reply soap(const QUrl &control, const QString &serviceType, const QString &action,
           const QList<QPair<QString, QString>> &arguments, const Headers &headers)
{
    QString body = QStringLiteral("<?xml version=\"1.0\"?><s:Envelope "
                                  "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\">"
                                  "<s:Body><u:%1 xmlns:u=\"%2\">")
                       .arg(action, serviceType);
    for (const auto &argument : arguments)
        body += QStringLiteral("<%1>%2</%1>").arg(argument.first, argument.second.toHtmlEscaped());
    body += QStringLiteral("</u:%1></s:Body></s:Envelope>").arg(action);
    Headers all = headers;
    all.append(qMakePair(QByteArray("Content-Type"), QByteArray("text/xml; charset=\"utf-8\"")));
    all.append(qMakePair(QByteArray("SOAPAction"),
                         '"' + serviceType.toUtf8() + '#' + action.toUtf8() + '"'));
    return request("POST", control, all, body.toUtf8());
}

QHash<QString, QString> soapArguments(const QByteArray &envelope)
{
    QHash<QString, QString> arguments;
    QXmlStreamReader xml(envelope);
    int depth = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (++depth == 4) {
                const QString name = xml.name().toString();
                arguments.insert(name, xml.readElementText());
                --depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    return arguments;
}

int upnpError(const QByteArray &envelope)
{
    QXmlStreamReader xml(envelope);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("errorCode"))
            return xml.readElementText().toInt();
    }
    return 0;
}

QList<DidlEntry> parseDidl(const QString &didl, bool *ok)
{
    QList<DidlEntry> entries;
    QXmlStreamReader xml(didl);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const QStringView name = xml.name();
        if (name == QLatin1String("container") || name == QLatin1String("item")) {
            DidlEntry entry;
            entry.container = name == QLatin1String("container");
            entry.id = xml.attributes().value(QStringLiteral("id")).toString();
            entry.parentId = xml.attributes().value(QStringLiteral("parentID")).toString();
            entries.append(entry);
        } else if (!entries.isEmpty() && name == QLatin1String("title")) {
            entries.last().title = xml.readElementText();
        } else if (!entries.isEmpty() && name == QLatin1String("class")) {
            entries.last().upnpClass = xml.readElementText();
        } else if (!entries.isEmpty() && name == QLatin1String("res")) {
            if (entries.last().urls.isEmpty()) {
                entries.last().size = xml.attributes().value(QStringLiteral("size")).toString();
                entries.last().duration =
                    xml.attributes().value(QStringLiteral("duration")).toString();
            }
            entries.last().protocolInfos.append(
                xml.attributes().value(QStringLiteral("protocolInfo")).toString());
            entries.last().urls.append(xml.readElementText());
        }
    }
    if (ok)
        *ok = !xml.hasError();
    return entries;
}

QList<DidlEntry> browse(const QUrl &control, const QString &objectId, const QString &flag,
                        int start, int count, const Headers &headers,
                        QHash<QString, QString> *arguments)
{
    const Reply reply =
        soap(control, QString::fromLatin1(contentDirectory), QStringLiteral("Browse"),
             {{QStringLiteral("ObjectID"), objectId},
              {QStringLiteral("BrowseFlag"), flag},
              {QStringLiteral("Filter"), QStringLiteral("*")},
              {QStringLiteral("StartingIndex"), QString::number(start)},
              {QStringLiteral("RequestedCount"), QString::number(count)},
              {QStringLiteral("SortCriteria"), QString()}},
             headers);
    const QHash<QString, QString> values = soapArguments(reply.body);
    if (arguments)
        *arguments = values;
    return parseDidl(values.value(QStringLiteral("Result")));
}

QList<QByteArray> collectDatagrams(QUdpSocket &socket, int ms, int count)
{
    return collectDatagrams(
        socket, ms, [count](const QList<QByteArray> &came) { return came.size() >= count; });
}

QList<QByteArray> collectDatagrams(QUdpSocket &socket, int ms,
                                   const std::function<bool(const QList<QByteArray> &)> &enough)
{
    QList<QByteArray> datagrams;
    const auto receive = [&] {
        while (socket.hasPendingDatagrams())
            datagrams.append(socket.receiveDatagram().data());
    };
    // The sender may work in this thread's event loop: it keeps running.
    QTest::qWaitFor(
        [&] {
            receive();
            return enough(datagrams);
        },
        TestSupport::SlowWaitMs);
    // A surplus has nothing later to wait for (answers are spread over a
    // search's delay on purpose): it is watched for the caller's window.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QTest::qWait(20);
        receive();
    }
    return datagrams;
}

} // namespace TvTestHttp
