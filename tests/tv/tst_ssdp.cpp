// SSDP inside a private network namespace: announcements with bye-bye first,
// bye-bye on stop, answers to M-SEARCH.
#include "TestSupport.h"
#include "TvTestHttp.h"
#include "core/AppIdentity.h"
#include "core/Version.h"
#include "tv/MediaServer.h"
#include "tv/upnp/UpnpEngine.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

namespace {

const QHostAddress group(QStringLiteral("239.255.255.250"));

QHash<QByteArray, QByteArray> headersOf(const QByteArray &datagram)
{
    QHash<QByteArray, QByteArray> headers;
    const QList<QByteArray> lines = datagram.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(':');
        if (colon > 0)
            headers.insert(lines.at(i).left(colon).trimmed().toUpper(),
                           lines.at(i).mid(colon + 1).trimmed());
    }
    return headers;
}

QList<QByteArray> notifies(const QList<QByteArray> &datagrams)
{
    QList<QByteArray> result;
    for (const QByteArray &datagram : datagrams) {
        if (datagram.startsWith("NOTIFY * HTTP/1.1"))
            result.append(datagram);
    }
    return result;
}

} // namespace

class TestSsdp : public QObject
{
    Q_OBJECT

private:
    QSharedPointer<MediaServer> m_server;
    std::unique_ptr<UpnpEngine> m_engine;
    QUdpSocket m_listener;

