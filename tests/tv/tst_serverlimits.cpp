// The media server against hostile clients on the loopback of a private
// network namespace (127.0.0.2 and up play other hosts): slow connections,
// stalled transcodes, many subscriptions, callbacks that never answer, and
// links that lead out of the shared folder.
#include "ScriptedHttpServer.h"
#include "TestSupport.h"
#include "TvTestHttp.h"
#include "core/AppIdentity.h"
#include "library/LibraryLocation.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaModel.h"
#include "tv/MediaServer.h"
#include "tv/MetaDataGatherer.h"
#include "tv/TranscodeStream.h"
#include "tv/upnp/UpnpEventNotifier.h"
#include "tv/upnp/UpnpHttpServer.h"

#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

using namespace TvTestHttp;

namespace {

QHostAddress host(int n)
{
    return QHostAddress(QStringLiteral("127.0.0.%1").arg(n));
}

// A connection from `from` that has sent `head`; null when it did not connect.
std::unique_ptr<QTcpSocket> openFrom(const QHostAddress &from, quint16 port, const QByteArray &head)
{
    auto socket = std::make_unique<QTcpSocket>();
    if (!socket->bind(from))
        return nullptr;
    socket->connectToHost(QHostAddress::LocalHost, port);
    if (!socket->waitForConnected(5000))
        return nullptr;
    socket->write(head);
    socket->waitForBytesWritten(5000);
    return socket;
}

// The status code of the answer on `socket` (0 when the server closed it first).
int statusOf(QTcpSocket *socket)
{
    while (!socket->canReadLine() && socket->waitForReadyRead(20000)) {
    }
    const QList<QByteArray> words = socket->readLine().split(' ');
    return words.size() > 1 ? words.at(1).toInt() : 0;
}

int connectedCount(const std::vector<std::unique_ptr<QTcpSocket>> &sockets)
{
    int connected = 0;
    for (const auto &socket : sockets)
        connected += socket && socket->state() == QAbstractSocket::ConnectedState ? 1 : 0;
    return connected;
}

} // namespace

class TestServerLimits : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_outside;
    std::unique_ptr<LumiqoTv> m_tv;
    QString m_base;

    quint16 port() const { return quint16(m_tv->server()->port()); }
    QUrl control() const
    {
        return QUrl(m_base + QLatin1Char('/') + m_tv->server()->uuid +
                    QStringLiteral("/ContentDirectory/control.xml"));
    }
    QByteArray eventPath() const
    {
        return ('/' + m_tv->server()->uuid + QStringLiteral("/ContentDirectory/event.xml"))
            .toUtf8();
    }
    QHash<QString, DidlEntry> rootItems() const
    {
        QHash<QString, DidlEntry> byTitle;
        for (const DidlEntry &entry :
             browse(control(), QStringLiteral("0"), QStringLiteral("BrowseDirectChildren")))
            byTitle.insert(entry.title, entry);
        return byTitle;
    }

