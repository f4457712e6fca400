#pragma once

// A MediaRenderer of our own for tests and benchmarks, inside a private
// network namespace: it answers M-SEARCH on the SSDP group, serves its
// description and plays a script for AVTransport, RenderingControl and
// ConnectionManager (which sink list it tells, what SetAVTransportURI
// answers, whether it ever plays), keeping what it was sent.

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

namespace ScriptedRendererIds {
inline const QString rendererId = QStringLiteral("0f0e0d0c-1111-2222-3333-444455556666");
inline const QHostAddress group()
{
    return QHostAddress(QStringLiteral("239.255.255.250"));
}
} // namespace ScriptedRendererIds

class ScriptedRenderer : public QObject
{
public:
    static QByteArray type() { return "urn:schemas-upnp-org:device:MediaRenderer:1"; }
    // When Play came in (for benchmarks).
    QElapsedTimer playSeen;

    QString sinks = QStringLiteral("http-get:*:video/mp4:*,http-get:*:audio/mpeg:*");
    int uriFault = 0; // UPnP error for SetAVTransportURI
    bool plays = true;
    QString state = QStringLiteral("NO_MEDIA_PRESENT");
    QStringList actions;
    QString uri;
    QString metadata;
    QString seekTarget;
    QString volume = QStringLiteral("50");

