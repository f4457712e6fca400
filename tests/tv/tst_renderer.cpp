// The control point against a scripted renderer of our own, inside a private
// network namespace: discovery and the sink list, the pushed resource and
// its metadata, the resume place, refusals, a renderer that never starts,
// one that vanishes and one that says goodbye.
#include "TestSupport.h"

#include "tv/renderer/RendererFinder.h"
#include "tv/renderer/RendererSession.h"

#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

namespace {

const QString rendererId = QStringLiteral("0f0e0d0c-1111-2222-3333-444455556666");
const QHostAddress group(QStringLiteral("239.255.255.250"));

// A MediaRenderer that answers M-SEARCH and plays a script: which sink list
// it tells, what SetAVTransportURI answers, whether it ever plays.
class ScriptedRenderer : public QObject
{
public:
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
            !m_ssdp.joinMulticastGroup(group))
            return false;
        connect(&m_ssdp, &QUdpSocket::readyRead, this, [this] {
            while (m_ssdp.hasPendingDatagrams()) {
                const QNetworkDatagram datagram = m_ssdp.receiveDatagram();
                if (datagram.data().startsWith("M-SEARCH") &&
                    datagram.data().contains(RendererFinder::rendererType.toLatin1()))
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
        sender.writeDatagram("NOTIFY * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nNT: " +
                                 RendererFinder::rendererType.toLatin1() +
                                 "\r\nNTS: ssdp:byebye\r\nUSN: uuid:" + rendererId.toLatin1() +
                                 "::" + RendererFinder::rendererType.toLatin1() + "\r\n\r\n",
                             group, 1900);
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
               RendererFinder::rendererType.toLatin1() + "\r\nUSN: uuid:" + rendererId.toLatin1() +
               "::" + RendererFinder::rendererType.toLatin1() + "\r\n\r\n";
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
               RendererFinder::rendererType.toLatin1() +
               "</deviceType><friendlyName>Scripted TV</friendlyName>"
               "<manufacturer>Us</manufacturer><modelName>Script</modelName><UDN>uuid:" +
               rendererId.toLatin1() + "</UDN><serviceList>" + service("AVTransport", "avt") +
               service("RenderingControl", "rc") + service("ConnectionManager", "cm") +
               "</serviceList></device></root>";
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

CastMedia sampleMedia()
{
    CastMedia media;
    media.objectId = QStringLiteral("42");
    media.title = QStringLiteral("Holiday & friends");
    media.durationMs = 60000;
    UpnpDidlResource file;
    file.protocolInfo = QStringLiteral("http-get:*:video/mp4:DLNA.ORG_PN=AVC_MP4_BL_CIF15_AAC_520");
    file.url = QStringLiteral("http://127.0.0.1:1234/%25/42");
    file.duration = QStringLiteral("0:01:00.000");
    media.fileResources.append(file);
    media.converted.protocolInfo = QStringLiteral("http-get:*:video/mpeg:DLNA.ORG_PN=MPEG_PS_PAL");
    media.converted.url = QStringLiteral("http://127.0.0.1:1234/%25/CONVERTED/42");
    UpnpDidlResource subtitle;
    subtitle.protocolInfo = QStringLiteral("http-get:*:text/srt:*");
    subtitle.url = QStringLiteral("http://127.0.0.1:1234/%25/SUBTITLES/42/0.srt");
    media.subtitleResources.append(subtitle);
    media.captions.append({QStringLiteral("srt"), subtitle.url});
    return media;
}

} // namespace

class TestRenderer : public QObject
{
    Q_OBJECT

    // Finds the scripted renderer and returns it (invalid on failure).
    RendererInfo discover(RendererFinder &finder)
    {
        QSignalSpy added(&finder, &RendererFinder::rendererAdded);
        if (!finder.start())
            return {};
        QTimer again;
        connect(&again, &QTimer::timeout, &finder, &RendererFinder::search);
        again.start(2000);
        if (!QTest::qWaitFor([&] { return finder.renderer(rendererId).isValid(); },
                             TestSupport::SlowWaitMs))
            return {};
        return finder.renderer(rendererId);
    }

private Q_SLOTS:
    void discoveryAndSinks()
    {
        ScriptedRenderer renderer;
        QVERIFY(renderer.start());
        RendererFinder finder;
        const RendererInfo info = discover(finder);
        QVERIFY(info.isValid());
        QCOMPARE(info.name, QStringLiteral("Scripted TV"));
        QCOMPARE(info.address, QHostAddress(QHostAddress::LocalHost));
        QVERIFY(info.sinks.accepts(QStringLiteral("http-get:*:video/mp4:*")));
        QVERIFY(!info.sinks.accepts(QStringLiteral("http-get:*:video/mpeg:*")));
        QCOMPARE(finder.renderers().size(), 1);

        QSignalSpy removed(&finder, &RendererFinder::rendererRemoved);
        renderer.sayGoodbye();
        QTRY_COMPARE_WITH_TIMEOUT(removed.size(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(removed.first().first().toString(), rendererId);
        QVERIFY(finder.renderers().isEmpty());
    }

    void push_data()
    {
        QTest::addColumn<QString>("sinks");
        QTest::addColumn<qint64>("startMs");
        QTest::addColumn<QString>("expectedUrl");
        QTest::addColumn<QString>("expectedSeek");
        QTest::newRow("the file, from the start")
            << QStringLiteral("http-get:*:video/mp4:*") << qint64(0)
            << QStringLiteral("http://127.0.0.1:1234/%25/42") << QString();
        QTest::newRow("the file, at its resume place")
            << QStringLiteral("http-get:*:video/*:*") << qint64(754000)
            << QStringLiteral("http://127.0.0.1:1234/%25/42") << QStringLiteral("0:12:34");
        QTest::newRow("converted: mp4 not in the sink list")
            << QStringLiteral("http-get:*:video/mpeg:*,http-get:*:audio/mpeg:*") << qint64(0)
            << QStringLiteral("http://127.0.0.1:1234/%25/CONVERTED/42") << QString();
    }

    void push()
    {
        QFETCH(QString, sinks);
        QFETCH(qint64, startMs);
        QFETCH(QString, expectedUrl);
        QFETCH(QString, expectedSeek);
        ScriptedRenderer renderer;
        renderer.sinks = sinks;
        QVERIFY(renderer.start());
        RendererFinder finder;
        const RendererInfo info = discover(finder);
        QVERIFY(info.isValid());

        RendererSession session(info);
        session.setPollInterval(100);
        QSignalSpy started(&session, &RendererSession::started);
        QSignalSpy failed(&session, &RendererSession::failed);
        QSignalSpy positions(&session, &RendererSession::positionChanged);
        session.push(sampleMedia(), startMs);
        QTRY_VERIFY_WITH_TIMEOUT(started.size() == 1 || !failed.isEmpty(), TestSupport::SlowWaitMs);
        QVERIFY2(failed.isEmpty(), qPrintable(failed.value(0).value(0).toString()));
        QCOMPARE(renderer.uri, expectedUrl);
        QCOMPARE(renderer.seekTarget, expectedSeek);
        // The metadata: title, duration, the subtitle resource and caption element.
        QVERIFY(renderer.metadata.contains(
            QStringLiteral("<dc:title>Holiday &amp; friends</dc:title>")));
        QVERIFY(renderer.metadata.contains(QStringLiteral("duration=\"0:01:00.000\"")));
        QVERIFY(renderer.metadata.contains(QStringLiteral("text/srt")));
        QVERIFY(renderer.metadata.contains(QStringLiteral("<sec:CaptionInfoEx sec:type=\"srt\">")));
        QVERIFY(renderer.actions.indexOf(QStringLiteral("SetAVTransportURI")) <
                renderer.actions.indexOf(QStringLiteral("Play")));
        QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty(), TestSupport::SlowWaitMs);
        QCOMPARE(positions.last().at(1).toLongLong(), qint64(60000));
        QCOMPARE(positions.last().at(0).toLongLong(), startMs > 0 ? startMs : qint64(3000));

        // Control changes the renderer's state.
        QSignalSpy done(&session, &RendererSession::actionDone);
        session.pause();
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(renderer.state, QStringLiteral("PAUSED_PLAYBACK"));
        session.seek(90500);
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 2, TestSupport::SlowWaitMs);
        QCOMPARE(renderer.seekTarget, QStringLiteral("0:01:30"));
        session.setVolume(140);
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 3, TestSupport::SlowWaitMs);
        QCOMPARE(renderer.volume, QStringLiteral("100"));
        QSignalSpy finished(&session, &RendererSession::finished);
        session.stop();
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 4, TestSupport::SlowWaitMs);
        for (const QVariantList &answer : std::as_const(done))
            QVERIFY2(answer.at(1).toBool(), qPrintable(answer.at(2).toString()));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(finished.first().first().toLongLong(), qint64(90000));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("sinks");
        QTest::addColumn<int>("uriFault");
        QTest::addColumn<bool>("plays");
        QTest::addColumn<bool>("vanishes");
        QTest::addColumn<QString>("message");
        const QString mp4 = QStringLiteral("http-get:*:video/mp4:*");
        QTest::newRow("format refused (714)")
            << mp4 << 714 << true << false
            << QStringLiteral(
                   "The TV \"Scripted TV\" refused the video's format (UPnP error 714).");
        QTest::newRow("resource refused (716)")
            << mp4 << 716 << true << false
            << QStringLiteral(
                   "The TV \"Scripted TV\" refused the video's format (UPnP error 716).");
        QTest::newRow("no format it plays")
            << QStringLiteral("http-get:*:audio/mpeg:*") << 0 << true << false
            << QStringLiteral("The TV \"Scripted TV\" does not play this video's format.");
        QTest::newRow("never starts")
            << mp4 << 0 << false << false
            << QStringLiteral("The TV \"Scripted TV\" did not start playing within 2 seconds.");
        QTest::newRow("vanishes mid-play")
            << mp4 << 0 << true << true
            << QStringLiteral("The TV \"Scripted TV\" is no longer on the network.");
    }

    void failures()
    {
        QFETCH(QString, sinks);
        QFETCH(int, uriFault);
        QFETCH(bool, plays);
        QFETCH(bool, vanishes);
        QFETCH(QString, message);
        ScriptedRenderer renderer;
        renderer.sinks = sinks;
        renderer.uriFault = uriFault;
        renderer.plays = plays;
        QVERIFY(renderer.start());
        RendererFinder finder;
        const RendererInfo info = discover(finder);
        QVERIFY(info.isValid());
        RendererSession session(info);
        session.setPollInterval(100);
        session.setStartLimit(2000);
        QSignalSpy started(&session, &RendererSession::started);
        QSignalSpy failed(&session, &RendererSession::failed);
        session.push(sampleMedia());
        if (vanishes) {
            QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, TestSupport::SlowWaitMs);
            renderer.vanish();
        }
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(failed.first().first().toString(), message);
        if (!vanishes)
            QCOMPARE(started.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRenderer)
#include "tst_renderer.moc"
