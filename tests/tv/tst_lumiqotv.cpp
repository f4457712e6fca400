// The media server switch, inside a private network namespace.
#include "TestSupport.h"
#include "TvTestHttp.h"
#include "core/AppIdentity.h"
#include "library/Library.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaServer.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

#include <algorithm>

namespace {

// Counts the bye-byes that arrive: until `expected` are there (a busy machine
// may send them late), then for `ms` more, so that any surplus counts too.
int byeByes(QUdpSocket &socket, int ms, int expected)
{
    const auto count = [](const QList<QByteArray> &datagrams) {
        return std::count_if(datagrams.cbegin(), datagrams.cend(), [](const QByteArray &datagram) {
            return datagram.contains("NTS: ssdp:byebye");
        });
    };
    return int(count(TvTestHttp::collectDatagrams(
        socket, ms, [&](const QList<QByteArray> &came) { return count(came) >= expected; })));
}

} // namespace

class TestLumiqoTv : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        AppIdentity::apply();
        Library::setupPaths(QString());
        QVERIFY(QDir().mkpath(Library::libraryPath()));
    }

    void toggleKeepsDeviceAdded()
    {
        LumiqoTv tv(nullptr);
        QVERIFY(!tv.isRunning());
        QVERIFY(!tv.isDeviceAdded());
        QVERIFY(!tv.server()->isRunning());

        tv.toggleServerStatus();
        QVERIFY(tv.isRunning());
        QVERIFY(tv.isDeviceAdded());
        QCOMPARE(tv.engine()->devices().size(), 1);
        const QString description =
            QStringLiteral("http://127.0.0.1:%1/DeviceDescription.xml").arg(tv.server()->port());
        QCOMPARE(TvTestHttp::request("GET", QUrl(description)).status, 200);

        tv.toggleServerStatus();
        QVERIFY(!tv.isRunning());
        QVERIFY(tv.isDeviceAdded());
        QCOMPARE(tv.engine()->devices().size(), 1);
        QVERIFY(!tv.server()->isRunning());
        QCOMPARE(TvTestHttp::request("GET", QUrl(description)).status, 0);

        tv.toggleServerStatus();
        QVERIFY(tv.isRunning());
        QCOMPARE(tv.engine()->devices().size(), 1);
        QVERIFY(tv.server()->isRunning());
        QCOMPARE(TvTestHttp::request(
                     "GET", QUrl(QStringLiteral("http://127.0.0.1:%1/DeviceDescription.xml")
                                     .arg(tv.server()->port())))
                     .status,
                 200);
    }

    void newUuidPerRunAndByeByeOnDestruction()
    {
        QUdpSocket listener;
        QVERIFY(listener.bind(QHostAddress::AnyIPv4, 1900,
                              QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
        QVERIFY(listener.joinMulticastGroup(QHostAddress(QStringLiteral("239.255.255.250"))));
        QString firstUuid;
        {
            LumiqoTv tv(nullptr);
            tv.toggleServerStatus();
            firstUuid = tv.server()->uuid;
            const TvTestHttp::Reply reply = TvTestHttp::request(
                "GET", QUrl(QStringLiteral("http://127.0.0.1:%1/DeviceDescription.xml")
                                .arg(tv.server()->port())));
            QVERIFY(reply.body.contains("<UDN>uuid:" + firstUuid.toUtf8() + "</UDN>"));
            QCOMPARE(byeByes(listener, 200, 6), 6); // the start's own bye-bye round
        }
        // Leaving while running says goodbye.
        QCOMPARE(byeByes(listener, 300, 6), 6);
        LumiqoTv again(nullptr);
        QVERIFY(!again.server()->uuid.isEmpty());
        QVERIFY(again.server()->uuid != firstUuid);
    }
};

QTEST_GUILESS_MAIN(TestLumiqoTv)
#include "tst_lumiqotv.moc"
