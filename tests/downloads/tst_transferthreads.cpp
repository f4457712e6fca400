// How downloads start running: those that run at once never share a
// transfer thread, however they were started, and none starts before its
// record is stored.
#include "DownloadSiteFixture.h"
#include "ScriptedHttpServer.h"
#include "downloads/Download.h"
#include "downloads/DownloadFailure.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadRecords.h"
#include "web/NetworkManager.h"

#include <QAbstractItemModelTester>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

namespace {

constexpr auto kReportFailures = QAbstractItemModelTester::FailureReportingMode::QtTest;
constexpr qint64 kBytes = 4000000; // none finishes while a test runs
constexpr qint64 kRate = 20000;    // bytes a second: every transfer runs for a while
constexpr int kHeldPrefix = 4096;  // what the holding server sends before it stalls
constexpr int kWaitMs = 20000;

// The download's partial file size.
qint64 onDisk(const Download *d)
{
    return QFileInfo(d->mediaPath()).size();
}

} // namespace

class TestTransferThreads : public QObject
{
    Q_OBJECT

private:
    // Answers every request with the start of a long video and then sends
    // nothing more, keeping the connection open.
    static void holdAfterPrefix(ScriptedHttpServer &server)
    {
        server.setResponse("HTTP/1.1 200 OK\r\nContent-Type: video/mp4\r\nContent-Length: " +
                           QByteArray::number(kBytes) + "\r\n\r\n" + QByteArray(kHeldPrefix, 'h'));
        server.setKeepOpen(true);
    }
    QUrl synthetic(const QString &tag, int count) const
    {
        return m_fixture.site()->syntheticDescriptor(tag, count, kBytes, kRate);
    }
    // Stores the queue a restart finds: the held video first when `heldFirst`,
    // otherwise last, and five videos of the site.
    bool storeQueue(const QUrl &held, bool heldFirst) const
    {
        DownloadRecords *records = m_fixture.records();
        if (heldFirst && !records->insert(held, QUrl(), QString()))
            return false;
        for (int i = 1; i <= 5; ++i) {
            const QString tag = QStringLiteral("stored%1").arg(i);
            const QUrl media =
                m_fixture.site()->url(QStringLiteral("/media/blob/%1-1.mp4?bytes=%2&rate=%3")
                                          .arg(tag)
                                          .arg(kBytes)
                                          .arg(kRate));
            if (!records->insert(synthetic(tag, 1), media, QString()))
                return false;
        }
        return heldFirst || records->insert(held, QUrl(), QString());
    }
    static QList<Download *> running(const DownloadManager &manager)
    {
        QList<Download *> list;
        for (Download *d : manager.activeDownloads() + manager.queuedDownloads()) {
            if (d->state() == Download::Downloading)
                list << d;
        }
        return list;
    }
    // Whether no two running downloads share a transfer thread.
    static bool ownThreads(const QList<Download *> &downloads)
    {
        QSet<TransferThread *> threads;
        for (const Download *d : downloads)
            threads.insert(d->transferThread());
        return !threads.contains(nullptr) && threads.size() == downloads.size();
    }
    // Waits until every download but `held` has written more than it holds now
    // (or has finished).
    static bool othersProgress(const QList<Download *> &downloads, const Download *held)
    {
        QList<std::pair<QPointer<Download>, qint64>> before;
        for (Download *d : downloads) {
            if (d != held)
                before.append({d, onDisk(d)});
        }
        return QTest::qWaitFor(
            [&] {
                for (const auto &[d, bytes] : std::as_const(before)) {
                    if (d && d->state() != Download::Finished && onDisk(d) <= bytes)
                        return false;
                }
                return true;
            },
            kWaitMs);
    }
    void removeEverything(DownloadManager &manager)
    {
        m_fixture.prompt.answers = {UserPrompt::Yes};
        manager.removeAll();
        QCOMPARE(manager.rowCount(), 0);
    }

