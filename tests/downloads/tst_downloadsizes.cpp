// Media sizes from the descriptor's "bytes" attribute through to what the
// downloads card shows, including videos beyond 2 and 4 GiB, against the
// demo site's generated content (nothing of that size is written to disk).
#include "DownloadSiteFixture.h"
#include "SyntheticBlob.h"
#include "TestSupport.h"
#include "core/Formatters.h"
#include "downloads/ContentRange.h"
#include "downloads/CorvanaItem.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadProgress.h"
#include "library/Library.h"
#include "web/NetworkManager.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

#include <limits>
#include <memory>

namespace {

QByteArray descriptorWithBytes(const QByteArray &bytes)
{
    return "<rss><channel><item><title>T</title><guid>g</guid><media:group><media:content "
           "url=\"http://127.0.0.1/v.mp4\" bytes=\"" +
           bytes +
           "\" type=\"video/mp4\"><media:title>T</media:title></media:content>"
           "</media:group></item></channel></rss>";
}

// The bar's value over its maximum must match written over size closely.
void checkBar(const DownloadProgress::Bar &bar, qint64 written, qint64 size)
{
    QVERIFY(bar.maximum > 0);
    QVERIFY(bar.value >= 0 && bar.value <= bar.maximum);
    QVERIFY(qAbs(double(bar.value) / bar.maximum - double(written) / double(size)) < 1e-6);
}

} // namespace

class TestDownloadSizes : public QObject
{
    Q_OBJECT

private:
    DownloadSiteFixture m_fixture;
    NetworkManager m_network{&m_fixture.account, &m_fixture.prompt};
    DemoSiteProcess *m_site = nullptr;

