#pragma once

// A MediaRenderer of our own for tests and benchmarks, inside a private
// network namespace: it answers M-SEARCH on the SSDP group, serves its
// description and plays a script for AVTransport, RenderingControl and
// ConnectionManager (which sink list it tells, what SetAVTransportURI
// answers, whether it ever plays), keeping what it was sent. Control points
// may subscribe to the events of AVTransport and RenderingControl; changes
// of the state, the volume and the mute are sent to them as LastChange.

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QUrl>
#include <QUuid>

#include <memory>

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
    QString mute = QStringLiteral("0");
    // Events: whether SUBSCRIBE is taken, the time granted, what came.
    bool events = true;
    int eventTimeoutS = 1800;
    int subscribes = 0;
    int renewals = 0;
    int unsubscribes = 0;

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
    bool subscribed(const QByteArray &service) const { return m_subscribers.contains(service); }
    QUrl callback(const QByteArray &service) const { return m_subscribers.value(service).callback; }
    // A NOTIFY to the subscriber of "avt" or "rc": `body` as it is, the
    // subscription's SID and next SEQ unless given. The status the
    // subscriber answered comes into the result (-1 while none, 0 when the
    // connection closed without one).
    std::shared_ptr<int> notify(const QByteArray &service, const QByteArray &body,
                                const QByteArray &sid = {}, qint64 seq = -1)
    {
        auto status = std::make_shared<int>(-1);
        if (!m_subscribers.contains(service)) {
            *status = 0;
            return status;
        }
        Subscriber &subscriber = m_subscribers[service];
        const QUrl to = subscriber.callback;
        const QByteArray request =
            "NOTIFY " + to.path(QUrl::FullyEncoded).toLatin1() +
            " HTTP/1.1\r\nHOST: " + to.authority().toLatin1() +
            "\r\nCONTENT-TYPE: text/xml; charset=\"utf-8\"\r\nCONTENT-LENGTH: " +
            QByteArray::number(body.size()) +
            "\r\nNT: upnp:event\r\nNTS: upnp:propchange\r\nSID: " +
            (sid.isEmpty() ? subscriber.sid : sid) +
            "\r\nSEQ: " + QByteArray::number(seq >= 0 ? quint32(seq) : subscriber.seq++) +
            "\r\n\r\n" + body;
        auto *socket = new QTcpSocket(this);
        connect(socket, &QTcpSocket::connected, socket,
                [socket, request] { socket->write(request); });
        connect(socket, &QTcpSocket::readyRead, socket, [socket, status] {
            const QByteArray line = socket->readLine();
            if (line.startsWith("HTTP/1."))
                *status = line.mid(9, 3).toInt();
        });
        connect(socket, &QTcpSocket::disconnected, socket, [socket, status] {
            if (*status < 0)
                *status = 0;
            socket->deleteLater();
        });
        connect(socket, &QTcpSocket::errorOccurred, socket, [socket, status] {
            if (*status < 0)
                *status = 0;
            socket->deleteLater();
        });
        socket->connectToHost(to.host(), quint16(to.port()));
        return status;
    }
    // The body of an event that tells `variables` (LastChange elements).
    static QByteArray propertySet(const QByteArray &service, const QByteArray &variables)
    {
        QByteArray event = "<Event xmlns=\"urn:schemas-upnp-org:metadata-1-0/" +
                           QByteArray(service == "rc" ? "RCS" : "AVT") +
                           "/\"><InstanceID val=\"0\">" + variables + "</InstanceID></Event>";
        event.replace('&', "&amp;")
            .replace('<', "&lt;")
            .replace('>', "&gt;")
            .replace('"', "&quot;");
        return "<?xml version=\"1.0\"?><e:propertyset xmlns:e=\"urn:schemas-upnp-org:event-1-0\">"
               "<e:property><LastChange>" +
               event + "</LastChange></e:property></e:propertyset>";
    }
    // The TV's own remote changed the state.
    void changeState(const QString &newState)
    {
        state = newState;
        tell("avt", "<TransportState val=\"" + state.toLatin1() + "\"/>");
    }
    // The TV's own remote changed the volume.
    void changeVolume(const QString &newVolume)
    {
        volume = newVolume;
        tell("rc", "<Volume channel=\"Master\" val=\"" + volume.toLatin1() + "\"/>");
    }
    void changeMute(const QString &newMute)
    {
        mute = newMute;
        tell("rc", "<Mute channel=\"Master\" val=\"" + mute.toLatin1() + "\"/>");
    }
    void vanish()
    {
        m_subscribers.clear();
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
    struct Subscriber
    {
        QUrl callback;
        QByteArray sid;
        quint32 seq = 0;
    };

    void tell(const QByteArray &service, const QByteArray &variables)
    {
        if (m_subscribers.contains(service))
            notify(service, propertySet(service, variables));
    }
    static QByteArray header(const QByteArray &head, const char *name)
    {
        return QRegularExpression(
                   QStringLiteral("(?i)\\n%1:\\s*([^\\r\\n]*)").arg(QLatin1String(name)))
            .match(QString::fromLatin1(head))
            .captured(1)
            .trimmed()
            .toLatin1();
    }
    // SUBSCRIBE (new or renewal) and UNSUBSCRIBE on "/avt/event" and "/rc/event".
    int subscription(const QByteArray &head, QByteArray *headers, QByteArray *initial)
    {
        const QByteArray path = head.split(' ').value(1);
        const QByteArray service = path.startsWith("/avt/") ? "avt" : "rc";
        if (path != "/" + service + "/event")
            return 404;
        const QByteArray sid = header(head, "SID");
        if (head.startsWith("UNSUBSCRIBE ")) {
            if (sid.isEmpty() || m_subscribers.value(service).sid != sid)
                return 412;
            m_subscribers.remove(service);
            ++unsubscribes;
            return 200;
        }
        if (!events)
            return 503;
        if (!sid.isEmpty()) {
            if (m_subscribers.value(service).sid != sid)
                return 412;
            ++renewals;
        } else {
            const QByteArray callback = header(head, "CALLBACK");
            if (header(head, "NT") != "upnp:event" || !callback.startsWith('<'))
                return 412;
            Subscriber subscriber;
            subscriber.callback =
                QUrl(QString::fromLatin1(callback.mid(1, callback.indexOf('>') - 1)));
            subscriber.sid = "uuid:" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
            m_subscribers.insert(service, subscriber);
            ++subscribes;
            *initial = service;
        }
        *headers = "SID: " + m_subscribers.value(service).sid + "\r\nTIMEOUT: Second-" +
                   QByteArray::number(eventTimeoutS) + "\r\n";
        return 200;
    }
    void sendInitialEvent(const QByteArray &service)
    {
        if (service == "avt")
            tell(service, "<TransportState val=\"" + state.toLatin1() +
                              "\"/><CurrentTrackDuration val=\"0:01:00\"/>");
        else
            tell(service, "<Volume channel=\"Master\" val=\"" + volume.toLatin1() +
                              "\"/><Mute channel=\"Master\" val=\"" + mute.toLatin1() + "\"/>");
    }
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
            changeState(QStringLiteral("STOPPED"));
            return reply(action, "AVTransport", {});
        }
        if (action == "Play") {
            if (!playSeen.isValid())
                playSeen.start();
            changeState(plays ? QStringLiteral("PLAYING") : QStringLiteral("TRANSITIONING"));
            return reply(action, "AVTransport", {});
        }
        if (action == "Pause" || action == "Stop") {
            changeState(action == "Pause" ? QStringLiteral("PAUSED_PLAYBACK")
                                          : QStringLiteral("STOPPED"));
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
            changeVolume(argument(body, QStringLiteral("DesiredVolume")));
            return reply(action, "RenderingControl", {});
        }
        if (action == "SetMute") {
            changeMute(argument(body, QStringLiteral("DesiredMute")));
            return reply(action, "RenderingControl", {});
        }
        if (action == "GetMute")
            return reply(action, "RenderingControl",
                         "<CurrentMute>" + mute.toLatin1() + "</CurrentMute>");
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
        QByteArray headers = "Content-Type: text/xml; charset=\"utf-8\"\r\n";
        QByteArray initial;
        if (head.startsWith("SUBSCRIBE ") || head.startsWith("UNSUBSCRIBE ")) {
            status = subscription(head, &headers, &initial);
        } else if (head.startsWith("GET /desc.xml")) {
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
                      (status == 200 ? " OK" : " Error") + "\r\n" + headers + "Content-Length: " +
                      QByteArray::number(content.size()) + "\r\n\r\n" + content);
        if (!initial.isEmpty())
            sendInitialEvent(initial);
    }

    QTcpServer m_http;
    QUdpSocket m_ssdp;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QHash<QByteArray, Subscriber> m_subscribers;
};