private Q_SLOTS:
    void initTestCase()
    {
        AppIdentity::apply();
        QVERIFY(m_dir.isValid() && m_outside.isValid());
        const QString clip = TestSupport::sampleClip(QStringLiteral("tv-serve.mp4"), 2);
        const QString longFlv = TestSupport::sampleClip(QStringLiteral("tv-long.flv"), 300);
        QVERIFY(!clip.isEmpty() && !longFlv.isEmpty());
        QVERIFY(QFile::copy(clip, m_dir.filePath(QStringLiteral("clip.mp4"))));
        QVERIFY(QFile::copy(longFlv, m_dir.filePath(QStringLiteral("long.flv"))));
        QVERIFY(QFile::copy(clip, m_outside.filePath(QStringLiteral("secret.mp4"))));
        // Links: one inside, two leading out, one to be swapped after listing.
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("clip.mp4")),
                            m_dir.filePath(QStringLiteral("inner.mp4"))));
        QVERIFY(QFile::link(QStringLiteral("/etc/passwd"),
                            m_dir.filePath(QStringLiteral("passwd.mp4"))));
        QVERIFY(QFile::link(m_outside.path(), m_dir.filePath(QStringLiteral("outside"))));
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("clip.mp4")),
                            m_dir.filePath(QStringLiteral("swap.mp4"))));

        UpnpHttpServer::setRequestDeadline(std::chrono::milliseconds(3000));
        m_tv = std::make_unique<LumiqoTv>(QStringLiteral("LumiqoTV"),
                                          LibraryLocation::at(m_dir.path()), UpnpEngine::NoSsdp);
        QSignalSpy probed(m_tv->model()->gatherer(), &MetaDataGatherer::gathered);
        QTRY_COMPARE_WITH_TIMEOUT(probed.count(), 4, 120000);
        m_tv->toggleServerStatus();
        m_base = QStringLiteral("http://127.0.0.1:%1").arg(port());
    }

    void cleanupTestCase() { m_tv.reset(); }

    void linksNeverLeaveTheSharedFolder()
    {
        const QHash<QString, DidlEntry> items = rootItems();
        QCOMPARE(QSet<QString>(items.keyBegin(), items.keyEnd()),
                 (QSet<QString>{QStringLiteral("clip"), QStringLiteral("inner"),
                                QStringLiteral("long"), QStringLiteral("swap")}));
        const Reply inner =
            request("GET", QUrl(items.value(QStringLiteral("inner")).urls.value(0)));
        QCOMPARE(inner.status, 200);
        QCOMPARE(inner.body, TestSupport::readFile(m_dir.filePath(QStringLiteral("clip.mp4"))));

        // Checked again when served: the link now points outside.
        const QString swap = m_dir.filePath(QStringLiteral("swap.mp4"));
        QVERIFY(QFile::remove(swap));
        QVERIFY(QFile::link(m_outside.filePath(QStringLiteral("secret.mp4")), swap));
        const Reply swapped =
            request("GET", QUrl(items.value(QStringLiteral("swap")).urls.value(0)));
        QCOMPARE(swapped.status, 404);
        QVERIFY(swapped.body != TestSupport::readFile(swap));
    }

    // 110 connections that trickle their request from one host: that host
    // gets its share, the others are still served, and every trickling
    // connection is closed once the request deadline is over.
    void tricklingConnectionsCannotLockOthersOut()
    {
        std::vector<std::unique_ptr<QTcpSocket>> slow;
        for (int i = 0; i < 110; ++i) {
            auto socket = openFrom(host(3), port(), "GET /");
            if (socket)
                slow.push_back(std::move(socket));
        }
        QTimer trickle;
        connect(&trickle, &QTimer::timeout, this, [&slow] {
            for (const auto &socket : slow) {
                if (socket->state() == QAbstractSocket::ConnectedState)
                    socket->write("a");
            }
        });
        trickle.start(200);
        QTRY_VERIFY_WITH_TIMEOUT(connectedCount(slow) <= UpnpHttpServer::maxConnectionsPerAddress,
                                 10000);
        QVERIFY(connectedCount(slow) > 0);

        // Another host meanwhile: a Browse and a file ("swap" leads out of
        // the folder since the test above and is no longer listed).
        QCOMPARE(rootItems().size(), 3);
        QCOMPARE(
            request("GET", QUrl(rootItems().value(QStringLiteral("clip")).urls.value(0))).status,
            200);

        QTRY_COMPARE_WITH_TIMEOUT(connectedCount(slow), 0, 15000);
    }

    // A player opens several range connections at once: two dozen from one
    // address, all open together, are all answered.
    void playerRangeConnectionsAreServed()
    {
        const QByteArray path =
            QUrl(rootItems().value(QStringLiteral("clip")).urls.value(0)).path().toUtf8();
        QVERIFY(!path.isEmpty());
        std::vector<std::unique_ptr<QTcpSocket>> players;
        for (int i = 0; i < 24; ++i) {
            players.push_back(
                openFrom(host(4), port(),
                         "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nRange: bytes=" +
                             QByteArray::number(i) + '-' + QByteArray::number(i + 9) + "\r\n\r\n"));
            QVERIFY(players.back());
        }
        for (const auto &player : players)
            QCOMPARE(statusOf(player.get()), 206);
    }

    // Stalled clients of transcoded answers: four encoders at most, the
    // others are told to come back later; leaving frees the encoders.
    void transcodesAreCapped()
    {
        const QUrl url(rootItems().value(QStringLiteral("long")).urls.value(0));
        const QByteArray head =
            "GET " + url.path(QUrl::FullyEncoded).toUtf8() + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        std::vector<std::unique_ptr<QTcpSocket>> clients;
        QList<int> statuses;
        for (int i = 0; i < 8; ++i) {
            clients.push_back(openFrom(host(4 + i), port(), head));
            QVERIFY(clients.back());
            statuses << statusOf(clients.back().get());
        }
        QCOMPARE(statuses.count(200), TranscodeStream::maxConcurrent);
        QCOMPARE(statuses.count(503), 8 - TranscodeStream::maxConcurrent);
        QCOMPARE(TranscodeStream::liveCount(), TranscodeStream::maxConcurrent);
        clients.clear();
        QTRY_COMPARE_WITH_TIMEOUT(TranscodeStream::liveCount(), 0, 20000);
        // Free again for the next client.
        auto next = openFrom(host(20), port(), head);
        QVERIFY(next);
        QCOMPARE(statusOf(next.get()), 200);
    }

    // Subscriptions are limited per host and in total.
    void subscriptionsAreCapped()
    {
        const auto subscribe = [this](int n) {
            const QByteArray head = "SUBSCRIBE " + eventPath() +
                                    " HTTP/1.1\r\nHost: 127.0.0.1\r\nNT: upnp:event\r\n"
                                    "CALLBACK: <http://127.0.0." +
                                    QByteArray::number(n) + ":9/cb>\r\nTIMEOUT: Second-300\r\n\r\n";
            auto socket = openFrom(host(n), port(), head);
            return socket ? statusOf(socket.get()) : -1;
        };
        const int before = m_tv->server()->subscriberCount();
        QCOMPARE(before, 0);
        QList<int> fromOneHost;
        for (int i = 0; i < UpnpEventNotifier::maxSubscribersPerHost + 1; ++i)
            fromOneHost << subscribe(30);
        QCOMPARE(fromOneHost.count(200), UpnpEventNotifier::maxSubscribersPerHost);
        QCOMPARE(fromOneHost.last(), 503);

        int accepted = UpnpEventNotifier::maxSubscribersPerHost;
        for (int n = 31; accepted < UpnpEventNotifier::maxSubscribers; ++n) {
            for (int i = 0; i < UpnpEventNotifier::maxSubscribersPerHost; ++i)
                accepted += subscribe(n) == 200 ? 1 : 0;
        }
        QCOMPARE(m_tv->server()->subscriberCount(), UpnpEventNotifier::maxSubscribers);
        QCOMPARE(subscribe(90), 503);
        QCOMPARE(m_tv->server()->subscriberCount(), UpnpEventNotifier::maxSubscribers);
    }

    // Callbacks that accept and never answer delay nobody else's events.
    void slowCallbacksDoNotHoldUpOthers()
    {
        UpnpEventNotifier notifier;
        notifier.setDeliveryTimeout(60000);
        notifier.start();
        ScriptedHttpServer stalled{QHostAddress::LocalHost};
        QVERIFY(stalled.listen()); // holds every request unanswered
        ScriptedHttpServer listener{QHostAddress::LocalHost};
        listener.setResponse(ScriptedHttpServer::answer(200));
        QVERIFY(listener.listen());

        const QString service = QStringLiteral("ContentDirectory");
        const QString variable = QStringLiteral("SystemUpdateID");
        for (int i = 0; i < 3; ++i) {
            QVERIFY(!notifier
                         .subscribe(service, {stalled.url(QStringLiteral("/cb"))}, 300,
                                    {{variable, QStringLiteral("1")}}, QHostAddress::LocalHost)
                         .isEmpty());
        }
        QVERIFY(!notifier
                     .subscribe(service, {listener.url(QStringLiteral("/cb"))}, 300,
                                {{variable, QStringLiteral("1")}}, QHostAddress::LocalHost)
                     .isEmpty());
        notifier.notify(service, {{variable, QStringLiteral("2")}});

        QTRY_COMPARE_WITH_TIMEOUT(listener.requests().size(), 2, 15000);
        QVERIFY(listener.requests().at(0).contains("SEQ: 0"));
        QVERIFY(listener.requests().at(1).contains("SEQ: 1"));
        // The stalled deliveries are all still waiting for their answers.
        QCOMPARE(stalled.requests().size(), 3);
        QCOMPARE(stalled.openConnections(), 3);
        notifier.stopNotifier();
        QTRY_COMPARE_WITH_TIMEOUT(stalled.openConnections(), 0, 5000);
    }
};

QTEST_MAIN(TestServerLimits)
#include "tst_serverlimits.moc"