    bool start()
    {
        if (!m_http.listen(QHostAddress::LocalHost))
            return false;
        connect(&m_http, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_http.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        if (!m_ssdp.bind(QHostAddress::AnyIPv4, 1900,
                         QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint) ||
            !m_ssdp.joinMulticastGroup(ScriptedRendererIds::group()))
            return false;
        connect(&m_ssdp, &QUdpSocket::readyRead, this, [this] {
            while (m_ssdp.hasPendingDatagrams()) {
                const QNetworkDatagram datagram = m_ssdp.receiveDatagram();
                if (datagram.data().startsWith("M-SEARCH") &&
                    datagram.data().contains(ScriptedRenderer::type()))
                    m_ssdp.writeDatagram(answer("HTTP/1.1 200 OK", "ST"), datagram.senderAddress(),
                                         quint16(datagram.senderPort()));
            }
        });
        return true;
    }
    void vanish()
    {
        m_http.close();
        for (QTcpSocket *socket : m_http.findChildren<QTcpSocket *>())
            socket->abort();
    }
    void sayGoodbye()
    {
        QUdpSocket sender;
        sender.writeDatagram(
            "NOTIFY * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nNT: " + ScriptedRenderer::type() +
                "\r\nNTS: ssdp:byebye\r\nUSN: uuid:" + ScriptedRendererIds::rendererId.toLatin1() +
                "::" + ScriptedRenderer::type() + "\r\n\r\n",
            ScriptedRendererIds::group(), 1900);
    }

private:
    QByteArray location() const
    {
        return "http://127.0.0.1:" + QByteArray::number(m_http.serverPort()) + "/desc.xml";
    }
    QByteArray answer(const QByteArray &startLine, const QByteArray &typeHeader) const
    {
        return startLine + "\r\nCACHE-CONTROL: max-age=1800\r\nEXT:\r\nLOCATION: " + location() +
               "\r\nSERVER: Linux UPnP/1.0 Scripted/1\r\n" + typeHeader + ": " +
               ScriptedRenderer::type() +
               "\r\nUSN: uuid:" + ScriptedRendererIds::rendererId.toLatin1() +
               "::" + ScriptedRenderer::type() + "\r\n\r\n";
    }
    static QByteArray service(const QByteArray &name, const QByteArray &path)
    {
        return "<service><serviceType>urn:schemas-upnp-org:service:" + name +
               ":1</serviceType><serviceId>urn:upnp-org:serviceId:" + name +
               "</serviceId><SCPDURL>/" + path + ".xml</SCPDURL><controlURL>/" + path +
               "/control</controlURL><eventSubURL>/" + path + "/event</eventSubURL></service>";
    }
    QByteArray description() const
    {
        return "<?xml version=\"1.0\"?><root xmlns=\"urn:schemas-upnp-org:device-1-0\">"
               "<specVersion><major>1</major><minor>0</minor></specVersion><device>"
               "<deviceType>" +
               ScriptedRenderer::type() +
               "</deviceType><friendlyName>Scripted TV</friendlyName>"
               "<manufacturer>Us</manufacturer><modelName>Script</modelName><UDN>uuid:" +
               ScriptedRendererIds::rendererId.toLatin1() + "</UDN><serviceList>" +
               service("AVTransport", "avt") + service("RenderingControl", "rc") +
               service("ConnectionManager", "cm") + "</serviceList></device></root>";
    }
    static QString argument(const QByteArray &body, const QString &name)
    {
        const QRegularExpression pattern(QStringLiteral("<%1>(.*)</%1>").arg(name),
                                         QRegularExpression::DotMatchesEverythingOption);
        QString value = pattern.match(QString::fromUtf8(body)).captured(1);
        value.replace(QLatin1String("&lt;"), QLatin1String("<"));
        value.replace(QLatin1String("&gt;"), QLatin1String(">"));
        value.replace(QLatin1String("&quot;"), QLatin1String("\""));
        return value.replace(QLatin1String("&amp;"), QLatin1String("&"));
    }
    static QByteArray reply(const QByteArray &action, const QByteArray &service,
                            const QByteArray &arguments)
    {
        return "<?xml version=\"1.0\"?><s:Envelope "
               "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body><u:" +
               action + "Response xmlns:u=\"urn:schemas-upnp-org:service:" + service + ":1\">" +
               arguments + "</u:" + action + "Response></s:Body></s:Envelope>";
    }
    static QByteArray fault(int code)
    {
        return "<?xml version=\"1.0\"?><s:Envelope "
               "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body><s:Fault>"
               "<faultcode>s:Client</faultcode><faultstring>UPnPError</faultstring><detail>"
               "<UPnPError xmlns=\"urn:schemas-upnp-org:control-1-0\"><errorCode>" +
               QByteArray::number(code) +
               "</errorCode><errorDescription>Illegal MIME-type</errorDescription>"
               "</UPnPError></detail></s:Fault></s:Body></s:Envelope>";
    }
    QByteArray soap(const QByteArray &soapAction, const QByteArray &body, int *status)
    {
        const QByteArray action = soapAction.mid(soapAction.indexOf('#') + 1).replace('"', "");
        actions.append(QString::fromLatin1(action));
        *status = 200;
        if (action == "GetProtocolInfo")
            return reply(action, "ConnectionManager",
                         "<Source></Source><Sink>" + sinks.toUtf8() + "</Sink>");
        if (action == "SetAVTransportURI") {
            if (uriFault) {
                *status = 500;
                return fault(uriFault);
            }
            uri = argument(body, QStringLiteral("CurrentURI"));
            metadata = argument(body, QStringLiteral("CurrentURIMetaData"));
            state = QStringLiteral("STOPPED");
            return reply(action, "AVTransport", {});
        }
        if (action == "Play") {
            if (!playSeen.isValid())
                playSeen.start();
            state = plays ? QStringLiteral("PLAYING") : QStringLiteral("TRANSITIONING");
            return reply(action, "AVTransport", {});
        }
        if (action == "Pause" || action == "Stop") {
            state =
                action == "Pause" ? QStringLiteral("PAUSED_PLAYBACK") : QStringLiteral("STOPPED");
            return reply(action, "AVTransport", {});
        }
        if (action == "Seek") {
            seekTarget = argument(body, QStringLiteral("Target"));
            return reply(action, "AVTransport", {});
        }
        if (action == "GetTransportInfo")
            return reply(action, "AVTransport",
                         "<CurrentTransportState>" + state.toLatin1() +
                             "</CurrentTransportState><CurrentTransportStatus>OK"
                             "</CurrentTransportStatus><CurrentSpeed>1</CurrentSpeed>");
        if (action == "GetPositionInfo")
            return reply(
                action, "AVTransport",
                "<Track>1</Track><TrackDuration>0:01:00</TrackDuration><RelTime>" +
                    (seekTarget.isEmpty() ? QByteArray("0:00:03") : seekTarget.toLatin1()) +
                    "</RelTime>");
        if (action == "SetVolume") {
            volume = argument(body, QStringLiteral("DesiredVolume"));
            return reply(action, "RenderingControl", {});
        }
        if (action == "GetVolume")
            return reply(action, "RenderingControl",
                         "<CurrentVolume>" + volume.toLatin1() + "</CurrentVolume>");
        *status = 500;
        return fault(401);
    }
    void serve(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray head = buffer.left(end);
        const QByteArray length =
            QRegularExpression(QStringLiteral("(?i)content-length:\\s*(\\d+)"))
                .match(QString::fromLatin1(head))
                .captured(1)
                .toLatin1();
        if (buffer.size() < end + 4 + length.toInt())
            return;
        const QByteArray body = buffer.mid(end + 4, length.toInt());
        buffer.clear();
        int status = 200;
        QByteArray content;
        if (head.startsWith("GET /desc.xml")) {
            content = description();
        } else if (head.startsWith("POST ")) {
            const QByteArray soapAction =
                QRegularExpression(QStringLiteral("(?i)soapaction:\\s*([^\\r\\n]+)"))
                    .match(QString::fromLatin1(head))
                    .captured(1)
                    .toLatin1();
            content = soap(soapAction, body, &status);
        } else {
            status = 404;
        }
        socket->write("HTTP/1.1 " + QByteArray::number(status) +
                      (status == 200 ? " OK" : " Error") +
                      "\r\nContent-Type: text/xml; charset=\"utf-8\"\r\nContent-Length: " +
                      QByteArray::number(content.size()) + "\r\n\r\n" + content);
    }

    QTcpServer m_http;
    QUdpSocket m_ssdp;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};
