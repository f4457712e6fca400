// zelta-cli's TV commands against a real renderer written by others
// (gmediarender), inside a private network namespace: it is listed, a pushed
// video is fetched from our server and played to its end, its volume is
// set, and the place reached is kept as the video's resume place; its events
// (GENA, LastChange) reach our listener and are renewed.
#include "TestSupport.h"

#include "tv/renderer/RendererEvents.h"
#include "tv/renderer/RendererFinder.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString rendererId = QStringLiteral("7e57e57e-0000-4000-8000-00000000beef");
const QString address = QStringLiteral("127.0.9.1");

QString cli()
{
    return TestSupport::builtProgram(QStringLiteral("zelta-cli"));
}

bool ip(const QStringList &args)
{
    return TestSupport::run(QStringLiteral("ip"), args) == 0;
}

// What the renderer answers to a SOAP action (the whole envelope).
QByteArray soap(const QString &service, const QString &path, const QString &action,
                const QString &arguments = QString())
{
    QByteArray out;
    const QString body =
        QStringLiteral("<?xml version=\"1.0\"?><s:Envelope "
                       "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body><u:%1 "
                       "xmlns:u=\"urn:schemas-upnp-org:service:%2:1\"><InstanceID>0</InstanceID>"
                       "%3</u:%1></s:Body></s:Envelope>")
            .arg(action, service, arguments);
    TestSupport::run(QStringLiteral("curl"),
                     {QStringLiteral("-s"), QStringLiteral("-H"),
                      QStringLiteral("Content-Type: text/xml; charset=\"utf-8\""),
                      QStringLiteral("-H"),
                      QStringLiteral("SOAPAction: \"urn:schemas-upnp-org:service:%1:1#%2\"")
                          .arg(service, action),
                      QStringLiteral("-d"), body,
                      QStringLiteral("http://%1:49494/upnp/control/%2").arg(address, path)},
                     &out);
    return out;
}

QString element(const QByteArray &xml, const QString &name)
{
    return QRegularExpression(QStringLiteral("<%1>([^<]*)</%1>").arg(name))
        .match(QString::fromUtf8(xml))
        .captured(1);
}

} // namespace

class TestRendererGmediarender : public QObject
{
    Q_OBJECT

    QProcess m_renderer;
    QByteArray m_rendererLog;