    DownloadSiteFixture m_fixture;
    NetworkManager m_network{&m_fixture.account, &m_fixture.prompt};

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_fixture.start()); }
    void init() { QVERIFY(m_fixture.freshHome()); }

    // Five downloads run and a sixth waits in the queue until the user
    // resumes it from its card (a queued card is paused and resumed; a
    // restored one is paused already): it runs at once, beside the five, on
    // a thread of its own. Each keeps going while the other's server holds
    // its connection without sending.
    void resumedFromItsCardRunsOnItsOwnThread_data()
    {
        QTest::addColumn<bool>("restored");
        QTest::addColumn<bool>("resumedIsHeld");
        QTest::newRow("queued; an active one is held") << false << false;
        QTest::newRow("queued; the resumed one is held") << false << true;
        QTest::newRow("restored; an active one is held") << true << false;
        QTest::newRow("restored; the resumed one is held") << true << true;
    }
    void resumedFromItsCardRunsOnItsOwnThread()
    {
        QFETCH(bool, restored);
        QFETCH(bool, resumedIsHeld);
        ScriptedHttpServer server(QHostAddress::LocalHost);
        holdAfterPrefix(server);
        QVERIFY(server.listen());
        const QUrl held = server.url(QStringLiteral("/held.mp4"));
        if (restored)
            QVERIFY(storeQueue(held, !resumedIsHeld));

        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester tester(&manager, kReportFailures);
        if (restored) {
            QCOMPARE(manager.rowCount(), 6);
            manager.resumeAll(); // what signing in does
        } else {
            // Five run; the sixth waits in the queue.
            if (!resumedIsHeld)
                manager.initializeDirectDownload(held, true);
            manager.initializeDownload(synthetic(QStringLiteral("own"), resumedIsHeld ? 5 : 4));
            QTRY_COMPARE_WITH_TIMEOUT(manager.rowCount(), 5, kWaitMs);
            if (resumedIsHeld)
                manager.initializeDirectDownload(held, true);
            else
                manager.initializeDownload(synthetic(QStringLiteral("last"), 1));
            QTRY_COMPARE_WITH_TIMEOUT(manager.rowCount(), 6, kWaitMs);
        }
        QCOMPARE(manager.activeDownloads().size(), DownloadManager::MaxActiveDownloads);
        Download *resumed = manager.queuedDownloads().value(0);
        QVERIFY(resumed);
        if (resumed->state() != Download::Paused)
            resumed->pause(); // the card's button pauses a queued download first
        QCOMPARE(resumed->state(), Download::Paused);
        resumed->resume(); // and then resumes it

        QTRY_COMPARE_WITH_TIMEOUT(running(manager).size(), 6, kWaitMs);
        // It runs beside the five: none waits in the queue any more.
        QVERIFY(manager.queuedDownloads().isEmpty());
        QCOMPARE(manager.runningCount(), DownloadManager::MaxActiveDownloads + 1);
        const QList<Download *> downloads = running(manager);
        Download *heldDownload = nullptr;
        for (Download *d : downloads) {
            if (d->isDirect())
                heldDownload = d;
        }
        QVERIFY(heldDownload);
        QCOMPARE(heldDownload == resumed, resumedIsHeld);
        QTRY_COMPARE_WITH_TIMEOUT(onDisk(heldDownload), qint64(kHeldPrefix), kWaitMs);
        QVERIFY(ownThreads(downloads));

        QVERIFY(othersProgress(downloads, heldDownload));
        QCOMPARE(heldDownload->state(), Download::Downloading);
        QCOMPARE(server.openConnections(), 1);
        QCOMPARE(onDisk(heldDownload), qint64(kHeldPrefix));
        removeEverything(manager);
    }

    // A queued download the user resumed from its card runs like an active
    // one: Pause All stops it, and the network going away and coming back
    // fails and restarts it with the others, again each on its own thread.
    // A queued download nobody resumed keeps waiting throughout.
    void resumedFromItsCardFollowsAll_data()
    {
        QTest::addColumn<bool>("networkLoss");
        QTest::newRow("pause all") << false;
        QTest::newRow("network lost and back") << true;
    }
    void resumedFromItsCardFollowsAll()
    {
        QFETCH(bool, networkLoss);
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester tester(&manager, kReportFailures);
        manager.setRetryDelays([](int) { return 60 * 60 * 1000; });
        manager.initializeDownload(synthetic(QStringLiteral("all"), 7));
        QTRY_COMPARE_WITH_TIMEOUT(manager.rowCount(), 7, kWaitMs);
        Download *resumed = manager.queuedDownloads().value(0);
        Download *waiting = manager.queuedDownloads().value(1);
        QVERIFY(resumed && waiting);
        resumed->pause();
        resumed->resume();
        QTRY_COMPARE_WITH_TIMEOUT(running(manager).size(), 6, kWaitMs);

        QList<QPointer<Download>> all{resumed};
        for (Download *d : manager.activeDownloads())
            all.append(d);
        if (networkLoss)
            QVERIFY(
                QMetaObject::invokeMethod(&manager, "networkStatusChanged", Q_ARG(bool, false)));
        else
            manager.pauseAll();
        for (const QPointer<Download> &d : all) {
            QVERIFY(d);
            QCOMPARE(d->state(), Download::Paused);
            QCOMPARE(d->failure().kind(),
                     networkLoss ? DownloadFailure::NoConnection : DownloadFailure::None);
        }
        QCOMPARE(waiting->state(), Download::Queued);
        if (!networkLoss) {
            for (const QPointer<Download> &d : all)
                QTRY_VERIFY_WITH_TIMEOUT(d && !d->isTransferring(), kWaitMs);
            QCOMPARE(waiting->state(), Download::Queued);
            removeEverything(manager);
            return;
        }
        QVERIFY(QMetaObject::invokeMethod(&manager, "networkStatusChanged", Q_ARG(bool, true)));
        QTRY_COMPARE_WITH_TIMEOUT(running(manager).size(), 6, kWaitMs);
        QVERIFY(running(manager).contains(resumed));
        QVERIFY(ownThreads(running(manager)));
        QCOMPARE(waiting->state(), Download::Queued);
        removeEverything(manager);
    }

    // Resume All (what signing in does) in the turn a download is added: it
    // still starts only once its record is stored, with a single transfer,
    // so the file ends as the one served.
    void resumeAllWaitsForTheRecord_data()
    {
        QTest::addColumn<bool>("direct");
        QTest::newRow("descriptor") << false;
        QTest::newRow("direct") << true;
    }
    void resumeAllWaitsForTheRecord()
    {
        QFETCH(bool, direct);
        const qint64 size = 300000;
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester tester(&manager, kReportFailures);
        QSignalSpy stored(&manager, &DownloadManager::recordStored);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        QPointer<Download> added;
        Download::State stateAfterResume = Download::Finished;
        bool fetchingAfterResume = true;
        connect(&manager, &DownloadManager::added, this, [&](Download *d) {
            added = d;
            manager.resumeAll();
            stateAfterResume = d->state();
            fetchingAfterResume = d->isResuming();
        });
        m_fixture.site()->control(QStringLiteral("/control/clear"));
        if (direct)
            manager.initializeDirectDownload(
                m_fixture.site()->url(
                    QStringLiteral("/media/blob/early.mp4?bytes=%1&rate=150000").arg(size)),
                true);
        else
            manager.initializeDownload(
                m_fixture.site()->syntheticDescriptor(QStringLiteral("early"), 1, size, 150000));
        QTRY_VERIFY_WITH_TIMEOUT(added, kWaitMs);
        QCOMPARE(stateAfterResume, Download::None);
        QVERIFY(!fetchingAfterResume); // not even its descriptor
        const QString path = added->mediaPath();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kWaitMs);
        QCOMPARE(stored.size(), 1);
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
        const QStringList media =
            m_fixture.site()->requests().filter(QStringLiteral("/media/blob/early"));
        QCOMPARE(media.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestTransferThreads)
#include "tst_transferthreads.moc"
