// The running copy's hand-over socket: other local processes can connect to
// it at will, so it must not let them use up its descriptors or memory.
#include "TestSupport.h"
#include "core/SingleInstanceGuard.h"

#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

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
        guard.setIdleTimeout(300);
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
        guard.setIdleTimeout(SingleInstanceGuard::IdleTimeoutMs);
        SingleInstanceGuard second(QStringLiteral("idle-test"));
        QVERIFY(second.isRunning());
        QSignalSpy received(&guard, &SingleInstanceGuard::messageReceived);
        QVERIFY(second.sendMessage("corvana-zelta-open\nhttp://127.0.0.1/a.corvana\n"));
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, TestSupport::SlowWaitMs);
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
