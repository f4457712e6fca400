// The running copy's hand-over socket: other local processes can connect to
// it at will, so it must not let them use up its descriptors or memory.
#include "TestSupport.h"
#include "core/SingleInstanceGuard.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <future>
#include <memory>
#include <vector>

class TestSingleInstanceGuard : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_runtime;

    static std::unique_ptr<QLocalSocket> connectTo(const QString &key)
    {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(QDir(qEnvironmentVariable("XDG_RUNTIME_DIR"))
                                    .filePath(key + QStringLiteral(".socket")));
        return socket;
    }

    // A second start sends while this thread serves the running copy's
    // guard (the sender waits for the answer).
    static std::future<bool> sendFromAnotherThread(const QString &key, const QByteArray &message,
                                                   int timeoutMs = 8000)
    {
        return std::async(std::launch::async, [key, message, timeoutMs] {
            SingleInstanceGuard second(key);
            return second.isRunning() && second.sendMessage(message, timeoutMs);
        });
    }
    static bool isReady(const std::future<bool> &future)
    {
        return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_runtime.isValid());
        QFile::setPermissions(m_runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }

    // Before, every connection was kept open for good: a thousand idle ones
    // used up the descriptors and the listening socket closed for the run.
    void idleConnectionsCannotLockOthersOut()
    {
        SingleInstanceGuard guard(QStringLiteral("idle-test"));
        QVERIFY(!guard.isRunning());
        guard.setRequestTimeout(300);
        std::vector<std::unique_ptr<QLocalSocket>> idle;
        for (int i = 0; i < 3 * SingleInstanceGuard::MaxConnections; ++i)
            idle.push_back(connectTo(QStringLiteral("idle-test")));
        // Never more than a few at once; the silent ones are let go.
        const auto allClosed = [&idle, &guard] {
            if (guard.connectionCount() > SingleInstanceGuard::MaxConnections)
                return false;
            for (const auto &socket : idle) {
                if (socket->state() != QLocalSocket::UnconnectedState)
                    return false;
            }
            return true;
        };
        QTRY_VERIFY_WITH_TIMEOUT(allClosed(), 20000);
        QCOMPARE(guard.connectionCount(), 0);

        // The guard still listens and serves a real second copy (with the
        // usual patience: a busy machine may keep this process from reading
        // the message for longer than the short idle time above).
        guard.setRequestTimeout(SingleInstanceGuard::RequestTimeoutMs);
        QSignalSpy received(&guard, &SingleInstanceGuard::messageReceived);
        auto sent = sendFromAnotherThread(QStringLiteral("idle-test"),
                                          "corvana-zelta-open\nhttp://127.0.0.1/a.corvana\n");
        QTRY_VERIFY_WITH_TIMEOUT(isReady(sent), TestSupport::SlowWaitMs);
        QVERIFY(sent.get());
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, TestSupport::SlowWaitMs);
    }

    // Four connections hold every slot, silent or sending a byte every two
    // seconds: a second start's message still arrives (the slots are let go
    // once their time is up and the second start asks again), or the second
    // start learns that it did not; never "sent" with the message lost.
    void heldSlotsLoseNoMessage_data()
    {
        QTest::addColumn<bool>("trickle");
        QTest::newRow("idle") << false;
        QTest::newRow("one byte every 2 s") << true;
    }
    void heldSlotsLoseNoMessage()
    {
        QFETCH(bool, trickle);
        const QString key = QStringLiteral("held-test");
        SingleInstanceGuard guard(key);
        QVERIFY(!guard.isRunning());
        QSignalSpy received(&guard, &SingleInstanceGuard::messageReceived);
        std::vector<std::unique_ptr<QLocalSocket>> holders;
        for (int i = 0; i < SingleInstanceGuard::MaxConnections; ++i)
            holders.push_back(connectTo(key));
        QTRY_COMPARE_WITH_TIMEOUT(guard.connectionCount(), SingleInstanceGuard::MaxConnections,
                                  TestSupport::SlowWaitMs);
        QTimer drip;
        connect(&drip, &QTimer::timeout, this, [&holders] {
            for (const auto &socket : holders) {
                if (socket->state() == QLocalSocket::ConnectedState)
                    socket->write("1");
            }
        });
        if (trickle) {
            holders.front()->write("9");
            drip.start(2000);
        }
        const QByteArray message = "corvana-zelta-open\nhttp://127.0.0.1/held.corvana\n";
        auto sent = sendFromAnotherThread(key, message);
        QTRY_VERIFY_WITH_TIMEOUT(isReady(sent), 30000);
        QVERIFY2(sent.get(), "the second start could not hand over");
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(received.at(0).at(0).toByteArray(), message);
        // The holders were let go.
        QTRY_VERIFY_WITH_TIMEOUT(guard.connectionCount() == 0, TestSupport::SlowWaitMs);
    }

    // A running copy that takes the connection but never says it took the
    // message: the second start reports failure (the program then exits
    // non-zero and says so).
    void unansweredHandOverFails()
    {
        const QString key = QStringLiteral("mute-test");
        QLockFile lock(SingleInstanceGuard::lockFilePath(key));
        QVERIFY(lock.tryLock(0));
        QLocalServer mute;
        QVERIFY(mute.listen(QDir(qEnvironmentVariable("XDG_RUNTIME_DIR"))
                                .filePath(key + QStringLiteral(".socket"))));
        std::vector<QLocalSocket *> accepted;
        connect(&mute, &QLocalServer::newConnection, this, [&] {
            while (QLocalSocket *socket = mute.nextPendingConnection())
                accepted.push_back(socket); // read, never answered
        });
        auto sent = sendFromAnotherThread(key, "corvana-zelta-open\n", 1500);
        QTRY_VERIFY_WITH_TIMEOUT(isReady(sent), 30000);
        QVERIFY(!sent.get());
        QVERIFY(!accepted.empty());
    }

    void oversizedMessageIsDropped()
    {
        SingleInstanceGuard guard(QStringLiteral("size-test"));
        QSignalSpy received(&guard, &SingleInstanceGuard::messageReceived);
        auto socket = connectTo(QStringLiteral("size-test"));
        QVERIFY(socket->waitForConnected(5000));
        // Written through the event loop: the guard reads in this thread too.
        socket->write(QByteArray(4 * 1024 * 1024, 'x'));
        QTRY_COMPARE_WITH_TIMEOUT(socket->state(), QLocalSocket::UnconnectedState, 10000);
        QCOMPARE(guard.connectionCount(), 0);
        QCOMPARE(received.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstanceGuard)
#include "tst_singleinstanceguard.moc"