    Download *startSynthetic(DownloadManager &manager, const QString &tag, qint64 bytes,
                             qint64 rate)
    {
        manager.initializeDownload(m_site->syntheticDescriptor(tag, 1, bytes, rate));
        if (!QTest::qWaitFor([&] { return manager.rowCount() == 1; }, 15000))
            return nullptr;
        return manager.activeDownloads().value(0);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_fixture.start());
        m_site = m_fixture.site();
    }

    void init() { QVERIFY(m_fixture.freshHome()); }

    void sizeThroughParserToProgress_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("size");
        QTest::newRow("zero") << QByteArray("0") << qint64(0);
        QTest::newRow("one") << QByteArray("1") << qint64(1);
        QTest::newRow("largest int") << QByteArray("2147483647") << qint64(2147483647);
        QTest::newRow("2 GiB") << QByteArray("2147483648") << qint64(2147483648);
        QTest::newRow("5 GB") << QByteArray("5000000000") << qint64(5000000000);
        QTest::newRow("largest 64-bit")
            << QByteArray("9223372036854775807") << std::numeric_limits<qint64>::max();
        QTest::newRow("minus one") << QByteArray("-1") << qint64(0);
        QTest::newRow("negative") << QByteArray("-234") << qint64(0);
        // Held as the largest number: an absurd size, refused, not an unknown one.
        QTest::newRow("beyond 64 bits")
            << QByteArray("9223372036854775808") << std::numeric_limits<qint64>::max();
        QTest::newRow("trailing letters") << QByteArray("12abc") << qint64(0);
        QTest::newRow("empty") << QByteArray() << qint64(0);
    }
    void sizeThroughParserToProgress()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, size);
        const QList<CorvanaItem> items = CorvanaItem::parseCorvanaFile(descriptorWithBytes(bytes));
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.first().mediaSize(), size);

        // Halfway, and past the end (a descriptor that understated the size).
        const qint64 past = size + qMin<qint64>(1000, std::numeric_limits<qint64>::max() - size);
        for (const qint64 written : {size / 2, past}) {
            const DownloadProgress::Bar bar = DownloadProgress::bar(written, size);
            const QString text = DownloadProgress::text(written, size, 1024.0 * 1024.0, 61.0);
            if (size == 0) {
                QCOMPARE(bar.maximum, 0);
                QCOMPARE(bar.value, 0);
                QVERIFY2(text.startsWith(Formatters::byteSize(written) + QStringLiteral(" of ? (")),
                         qPrintable(text));
                QVERIFY(text.endsWith(QStringLiteral("/sec) - ")));
                continue;
            }
            if (written <= size)
                RUN_CHECKED(checkBar(bar, written, size));
            else
                QCOMPARE(bar.value, bar.maximum);
            QVERIFY(bar.maximum <= std::numeric_limits<int>::max());
            QVERIFY2(text.startsWith(Formatters::byteSize(qMax<qint64>(0, written)) +
                                     QStringLiteral(" of ") + Formatters::byteSize(size)),
                     qPrintable(text));
            QVERIFY2(text.endsWith(QStringLiteral("(1.0 MB/sec) - 1 minute remaining")),
                     qPrintable(text));
        }
    }

    // The answer's range decides whether its bytes continue the file: a
    // contradicting or overflowing header must read as unknown, not as 0.
    void contentRangeHeaders_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<qint64>("start");
        QTest::addColumn<qint64>("end");
        QTest::addColumn<qint64>("total");
        QTest::newRow("partial") << QByteArray("bytes 100-199/200") << qint64(100) << qint64(199)
                                 << qint64(200);
        QTest::newRow("beyond 4 GiB")
            << QByteArray("bytes 4294967296-4999999999/5000000000") << qint64(4294967296)
            << qint64(4999999999) << qint64(5000000000);
        QTest::newRow("total unknown")
            << QByteArray("bytes 0-9/*") << qint64(0) << qint64(9) << qint64(-1);
        QTest::newRow("not satisfiable")
            << QByteArray("bytes */5000000000") << qint64(-1) << qint64(-1) << qint64(5000000000);
        QTest::newRow("start overflows") << QByteArray("bytes 99999999999999999999-1/2")
                                         << qint64(-1) << qint64(-1) << qint64(-1);
        QTest::newRow("end before start")
            << QByteArray("bytes 5-3/10") << qint64(-1) << qint64(-1) << qint64(-1);
        QTest::newRow("end beyond total")
            << QByteArray("bytes 0-10/10") << qint64(-1) << qint64(-1) << qint64(-1);
        QTest::newRow("negative") << QByteArray("bytes -5-3/10") << qint64(-1) << qint64(-1)
                                  << qint64(-1);
    }
    void contentRangeHeaders()
    {
        QFETCH(QByteArray, header);
        const ContentRange range = ContentRange::parse(header);
        QTEST(range.start, "start");
        QTEST(range.end, "end");
        QTEST(range.total, "total");
    }

    // No speed yet: the remaining time is infinite and must not become a
    // number; the speed reads "0 bytes".
    void stalledTransferText()
    {
        const double inf = std::numeric_limits<double>::infinity();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        for (const double speed : {0.0, -1.0, nan, inf}) {
            const QString text = DownloadProgress::text(5000, 5000000000, speed, inf);
            QVERIFY2(text.endsWith(QStringLiteral("(0 bytes/sec) - ")), qPrintable(text));
            QVERIFY(text.startsWith(QStringLiteral("5.0 kB of 5.0 GB (")));
        }
        QVERIFY(DownloadProgress::text(1, 10, 1.0, nan).endsWith(QStringLiteral(" - ")));
    }

    // A 5 GB video downloads with its full size: the first progress reports
    // carry the right fraction, bar and text. Stopped after them.
    void fiveGigabyteDownloadReportsProgress()
    {
        const qint64 size = 5000000000;
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        Download *d = startSynthetic(manager, QStringLiteral("huge"), size, 400000);
        QVERIFY(d);
        QSignalSpy progress(d, &Download::updateProgress);
        QTRY_VERIFY_WITH_TIMEOUT(d->bytesWritten() > 0 && progress.size() > 0, 15000);
        QCOMPARE(d->mediaSize(), size);
        const qint64 written = d->bytesWritten();
        QVERIFY(written < size);
        QCOMPARE(d->progress(), double(written) / double(size));
        RUN_CHECKED(checkBar(d->progressBar(), written, size));
        const QString text = d->progressText();
        QVERIFY2(text.contains(QStringLiteral(" of 5.0 GB (")), qPrintable(text));
        d->cancel();
    }

    // Resuming beyond 4 GiB: the range asked for and the answer's start are
    // 64-bit, and the new bytes land at the end of the (sparse) partial file.
    void resumeBeyondFourGibibytes()
    {
        const qint64 size = 5000000000;
        const qint64 partial = qint64(4) * 1024 * 1024 * 1024 + 123457;
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        Download *d = startSynthetic(manager, QStringLiteral("resume-huge"), size, 200000);
        QVERIFY(d);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(d->mediaPath()).size() > 0, 15000);
        d->pause();
        QCOMPARE(d->state(), Download::Paused);
        const QString path = d->mediaPath();
        QVERIFY(QFile::resize(path, partial)); // sparse: no 4 GiB written

        m_site->control(QStringLiteral("/control/clear"));
        QSignalSpy progress(d, &Download::updateProgress);
        d->resume();
        QTRY_VERIFY_WITH_TIMEOUT(progress.size() > 0 && d->bytesWritten() > partial + 1000, 20000);
        const qint64 written = d->bytesWritten();
        QVERIFY(written < size);
        QCOMPARE(d->progress(), double(written) / double(size));
        RUN_CHECKED(checkBar(d->progressBar(), written, size));
        QVERIFY2(d->progressText().startsWith(QStringLiteral("4.3 GB of 5.0 GB (")),
                 qPrintable(d->progressText()));
        d->pause();
        bool sawRange = false;
        for (const QString &line : m_site->requests())
            sawRange |= line.endsWith(QStringLiteral("bytes=%1-").arg(partial));
        QVERIFY2(sawRange, qPrintable(m_site->requests().join(QLatin1Char('\n'))));
        QVERIFY(QFileInfo(path).size() >= written);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.seek(partial));
        const QByteArray appended = file.read(1000);
        QCOMPARE(appended.size(), 1000);
        for (int i = 0; i < appended.size(); ++i)
            QCOMPARE(quint8(appended.at(i)), SyntheticBlob::byteAt(partial + i));
        file.close();
        d->cancel();
    }
};

QTEST_GUILESS_MAIN(TestDownloadSizes)
#include "tst_downloadsizes.moc"
