// What renderers send, read as untrusted input: descriptions (addresses kept
// on the announcing host, no document types, limits), LastChange events,
// SOAP answers and faults, sink lists and AVTransport times.
#include "tv/renderer/LastChange.h"
#include "tv/renderer/RendererDescription.h"
#include "tv/renderer/RendererSession.h"
#include "tv/renderer/RendererSoap.h"
#include "tv/renderer/SinkProtocols.h"

#include <QtTest>

namespace {

const QUrl location(QStringLiteral("http://192.168.1.20:49152/dev/desc.xml"));

QByteArray description(const QByteArray &services, const QByteArray &extra = {},
                       const QByteArray &type = "urn:schemas-upnp-org:device:MediaRenderer:1")
{
    return "<?xml version=\"1.0\"?>" + extra +
           "<root xmlns=\"urn:schemas-upnp-org:device-1-0\"><device><deviceType>" + type +
           "</deviceType><friendlyName>Den</friendlyName><UDN>uuid:abc</UDN><serviceList>" +
           services + "</serviceList></device></root>";
}

QByteArray service(const QByteArray &name, const QByteArray &control)
{
    return "<service><serviceType>urn:schemas-upnp-org:service:" + name +
           ":1</serviceType><controlURL>" + control + "</controlURL></service>";
}

} // namespace