    QSet<QByteArray> expectedTargets() const
    {
        return {"upnp:rootdevice",
                "uuid:" + m_server->uuid.toUtf8(),
                "urn:schemas-upnp-org:device:MediaServer:1",
                "urn:schemas-upnp-org:service:ContentDirectory:1",
                "urn:schemas-upnp-org:service:ConnectionManager:1",
                "urn:microsoft.com:service:X_MS_MediaReceiverRegistrar:1"};
    }

private Q_SLOTS:
    void initTestCase()
    {
        AppIdentity::apply();
        QVERIFY(m_listener.bind(QHostAddress::AnyIPv4, 1900,
                                QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
        QVERIFY(m_listener.joinMulticastGroup(group));
        m_server = QSharedPointer<MediaServer>::create();
        m_engine = std::make_unique<UpnpEngine>();
        m_engine->addDevice(m_server);
    }

    void startAnnouncesByeByeFirst()
    {
        QVERIFY(m_engine->start());
        QVERIFY(m_server->isRunning());
        const QList<QByteArray> messages =
            notifies(TvTestHttp::collectDatagrams(m_listener, 500, 12));
        QCOMPARE(messages.size(), 12);
        QSet<QByteArray> byeTargets;
        QSet<QByteArray> aliveTargets;
        for (int i = 0; i < messages.size(); ++i) {
            const auto headers = headersOf(messages.at(i));
            const QByteArray nts = headers.value("NTS");
            // Every bye-bye comes before the first alive.
            QCOMPARE(nts, i < 6 ? QByteArray("ssdp:byebye") : QByteArray("ssdp:alive"));
            const QByteArray target = headers.value("NT");
            const QByteArray usn = headers.value("USN");
            const QByteArray udn = "uuid:" + m_server->uuid.toUtf8();
            QCOMPARE(usn, target == udn ? udn : udn + "::" + target);
            if (i < 6) {
                byeTargets.insert(target);
                continue;
            }
            aliveTargets.insert(target);
            QCOMPARE(headers.value("CACHE-CONTROL"), QByteArray("max-age=1800"));
            QCOMPARE(headers.value("SERVER"), QByteArray(ZELTA_UPNP_SERVER_STRING));
            QCOMPARE(headers.value("LOCATION"),
                     QStringLiteral("http://127.0.0.1:%1/DeviceDescription.xml")
                         .arg(m_server->port())
                         .toUtf8());
        }
        QCOMPARE(byeTargets, expectedTargets());
        QCOMPARE(aliveTargets, expectedTargets());
    }

    void searchAnswers_data()
    {
        QTest::addColumn<QByteArray>("man");
        QTest::addColumn<QByteArray>("mx");
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<int>("answers");
        QTest::newRow("all") << QByteArray("\"ssdp:discover\"") << QByteArray("1")
                             << QByteArray("ssdp:all") << 6;
        QTest::newRow("root device") << QByteArray("\"ssdp:discover\"") << QByteArray("1")
                                     << QByteArray("upnp:rootdevice") << 1;
        QTest::newRow("device type")
            << QByteArray("\"ssdp:discover\"") << QByteArray("2")
            << QByteArray("urn:schemas-upnp-org:device:MediaServer:1") << 1;
        QTest::newRow("service") << QByteArray("\"ssdp:discover\"") << QByteArray("1")
                                 << QByteArray("urn:schemas-upnp-org:service:ContentDirectory:1")
                                 << 1;
        QTest::newRow("uuid") << QByteArray("\"ssdp:discover\"") << QByteArray("1")
                              << QByteArray("UUID") << 1;
        QTest::newRow("other device")
            << QByteArray("\"ssdp:discover\"") << QByteArray("1")
            << QByteArray("urn:schemas-upnp-org:device:MediaRenderer:1") << 0;
        QTest::newRow("bad MAN") << QByteArray("ssdp:discover") << QByteArray("1")
                                 << QByteArray("ssdp:all") << 0;
        QTest::newRow("no MX") << QByteArray("\"ssdp:discover\"") << QByteArray()
                               << QByteArray("ssdp:all") << 0;
        QTest::newRow("bad MX") << QByteArray("\"ssdp:discover\"") << QByteArray("soon")
                                << QByteArray("ssdp:all") << 0;
    }

    void searchAnswers()
    {
        QFETCH(QByteArray, man);
        QFETCH(QByteArray, mx);
        QFETCH(QByteArray, target);
        QFETCH(int, answers);
        if (target == "UUID")
            target = "uuid:" + m_server->uuid.toUtf8();
        QUdpSocket searcher;
        QVERIFY(searcher.bind(QHostAddress::AnyIPv4, 0));
        QByteArray search =
            "M-SEARCH * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nMAN: " + man + "\r\n";
        if (!mx.isEmpty())
            search += "MX: " + mx + "\r\n";
        search += "ST: " + target + "\r\n\r\n";
        QCOMPARE(searcher.writeDatagram(search, group, 1900), qint64(search.size()));
        const QList<QByteArray> replies = TvTestHttp::collectDatagrams(searcher, 700, answers);
        QCOMPARE(replies.size(), answers);
        QSet<QByteArray> targets;
        for (const QByteArray &reply : replies) {
            QVERIFY(reply.startsWith("HTTP/1.1 200 OK"));
            const auto headers = headersOf(reply);
            QVERIFY(headers.contains("EXT"));
            QCOMPARE(headers.value("CACHE-CONTROL"), QByteArray("max-age=1800"));
            QVERIFY(headers.value("LOCATION").endsWith("/DeviceDescription.xml"));
            QVERIFY(headers.value("USN").startsWith("uuid:" + m_server->uuid.toUtf8()));
            targets.insert(headers.value("ST"));
        }
        if (target == "ssdp:all" && answers > 0)
            QCOMPARE(targets, expectedTargets());
        else if (answers == 1)
            QCOMPARE(targets, QSet<QByteArray>({target}));
        TvTestHttp::collectDatagrams(m_listener, 0);
    }

    void stopSaysByeBye()
    {
        TvTestHttp::collectDatagrams(m_listener, 100);
        m_engine->stop();
        QVERIFY(!m_server->isRunning());
        const QList<QByteArray> messages =
            notifies(TvTestHttp::collectDatagrams(m_listener, 500, 6));
        QCOMPARE(messages.size(), 6);
        for (const QByteArray &message : messages)
            QCOMPARE(headersOf(message).value("NTS"), QByteArray("ssdp:byebye"));
    }

    void malformedDatagramsAreIgnored()
    {
        QVERIFY(m_engine->start());
        TvTestHttp::collectDatagrams(m_listener, 500);
        QUdpSocket sender;
        for (const QByteArray &junk : {QByteArray("garbage"), QByteArray(9000, 'M'),
                                       QByteArray("M-SEARCH * HTTP/1.1\r\nno colon here\r\n\r\n")})
            sender.writeDatagram(junk, group, 1900);
        TvTestHttp::collectDatagrams(m_listener, 300);
        // Still serving.
        QVERIFY(m_server->isRunning());
        m_engine->stop();
    }
};

QTEST_GUILESS_MAIN(TestSsdp)
#include "tst_ssdp.moc"
