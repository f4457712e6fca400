// The media server switch, inside a private network namespace.
#include "TestSupport.h"
#include "TvTestHttp.h"
#include "core/AppIdentity.h"
#include "library/Library.h"
#include "library/LibraryLocation.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaModel.h"
#include "tv/MediaServer.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QUdpSocket>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <memory>

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

// A stand-in encoder on PATH that notes each start and holds until released,
// so that a Browse waiting for its probes waits as long as the test wants.
class HeldEncoder
{
public:
    HeldEncoder()
    {
        QFile encoder(m_tools.filePath(QStringLiteral("ffmpeg")));
        if (encoder.open(QIODevice::WriteOnly))
            encoder.write(QStringLiteral("#!/bin/sh\necho x >> '%1'\n"
                                         "while [ ! -e '%2' ]; do sleep 0.02; done\nexit 1\n")
                              .arg(startedPath(), releasePath())
                              .toLocal8Bit());
        encoder.close();
        encoder.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_path = qgetenv("PATH");
        qputenv("PATH", m_tools.path().toLocal8Bit() + ':' + m_path);
    }
    ~HeldEncoder()
    {
        release();
        qputenv("PATH", m_path);
    }
    int started() const
    {
        QFile file(startedPath());
        return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : 0;
    }
    void release()
    {
        QFile file(releasePath());
        file.open(QIODevice::WriteOnly);
    }

private:
    QString startedPath() const { return m_tools.filePath(QStringLiteral("started")); }
    QString releasePath() const { return m_tools.filePath(QStringLiteral("release")); }
    QTemporaryDir m_tools;
    QByteArray m_path;
};

// A Browse of the root's children from a thread of its own, while the
// test's thread toggles the server.
struct PendingBrowse
{
    explicit PendingBrowse(const QUrl &control)
        : thread(QThread::create([this, control] {
              entries = TvTestHttp::browse(control, QStringLiteral("0"),
                                           QStringLiteral("BrowseDirectChildren"))
                            .size();
              answered = true;
          }))
    {
        thread->start();
    }
    ~PendingBrowse() { thread->wait(); }
    std::atomic<bool> answered{false};
    std::atomic<qsizetype> entries{-1};
    std::unique_ptr<QThread> thread;
};

QUrl controlOf(LumiqoTv &tv)
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(tv.server()->port()) +
                tv.server()->uuid + QStringLiteral("/ContentDirectory/control.xml"));
}

QString descriptionOf(LumiqoTv &tv)
{
    return QStringLiteral("http://127.0.0.1:%1/DeviceDescription.xml").arg(tv.server()->port());
}

// A folder of more files than background probes run at once: a probe beyond
// those starts only for an answer that waits for it.
void fillFolder(const QString &path)
{
    const int files = qMax(1, QThread::idealThreadCount() - 1) + 2;
    for (int i = 0; i < files; ++i) {
        QFile file(QStringLiteral("%1/clip-%2.mp4").arg(path).arg(i));
        file.open(QIODevice::WriteOnly);
        file.write("not media");
    }
}

int backgroundProbes()
{
    return qMax(1, QThread::idealThreadCount() - 1);
}

} // namespace

class TestLumiqoTv : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    LibraryLocation m_library;

private Q_SLOTS:
    void initTestCase()
    {
        AppIdentity::apply();
        QVERIFY(m_home.isValid());
        m_library = LibraryLocation::setUp(m_home.path());
        QVERIFY(QFileInfo(m_library.folder()).isDir());
    }

    void toggleKeepsDeviceAdded()
    {
        LumiqoTv tv(QStringLiteral("LumiqoTV"), m_library);
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
            LumiqoTv tv(QStringLiteral("LumiqoTV"), m_library);
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
        LumiqoTv again(QStringLiteral("LumiqoTV"), m_library);
        QVERIFY(!again.server()->uuid.isEmpty());
        QVERIFY(again.server()->uuid != firstUuid);
    }
    // Stopping never waits for a Browse that waits for its probes: the
    // switch returns at once, the port is closed, the server may start again
    // meanwhile, and the stop ends (stopped()) once the answer has gone out.
    void stopDuringALongBrowseReturnsAtOnce()
    {
        HeldEncoder encoder;
        QTemporaryDir media;
        fillFolder(media.path());
        LumiqoTv tv(QStringLiteral("LumiqoTV"), LibraryLocation::at(media.path()),
                    UpnpEngine::NoSsdp);
        tv.model()->setProbeBudget(10 * 60 * 1000);
        QSignalSpy stopped(&tv, &LumiqoTv::stopped);
        tv.toggleServerStatus();
        const QString oldDescription = descriptionOf(tv);
        PendingBrowse browse(controlOf(tv));
        // One probe beyond the background ones: the Browse waits for it.
        QTRY_COMPARE_WITH_TIMEOUT(encoder.started(), backgroundProbes() + 1,
                                  TestSupport::SlowWaitMs);

        tv.toggleServerStatus();
        QVERIFY(!browse.answered);
        QVERIFY(!tv.isRunning());
        QVERIFY(tv.isStopping());
        QCOMPARE(TvTestHttp::request("GET", QUrl(oldDescription)).status, 0);

        tv.toggleServerStatus(); // again, while the old answer still runs
        QCOMPARE(TvTestHttp::request("GET", QUrl(descriptionOf(tv))).status, 200);
        tv.toggleServerStatus();
        QVERIFY(!browse.answered);
        QCOMPARE(stopped.count(), 0);

        encoder.release();
        QTRY_VERIFY_WITH_TIMEOUT(browse.answered, TestSupport::SlowWaitMs);
        QCOMPARE(browse.entries, qsizetype(backgroundProbes() + 2));
        QTRY_VERIFY_WITH_TIMEOUT(!tv.isStopping(), TestSupport::SlowWaitMs);
        QVERIFY(stopped.count() >= 1);
    }

    // At the end the server does not wait for probes either: the answer
    // goes out with what is known, and everything has ended when the
    // switch is gone.
    void endDuringALongBrowseAnswersAndEnds()
    {
        HeldEncoder encoder;
        QTemporaryDir media;
        fillFolder(media.path());
        auto tv = std::make_unique<LumiqoTv>(QStringLiteral("LumiqoTV"),
                                             LibraryLocation::at(media.path()), UpnpEngine::NoSsdp);
        tv->model()->setProbeBudget(10 * 60 * 1000);
        tv->toggleServerStatus();
        PendingBrowse browse(controlOf(*tv));
        QTRY_COMPARE_WITH_TIMEOUT(encoder.started(), backgroundProbes() + 1,
                                  TestSupport::SlowWaitMs);
        tv->toggleServerStatus();
        tv->toggleServerStatus();
        tv.reset(); // the encoder is still held
        QVERIFY(browse.thread->wait(60000));
        QVERIFY(browse.answered);
        QCOMPARE(browse.entries, qsizetype(backgroundProbes() + 2));
    }
};

QTEST_GUILESS_MAIN(TestLumiqoTv)
#include "tst_lumiqotv.moc"
