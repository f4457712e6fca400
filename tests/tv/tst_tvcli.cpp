// `zelta-cli tv serve` inside a private network namespace: discovered over
// SSDP, browsed and served to a client, stopped with bye-bye on SIGTERM.
#include "TestSupport.h"
#include "TvTestHttp.h"

#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QUdpSocket>
#include <QtTest>

using namespace TvTestHttp;

namespace {

const QHostAddress group(QStringLiteral("239.255.255.250"));

QByteArray headerValue(const QByteArray &message, const QByteArray &name)
{
    for (const QByteArray &line : message.split('\n')) {
        if (line.toUpper().startsWith(name.toUpper() + ':'))
            return line.mid(name.size() + 1).trimmed();
    }
    return {};
}

} // namespace

class TestTvCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void serveDiscoverBrowseStop()
    {
        const QString library = QDir::home().filePath(QStringLiteral("My Library"));
        QVERIFY(QDir().mkpath(library));
        const QString clip = TestSupport::sampleClip(QStringLiteral("tv-cli.mp4"), 2);
        QVERIFY(QFile::copy(clip, library + QStringLiteral("/clip.mp4")));

        QUdpSocket listener;
        QVERIFY(listener.bind(QHostAddress::AnyIPv4, 1900,
                              QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
        QVERIFY(listener.joinMulticastGroup(group));

        QProcess server;
        server.start(TestSupport::builtProgram(QStringLiteral("zelta-cli")),
                     {QStringLiteral("tv"), QStringLiteral("serve"), QStringLiteral("--name"),
                      QStringLiteral("Test TV")});
        QVERIFY(server.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(server.canReadLine(), 20000);
        const QByteArray printed = server.readLine().trimmed();
        QVERIFY2(printed.startsWith("http://") && printed.endsWith("/DeviceDescription.xml"),
                 printed.constData());

        // Discovery.
        QUdpSocket searcher;
        QVERIFY(searcher.bind(QHostAddress::AnyIPv4, 0));
        const QByteArray search = "M-SEARCH * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\n"
                                  "MAN: \"ssdp:discover\"\r\nMX: 1\r\n"
                                  "ST: urn:schemas-upnp-org:device:MediaServer:1\r\n\r\n";
        searcher.writeDatagram(search, group, 1900);
        const QList<QByteArray> answers = collectDatagrams(searcher, 700, 1);
        QCOMPARE(answers.size(), 1);
        const QUrl location(QString::fromUtf8(headerValue(answers.first(), "LOCATION")));
        QCOMPARE(location.toString().toUtf8(), printed);

        // Description, then Browse, then the file itself.
        const Reply description = request("GET", location);
        QVERIFY(description.body.contains("<friendlyName>Test TV</friendlyName>"));
        const QString controlPath =
            QRegularExpression(QStringLiteral("<controlURL>([^<]*ContentDirectory[^<]*)<"))
                .match(QString::fromUtf8(description.body))
                .captured(1);
        const QUrl control = location.resolved(QUrl(controlPath));
        const QList<DidlEntry> items =
            browse(control, QStringLiteral("0"), QStringLiteral("BrowseDirectChildren"));
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.first().title, QStringLiteral("clip"));
        const Reply media = request("GET", QUrl(items.first().urls.value(0)));
        QCOMPARE(media.status, 200);
        QVERIFY(media.body == TestSupport::readFile(clip));

        // SIGTERM: a clean stop that says goodbye, once the start's own
        // round (six bye-byes, then six alives) is over.
        int announced = 0;
        QVERIFY(QTest::qWaitFor(
            [&] {
                for (const QByteArray &message : collectDatagrams(listener, 0))
                    announced += message.startsWith("NOTIFY");
                return announced >= 12;
            },
            TestSupport::SlowWaitMs));
        server.terminate();
        QVERIFY(server.waitForFinished(20000));
        QCOMPARE(server.exitStatus(), QProcess::NormalExit);
        QCOMPARE(server.exitCode(), 0);
        int byeByes = 0;
        for (const QByteArray &message : collectDatagrams(listener, 300, 6))
            byeByes += headerValue(message, "NTS") == "ssdp:byebye";
        QCOMPARE(byeByes, 6);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no subcommand") << QStringList{QStringLiteral("tv")};
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("tv"), QStringLiteral("serve"), QStringLiteral("--port")};
        QTest::newRow("name without value")
            << QStringList{QStringLiteral("tv"), QStringLiteral("serve"), QStringLiteral("--name")};
    }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        QCOMPARE(TestSupport::run(TestSupport::builtProgram(QStringLiteral("zelta-cli")), args), 2);
    }
};

QTEST_GUILESS_MAIN(TestTvCli)
#include "tst_tvcli.moc"
