// The speed limit shared by the transfers: over any window the bucket grants
// the limit's rate (plus at most its burst), every transfer gets a fair share,
// and a new limit holds from the next take. On a simulated clock: bytes are
// counted against tokens, not against the time a run takes.
#include "downloads/SpeedLimitSettings.h"
#include "downloads/TransferRateLimiter.h"

#include <QTest>

#include <algorithm>
#include <vector>

class TestRateLimiter : public QObject
{
    Q_OBJECT

private:
    // `transfers` asking in turns every `stepMs` for `ms` simulated
    // milliseconds; what each was granted.
    static std::vector<qint64> run(TransferRateLimiter &limiter, qint64 &now, int transfers,
                                   qint64 ms, int stepMs = 5)
    {
        std::vector<qint64> granted(size_t(transfers), 0);
        int first = 0;
        for (const qint64 end = now + ms; now < end; now += stepMs) {
            // Each takes what it is given, in a turn that starts one further on.
            for (int i = 0; i < transfers; ++i) {
                const int t = (first + i) % transfers;
                granted[size_t(t)] += limiter.take(64 * 1024);
            }
            first = (first + 1) % transfers;
        }
        return granted;
    }
    static qint64 sum(const std::vector<qint64> &values)
    {
        qint64 total = 0;
        for (qint64 v : values)
            total += v;
        return total;
    }

private Q_SLOTS:
    void unlimitedGrantsAll()
    {
        qint64 now = 0;
        TransferRateLimiter limiter([&now] { return now; });
        QCOMPARE(limiter.take(123456), qint64(123456));
        QCOMPARE(limiter.msUntilAvailable(), 0);
    }

    void holdsTheRateAndSharesIt_data()
    {
        QTest::addColumn<int>("transfers");
        QTest::newRow("one") << 1;
        QTest::newRow("five") << 5;
    }
    void holdsTheRateAndSharesIt()
    {
        QFETCH(int, transfers);
        qint64 now = 1000;
        TransferRateLimiter limiter([&now] { return now; });
        const qint64 rate = 2 * 1024 * 1024;
        limiter.setLimit(rate);
        const qint64 seconds = 20;
        const std::vector<qint64> granted = run(limiter, now, transfers, seconds * 1000);
        const qint64 burst = rate / TransferRateLimiter::BurstDivisor;
        const qint64 total = sum(granted);
        QVERIFY2(total <= rate * seconds + burst && total >= rate * seconds * 95 / 100,
                 qPrintable(QString::number(total)));
        const qint64 fair = total / transfers;
        for (qint64 share : granted)
            QVERIFY2(share >= fair * 9 / 10, qPrintable(QString::number(share)));
    }

    // Lowered, raised, switched off: the next window keeps the new limit.
    void aNewLimitHoldsAtOnce()
    {
        qint64 now = 0;
        TransferRateLimiter limiter([&now] { return now; });
        limiter.setLimit(4 * 1024 * 1024);
        run(limiter, now, 3, 2000);
        limiter.setLimit(256 * 1024);
        const qint64 low = sum(run(limiter, now, 3, 1000));
        QVERIFY2(low <= 256 * 1024 + 256 * 1024 / TransferRateLimiter::BurstDivisor,
                 qPrintable(QString::number(low)));
        QVERIFY(low >= 256 * 1024 * 9 / 10);
        QVERIFY(limiter.msUntilAvailable() > 0 && limiter.msUntilAvailable() <= 1000);
        limiter.setLimit(0);
        QCOMPARE(limiter.take(1 << 20), qint64(1 << 20));
    }

    void scheduleDecidesTheLimit()
    {
        SpeedLimitSettings limits;
        limits.limitKiB = 2048;
        limits.alternativeKiB = 100;
        // Tuesday 09:00 to 10:00.
        limits.schedule.setBit(1 * 24 + 9);
        const QDateTime tuesdayNine(QDate(2026, 12, 8), QTime(9, 30));
        const QDateTime tuesdayTen(QDate(2026, 12, 8), QTime(10, 0));
        QCOMPARE(limits.bytesPerSecondAt(tuesdayNine), qint64(100 * 1024));
        QCOMPARE(limits.bytesPerSecondAt(tuesdayTen), qint64(2048 * 1024));
        limits.alternativeOn = true; // the page's toggle
        QCOMPARE(limits.bytesPerSecondAt(tuesdayTen), qint64(100 * 1024));
        // The stored form, and a damaged one (no hours at all).
        QCOMPARE(SpeedLimitSettings::scheduleFromText(limits.scheduleText()), limits.schedule);
        QCOMPARE(SpeedLimitSettings::scheduleFromText(QStringLiteral("1x")).count(true), 0);
        QCOMPARE(SpeedLimitSettings::scheduleFromText(QString(168, QLatin1Char('2'))).count(true),
                 0);
    }
};

QTEST_GUILESS_MAIN(TestRateLimiter)
#include "tst_ratelimiter.moc"