    // All the renderer has logged so far.
    const QByteArray &rendererLog()
    {
        m_rendererLog += m_renderer.readAll();
        return m_rendererLog;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // libupnp refuses the loopback interface: a veth pair with a loopback
        // address carries the renderer, and the SSDP group is routed on it.
        QVERIFY(ip({QStringLiteral("link"), QStringLiteral("add"), QStringLiteral("zr0"),
                    QStringLiteral("type"), QStringLiteral("veth"), QStringLiteral("peer"),
                    QStringLiteral("name"), QStringLiteral("zr1")}));
        QVERIFY(ip({QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("zr1"),
                    QStringLiteral("up")}));
        QVERIFY(ip({QStringLiteral("addr"), QStringLiteral("add"), address + QStringLiteral("/24"),
                    QStringLiteral("dev"), QStringLiteral("zr0")}));
        QVERIFY(ip({QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("zr0"),
                    QStringLiteral("multicast"), QStringLiteral("on"), QStringLiteral("up")}));
        QVERIFY(ip({QStringLiteral("route"), QStringLiteral("replace"),
                    QStringLiteral("239.0.0.0/8"), QStringLiteral("dev"), QStringLiteral("zr0")}));
        // Without video/mp4 in its sink list, so the converted stream is pushed.
        m_renderer.setProcessChannelMode(QProcess::MergedChannels);
        m_renderer.start(
            QStringLiteral("gmediarender"),
            {QStringLiteral("-f"), QStringLiteral("Living Room"), QStringLiteral("-u"), rendererId,
             QStringLiteral("-I"), QStringLiteral("zr0"), QStringLiteral("-p"),
             QStringLiteral("49494"), QStringLiteral("--mime-filter"), QStringLiteral("-video/mp4"),
             QStringLiteral("--gstout-videosink=fakesink"),
             QStringLiteral("--gstout-audiosink=fakesink"), QStringLiteral("--logfile=stdout")});
        QVERIFY(m_renderer.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(
            rendererLog().contains("Ready for rendering") ||
                !element(soap(QStringLiteral("AVTransport"), QStringLiteral("rendertransport1"),
                              QStringLiteral("GetTransportInfo")),
                         QStringLiteral("CurrentTransportState"))
                     .isEmpty(),
            TestSupport::SlowWaitMs);

        const QString clip = TestSupport::sampleClip(QStringLiteral("renderer.mp4"), 20);
        QVERIFY(!clip.isEmpty());
        QCOMPARE(TestSupport::run(cli(), {QStringLiteral("library"), QStringLiteral("init")}), 0);
        QCOMPARE(
            TestSupport::run(cli(), {QStringLiteral("library"), QStringLiteral("import"), clip}),
            0);
    }

    void cleanupTestCase()
    {
        m_renderer.terminate();
        m_renderer.waitForFinished(10000);
    }

    void listed()
    {
        QByteArray out;
        QVERIFY(QTest::qWaitFor(
            [&] {
                out.clear();
                TestSupport::run(cli(), {QStringLiteral("tv"), QStringLiteral("renderers")}, &out);
                return out.contains(rendererId.toLatin1());
            },
            TestSupport::SlowWaitMs * 2));
        QVERIFY2(out.contains((rendererId + QStringLiteral("\tLiving Room\t") + address).toUtf8()),
                 out.constData());
    }

    void events()
    {
        RendererFinder finder;
        QVERIFY(finder.start());
        QTimer again;
        connect(&again, &QTimer::timeout, &finder, &RendererFinder::search);
        again.start(2000);
        QTRY_VERIFY_WITH_TIMEOUT(finder.renderer(rendererId).isValid(),
                                 TestSupport::SlowWaitMs * 2);
        const RendererInfo info = finder.renderer(rendererId);

        RendererEvents events(info);
        // Renewed about every second.
        events.setRenewalShare(0.0005);
        QSignalSpy subscribed(&events, &RendererEvents::subscribed);
        QSignalSpy renewed(&events, &RendererEvents::renewed);
        QSignalSpy unavailable(&events, &RendererEvents::unavailable);
        QHash<QString, QString> transport;
        QHash<QString, QString> rendering;
        connect(&events, &RendererEvents::changed, this,
                [&](RendererClient::Service service, const QHash<QString, QString> &variables) {
                    QHash<QString, QString> &into =
                        service == RendererClient::AVTransport ? transport : rendering;
                    into.insert(variables);
                });
        QVERIFY(events.start());
        QTRY_COMPARE_WITH_TIMEOUT(subscribed.size(), 2, TestSupport::SlowWaitMs);
        // The initial events tell every variable.
        QTRY_VERIFY_WITH_TIMEOUT(transport.contains(QStringLiteral("TransportState")) &&
                                     rendering.contains(QStringLiteral("Volume")),
                                 TestSupport::SlowWaitMs);
        QVERIFY(events.hasEvents(RendererClient::AVTransport));

        // Another control point sets the volume: told to us, after renewals too.
        QTRY_VERIFY_WITH_TIMEOUT(renewed.size() >= 4, TestSupport::SlowWaitMs);
        soap(QStringLiteral("RenderingControl"), QStringLiteral("rendercontrol1"),
             QStringLiteral("SetVolume"),
             QStringLiteral("<Channel>Master</Channel><DesiredVolume>23</DesiredVolume>"));
        QTRY_COMPARE_WITH_TIMEOUT(rendering.value(QStringLiteral("Volume")), QStringLiteral("23"),
                                  TestSupport::SlowWaitMs);
        QCOMPARE(unavailable.size(), 0);
    }

    void playedToTheEnd()
    {
        QProcess play;
        play.start(cli(), {QStringLiteral("tv"), QStringLiteral("play"), rendererId,
                           QStringLiteral("1"), QStringLiteral("--at"), QStringLiteral("2")});
        QVERIFY(play.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(play.canReadLine(), TestSupport::SlowWaitMs * 2);
        const QString started = QString::fromUtf8(play.readLine().trimmed());
        QVERIFY2(started.startsWith(QStringLiteral("playing\tLiving Room\thttp://")),
                 qPrintable(started));
        QVERIFY2(started.contains(QStringLiteral("/CONVERTED/")), qPrintable(started));
        const QString pushed = started.section(QLatin1Char('\t'), 2);
        // The renderer took our resource as its track (its log tells: with
        // a sink that keeps no clock it may play to the end before it could
        // be asked), and the volume is ours to set.
        QTRY_VERIFY2_WITH_TIMEOUT(
            rendererLog().contains("CurrentTrackURI: " + pushed.toUtf8() + '\n'),
            rendererLog().right(4000).constData(), TestSupport::SlowWaitMs);
        QCOMPARE(
            TestSupport::run(cli(), {QStringLiteral("tv"), QStringLiteral("control"), rendererId,
                                     QStringLiteral("volume"), QStringLiteral("40")}),
            0);
        QCOMPARE(
            element(soap(QStringLiteral("RenderingControl"), QStringLiteral("rendercontrol1"),
                         QStringLiteral("GetVolume"), QStringLiteral("<Channel>Master</Channel>")),
                    QStringLiteral("CurrentVolume")),
            QStringLiteral("40"));

        // It plays to the end; the command ends with it and keeps the place.
        QVERIFY(play.waitForFinished(TestSupport::SlowWaitMs * 4));
        QCOMPARE(play.exitCode(), 0);
        const QByteArray rest = play.readAll();
        QVERIFY2(rest.startsWith("stopped\t"), rest.constData());
        QByteArray stored;
        QCOMPARE(TestSupport::run(
                     cli(),
                     {QStringLiteral("library"), QStringLiteral("position"), QStringLiteral("1")},
                     &stored),
                 0);
        // Watched to the end: no place left, counted once.
        QCOMPARE(stored.trimmed(), QByteArray("0\t1"));
        // Our server's log saw the renderer fetch the converted stream.
        const QByteArray log =
            TestSupport::readFile(QDir::home().filePath(QStringLiteral("CorvanaZELTA.log")));
        QVERIFY(log.contains("transcoding..."));
    }

    void usageAndFailures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        const QString tv = QStringLiteral("tv");
        QTest::newRow("play without video")
            << QStringList{tv, QStringLiteral("play"), rendererId} << 2;
        QTest::newRow("play, bad place") << QStringList{tv,
                                                        QStringLiteral("play"),
                                                        rendererId,
                                                        QStringLiteral("1"),
                                                        QStringLiteral("--at"),
                                                        QStringLiteral("-3")}
                                         << 2;
        QTest::newRow("control, unknown action")
            << QStringList{tv, QStringLiteral("control"), rendererId, QStringLiteral("rewind")}
            << 2;
        QTest::newRow("volume above 100")
            << QStringList{tv, QStringLiteral("control"), rendererId, QStringLiteral("volume"),
                           QStringLiteral("101")}
            << 2;
        QTest::newRow("no such video")
            << QStringList{tv, QStringLiteral("play"), rendererId, QStringLiteral("99")} << 1;
        QTest::newRow("no such renderer")
            << QStringList{tv, QStringLiteral("control"), QStringLiteral("nobody"),
                           QStringLiteral("stop")}
            << 1;
    }

    void usageAndFailures()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QCOMPARE(TestSupport::run(cli(), args), code);
    }
};

QTEST_GUILESS_MAIN(TestRendererGmediarender)
#include "tst_renderer_gmediarender.moc"
