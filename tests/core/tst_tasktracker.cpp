#include "core/JobThread.h"
#include "core/TaskTracker.h"

#include <QList>
#include <QMutex>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>

class TaskTrackerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A job hands its result to the tracker's thread, where taking it in
    // starts the next job: idle only comes after the last of the chain.
    void idleWaitsForHandedOverWork_data()
    {
        QTest::addColumn<int>("handOvers");
        QTest::newRow("one job") << 0;
        QTest::newRow("one hand-over") << 1;
        QTest::newRow("a chain") << 25;
    }
    void idleWaitsForHandedOverWork()
    {
        QFETCH(int, handOvers);
        TaskTracker tracker;
        JobThread worker(QStringLiteral("worker"), &tracker);
        int takenIn = 0;
        std::function<void(int)> step = [&](int left) {
            worker.post([&, left] {
                // The result goes to the tracker's thread before the job ends.
                QMetaObject::invokeMethod(
                    &tracker,
                    [&, left] {
                        ++takenIn;
                        if (left > 0)
                            step(left - 1);
                    },
                    Qt::QueuedConnection);
            });
        };
        step(handOvers);
        QVERIFY(!tracker.isIdle());
        QVERIFY(tracker.waitForIdle(60000));
        QCOMPARE(takenIn, handOvers + 1);
        QVERIFY(tracker.isIdle());
    }

    void runningNamesTheKindsAndTasksEndOnce()
    {
        TaskTracker tracker;
        QSignalSpy busy(&tracker, &TaskTracker::busyChanged);
        TaskTracker::Task a = tracker.begin(QStringLiteral("store"));
        TaskTracker::Task b = tracker.begin(QStringLiteral("import"));
        TaskTracker::Task c = tracker.begin(QStringLiteral("store"));
        QCOMPARE(tracker.running(),
                 QStringList({QStringLiteral("import"), QStringLiteral("store")}));
        TaskTracker::Task moved = std::move(a);
        QVERIFY(!a.isActive());
        a.end(); // a moved-from task ends nothing
        c.end();
        c.end();
        QCOMPARE(tracker.running(),
                 QStringList({QStringLiteral("import"), QStringLiteral("store")}));
        moved = TaskTracker::Task(); // ends what it held
        QCOMPARE(tracker.running(), QStringList({QStringLiteral("import")}));
        QVERIFY(!tracker.waitForIdle(50));
        b.end();
        QVERIFY(tracker.waitForIdle(60000));
        QVERIFY(tracker.running().isEmpty());
        QCOMPARE(busy.size(), 2);
        QCOMPARE(busy.at(0).at(0).toBool(), true);
        QCOMPARE(busy.at(1).at(0).toBool(), false);
    }

    // Jobs run one after another on the thread; finishing runs what was
    // queued; what comes after is dropped and counts for nothing.
    void jobThreadRunsInOrderAndFinishes()
    {
        TaskTracker tracker;
        QList<int> order;
        QMutex orderLock;
        QThread *ranOn = nullptr;
        {
            JobThread jobs(QStringLiteral("jobs"), &tracker);
            for (int i = 0; i < 100; ++i) {
                jobs.post([&, i] {
                    QMutexLocker locker(&orderLock);
                    order << i;
                    ranOn = QThread::currentThread();
                });
            }
            jobs.finish();
            QVERIFY(jobs.isFinishing());
            jobs.post([&] { order << -1; });
        }
        QCOMPARE(order.size(), 100);
        for (int i = 0; i < order.size(); ++i)
            QCOMPARE(order.at(i), i);
        QVERIFY(ranOn != QThread::currentThread());
        QVERIFY(tracker.waitForIdle(60000));
    }
};

QTEST_GUILESS_MAIN(TaskTrackerTest)
#include "tst_tasktracker.moc"