class TestRendererParsers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void descriptions_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("avTransport");
        QTest::addColumn<QString>("renderingControl");
        QTest::newRow("relative addresses")
            << description(service("AVTransport", "avt/ctl") + service("RenderingControl", "/rc"))
            << true << QStringLiteral("http://192.168.1.20:49152/dev/avt/ctl")
            << QStringLiteral("http://192.168.1.20:49152/rc");
        QTest::newRow("absolute on the same host")
            << description(service("AVTransport", "http://192.168.1.20:49152/a")) << true
            << QStringLiteral("http://192.168.1.20:49152/a") << QString();
        QTest::newRow("another host is not contacted")
            << description(service("AVTransport", "http://192.168.1.99:49152/a")) << false
            << QString() << QString();
        QTest::newRow("another port is not contacted")
            << description(service("AVTransport", "/a") +
                           service("RenderingControl", "http://192.168.1.20:80/rc"))
            << true << QStringLiteral("http://192.168.1.20:49152/a") << QString();
        QTest::newRow("scheme other than http")
            << description(service("AVTransport", "file:///etc/passwd")) << false << QString()
            << QString();
        QTest::newRow("URLBase elsewhere refused")
            << description(service("AVTransport", "a"), {})
                   .replace("<device>", "<URLBase>http://10.1.1.1/</URLBase><device>")
            << false << QString() << QString();
        QTest::newRow("no AVTransport")
            << description(service("RenderingControl", "/rc")) << false << QString() << QString();
        QTest::newRow("a media server, not a renderer")
            << description(service("AVTransport", "/a"), {},
                           "urn:schemas-upnp-org:device:MediaServer:1")
            << false << QString() << QString();
        QTest::newRow("document type (entities) refused")
            << description(service("AVTransport", "/a"), "<!DOCTYPE root [<!ENTITY x \"y\">]>")
            << false << QString() << QString();
        QTest::newRow("malformed") << description(service("AVTransport", "/a")).chopped(3) << false
                                   << QString() << QString();
        QTest::newRow("too large")
            << description(service("AVTransport", "/a"),
                           "<!--" + QByteArray(RendererDescription::MaxSize, 'x') + "-->")
            << false << QString() << QString();
        QTest::newRow("nested too deep")
            << description(service("AVTransport", "/a") + QByteArray("<a>").repeated(40) +
                           QByteArray("</a>").repeated(40))
            << false << QString() << QString();
    }

    void descriptions()
    {
        QFETCH(QByteArray, xml);
        QFETCH(bool, accepted);
        QFETCH(QString, avTransport);
        QFETCH(QString, renderingControl);
        RendererDescription parsed;
        QCOMPARE(RendererDescription::parse(xml, location, &parsed), accepted);
        if (!accepted)
            return;
        QCOMPARE(parsed.udn, QStringLiteral("uuid:abc"));
        QCOMPARE(parsed.friendlyName, QStringLiteral("Den"));
        QCOMPARE(parsed.avTransport.controlUrl.toString(), avTransport);
        QCOMPARE(parsed.avTransport.type,
                 QStringLiteral("urn:schemas-upnp-org:service:AVTransport:1"));
        QCOMPARE(parsed.renderingControl.controlUrl.toString(), renderingControl);
    }

    void embeddedRenderer()
    {
        const QByteArray xml =
            "<root><device><deviceType>urn:schemas-upnp-org:device:Basic:1</deviceType>"
            "<UDN>uuid:outer</UDN><deviceList><device><deviceType>"
            "urn:schemas-upnp-org:device:MediaRenderer:1</deviceType><UDN>uuid:inner</UDN>"
            "<friendlyName>Inner</friendlyName><serviceList>" +
            service("AVTransport", "/x") + "</serviceList></device></deviceList></device></root>";
        RendererDescription parsed;
        QVERIFY(RendererDescription::parse(xml, location, &parsed));
        QCOMPARE(parsed.udn, QStringLiteral("uuid:inner"));
        QCOMPARE(parsed.friendlyName, QStringLiteral("Inner"));
    }

    void lastChange_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("volume");
        QTest::newRow("transport")
            << QByteArray("<Event xmlns=\"urn:schemas-upnp-org:metadata-1-0/AVT/\"><InstanceID "
                          "val=\"0\"><TransportState val=\"PLAYING\"/></InstanceID><InstanceID "
                          "val=\"1\"><TransportState val=\"STOPPED\"/></InstanceID></Event>")
            << true << QStringLiteral("PLAYING") << QString();
        QTest::newRow("volume by channel")
            << QByteArray("<Event><InstanceID val=\"0\"><Volume channel=\"LF\" val=\"3\"/>"
                          "<Volume channel=\"Master\" val=\"40\"/></InstanceID></Event>")
            << true << QString() << QStringLiteral("40");
        QTest::newRow("not an event") << QByteArray("<Foo/>") << false << QString() << QString();
        QTest::newRow("document type") << QByteArray("<!DOCTYPE Event [<!ENTITY a \"b\">]><Event/>")
                                       << false << QString() << QString();
        QByteArray many = "<Event><InstanceID val=\"0\">";
        for (int i = 0; i <= LastChange::MaxVariables; ++i)
            many += "<V" + QByteArray::number(i) + " val=\"1\"/>";
        QTest::newRow("too many variables")
            << many + "</InstanceID></Event>" << false << QString() << QString();
    }

    void lastChange()
    {
        QFETCH(QByteArray, xml);
        QFETCH(bool, accepted);
        QFETCH(QString, state);
        QFETCH(QString, volume);
        QHash<QString, QString> variables;
        QCOMPARE(LastChange::parse(xml, &variables), accepted);
        QCOMPARE(variables.value(QStringLiteral("TransportState")), state);
        QCOMPARE(variables.value(QStringLiteral("Volume")), volume);
    }

    void propertySet()
    {
        const QByteArray body =
            "<e:propertyset xmlns:e=\"urn:schemas-upnp-org:event-1-0\"><e:property><LastChange>"
            "&lt;Event&gt;&lt;InstanceID val=\"0\"&gt;&lt;TransportState "
            "val=\"PAUSED_PLAYBACK\"/&gt;&lt;/InstanceID&gt;&lt;/Event&gt;</LastChange>"
            "</e:property></e:propertyset>";
        QByteArray inner;
        QVERIFY(LastChange::valueOfPropertySet(body, &inner));
        QHash<QString, QString> variables;
        QVERIFY(LastChange::parse(inner, &variables));
        QCOMPARE(variables.value(QStringLiteral("TransportState")),
                 QStringLiteral("PAUSED_PLAYBACK"));
    }

    void soapReplies()
    {
        const RendererSoap::Reply ok = RendererSoap::parseReply(
            "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>"
            "<u:GetVolumeResponse xmlns:u=\"x\"><CurrentVolume>7</CurrentVolume>"
            "</u:GetVolumeResponse></s:Body></s:Envelope>",
            QStringLiteral("GetVolume"));
        QVERIFY(ok.ok);
        QCOMPARE(ok.arguments.value(QStringLiteral("CurrentVolume")), QStringLiteral("7"));
        // The answer to another action is not this one's.
        QVERIFY(!RendererSoap::parseReply(
                     "<s:Envelope xmlns:s=\"s\" xmlns:u=\"u\"><s:Body><u:PlayResponse/></s:Body>"
                     "</s:Envelope>",
                     QStringLiteral("GetVolume"))
                     .ok);
        const RendererSoap::Reply fault = RendererSoap::parseReply(
            "<s:Envelope "
            "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/"
            "\"><s:Body><s:Fault><detail><UPnPError><errorCode>714</errorCode>"
            "<errorDescription>Illegal MIME-type</errorDescription></UPnPError></detail>"
            "</s:Fault></s:Body></s:Envelope>",
            QStringLiteral("SetAVTransportURI"));
        QVERIFY(!fault.ok);
        QCOMPARE(fault.errorCode, 714);
        QCOMPARE(fault.errorDescription, QStringLiteral("Illegal MIME-type"));
        QVERIFY(!RendererSoap::parseReply("<!DOCTYPE s [<!ENTITY a \"b\">]><s:Envelope/>",
                                          QStringLiteral("Play"))
                     .ok);
        // Our request escapes what it carries.
        const QByteArray request = RendererSoap::request(
            QStringLiteral("urn:schemas-upnp-org:service:AVTransport:1"),
            QStringLiteral("SetAVTransportURI"),
            {{QStringLiteral("CurrentURIMetaData"), QStringLiteral("<DIDL-Lite>&</DIDL-Lite>")}});
        QVERIFY(request.contains(
            "<CurrentURIMetaData>&lt;DIDL-Lite&gt;&amp;&lt;/DIDL-Lite&gt;</CurrentURIMetaData>"));
    }

    void sinks_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("protocolInfo");
        QTest::addColumn<bool>("accepted");
        const QString mp4 = QStringLiteral("http-get:*:video/mp4:DLNA.ORG_PN=AVC_MP4_BL");
        QTest::newRow("exact") << QStringLiteral("http-get:*:video/mp4:*") << mp4 << true;
        QTest::newRow("case and spaces")
            << QStringLiteral(" http-get:*:VIDEO/MP4:* ,x") << mp4 << true;
        QTest::newRow("wildcard type") << QStringLiteral("http-get:*:video/*:*") << mp4 << true;
        QTest::newRow("other type") << QStringLiteral("http-get:*:video/mpeg:*") << mp4 << false;
        QTest::newRow("rtsp only") << QStringLiteral("rtsp-rtp-udp:*:video/mp4:*") << mp4 << false;
        QTest::newRow("no list: anything") << QString() << mp4 << true;
    }

    void sinks()
    {
        QFETCH(QString, list);
        QFETCH(QString, protocolInfo);
        QFETCH(bool, accepted);
        QCOMPARE(SinkProtocols(list).accepts(protocolInfo), accepted);
    }

    void times_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("ms");
        QTest::newRow("plain") << QStringLiteral("0:12:34") << qint64(754000);
        QTest::newRow("fraction") << QStringLiteral("1:00:00.500") << qint64(3600500);
        QTest::newRow("not implemented") << QStringLiteral("NOT_IMPLEMENTED") << qint64(-1);
        QTest::newRow("minutes out of range") << QStringLiteral("0:75:00") << qint64(-1);
        QTest::newRow("negative") << QStringLiteral("-1:00:00") << qint64(-1);
    }

    void times()
    {
        QFETCH(QString, text);
        QFETCH(qint64, ms);
        QCOMPARE(RendererSession::parseTime(text), ms);
        if (ms >= 0)
            QCOMPARE(RendererSession::parseTime(RendererSession::timeText(ms)), ms / 1000 * 1000);
    }
};

QTEST_GUILESS_MAIN(TestRendererParsers)
#include "tst_rendererparsers.moc"
