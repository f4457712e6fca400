// The library page's TV switch over the program's engines, inside a private
// network namespace: on, a control point finds the server by SSDP and reads
// its description; off, the server is gone.
#include "ScriptedPrompt.h"
#include "TvTestHttp.h"
#include "core/AppIdentity.h"
#include "engines/Engines.h"
#include "gui/library/LibraryWidget.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaServer.h"

#include <QAbstractButton>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

namespace {

// Searches for media servers; the LOCATION of the first answer (empty when none).
QUrl searchMediaServer(int waitMs)
{
    QUdpSocket searcher;
    if (!searcher.bind(QHostAddress::AnyIPv4, 0))
        return {};
    const QByteArray search = "M-SEARCH * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\n"
                              "MAN: \"ssdp:discover\"\r\nMX: 1\r\n"
                              "ST: urn:schemas-upnp-org:device:MediaServer:1\r\n\r\n";
    searcher.writeDatagram(search, QHostAddress(QStringLiteral("239.255.255.250")), 1900);
    QUrl location;
    (void)QTest::qWaitFor(
        [&] {
            while (searcher.hasPendingDatagrams()) {
                for (const QByteArray &line : searcher.receiveDatagram().data().split('\n')) {
                    if (line.toUpper().startsWith("LOCATION:"))
                        location = QUrl(QString::fromLatin1(line.mid(9).trimmed()));
                }
            }
            return location.isValid();
        },
        waitMs);
    return location;
}

} // namespace

class TestLibraryTv : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { AppIdentity::apply(); }

    void switchStartsAndStopsTheServer()
    {
        ScriptedPrompt prompt;
        Engines engines(&prompt);
        QVERIFY(engines.openDatabase());
        LibraryWidget page(engines.library(), engines.prompt(),
                           [&engines] { return engines.tv(); });
        page.show();
        QAbstractButton *tvSwitch = page.tvSwitch();
        QVERIFY(!tvSwitch->isChecked());
        QVERIFY(!engines.hasTv()); // built on first use only

        QTest::mouseClick(tvSwitch, Qt::LeftButton);
        QVERIFY(engines.hasTv());
        QVERIFY(engines.tv()->isRunning());
        QVERIFY(tvSwitch->isChecked());

        const QUrl location = searchMediaServer(5000);
        QVERIFY2(location.isValid(), "no SSDP answer");
        QCOMPARE(location.host(), QStringLiteral("127.0.0.1"));
        const TvTestHttp::Reply description = TvTestHttp::request("GET", location);
        QCOMPARE(description.status, 200);
        QVERIFY(description.body.contains("<friendlyName>LumiqoTV"));
        QVERIFY(description.body.contains("<UDN>uuid:" + engines.tv()->server()->uuid.toUtf8()));

        QTest::mouseClick(tvSwitch, Qt::LeftButton);
        QVERIFY(!engines.tv()->isRunning());
        QVERIFY(!tvSwitch->isChecked());
        QCOMPARE(TvTestHttp::request("GET", location).status, 0);
        // Servers answer within MX seconds; nobody does now.
        QVERIFY(!searchMediaServer(1200).isValid());
    }
};

QTEST_MAIN(TestLibraryTv)
#include "tst_librarytv.moc"
