// The download queue keeps whole items: restored downloads show themselves and
// resume from their media address, the descriptor is asked only to renew an
// address the site refuses, an item the site no longer offers keeps its record
// and file; and every item of a descriptor is judged on its own. Against the
// demo site on 127.0.0.1.
#include "DownloadSiteFixture.h"
#include "downloads/CorvanaItem.h"
#include "downloads/Download.h"
#include "downloads/DownloadFailure.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadRecords.h"
#include "library/Library.h"
#include "library/LibraryItem.h"
#include "library/LibraryStore.h"
#include "web/NetworkManager.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr auto kReportFailures = QAbstractItemModelTester::FailureReportingMode::QtTest;

} // namespace

class TestDownloadQueue : public QObject
{
    Q_OBJECT

private:
    // The descriptor of `count` items named after `tag`, with extra query items.
    QUrl descriptor(const QString &tag, int count, qint64 bytes, const QString &extra) const
    {
        return m_site->url(QStringLiteral("/members/synthetic.corvana?count=%1&bytes=%2&tag=%3&%4")
                               .arg(count)
                               .arg(bytes)
                               .arg(tag, extra));
    }
    int descriptorFetches() const
    {
        return int(m_site->requests().filter(QStringLiteral("/members/synthetic.corvana")).size());
    }
    bool sawRangeFrom(qint64 from) const
    {
        for (const QString &line : m_site->requests()) {
            if (line.contains(QLatin1String("/media/blob/")) &&
                line.endsWith(QStringLiteral("bytes=%1-").arg(from)))
                return true;
        }
        return false;
    }
    QList<DownloadRecords::Row> rows() const { return m_fixture.records()->allRows(); }
    // Starts the single item of `url` and pauses it once part of it is on disk;
    // the size on disk then (0 on failure).
    qint64 downloadPart(DownloadManager &manager, const QUrl &url)
    {
        manager.initializeDownload(url);
        if (!QTest::qWaitFor([&] { return manager.rowCount() == 1; }, 15000))
            return 0;
        Download *d = manager.activeDownloads().value(0);
        if (!d || !QTest::qWaitFor([&] { return QFileInfo(d->mediaPath()).size() > 20000; }, 20000))
            return 0;
        d->pause();
        if (!QTest::qWaitFor([&] { return !d->isTransferring(); }, 10000))
            return 0;
        return QFileInfo(d->mediaPath()).size();
    }
    static QString notices(const QSignalSpy &spy)
    {
        QString all;
        for (const QList<QVariant> &notice : spy)
            all += notice.at(1).toString() + QLatin1Char('\n');
        return all;
    }

    DownloadSiteFixture m_fixture;
    NetworkManager m_network{&m_fixture.account, &m_fixture.prompt};
    DemoSiteProcess *m_site = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_fixture.start());
        m_site = m_fixture.site();
    }
    void init()
    {
        QVERIFY(m_fixture.freshHome());
        m_site->control(QStringLiteral("/control/withdraw"));
        m_site->control(QStringLiteral("/control/clear"));
    }

    // A stored item comes back with its title, picture and progress before
    // anything is asked of the site, and resumes from its media address by
    // range, never asking the descriptor.
    void restoredItemShowsAtOnceAndResumesWithoutDescriptor()
    {
        const qint64 size = 300000;
        const QUrl url = descriptor(QStringLiteral("whole"), 1, size, QStringLiteral("rate=60000"));
        QString path;
        qint64 partial = 0;
        {
            DownloadManager first(&m_network, m_fixture.records(), &m_fixture.prompt);
            partial = downloadPart(first, url);
            QVERIFY(partial > 0 && partial < size);
            path = first.activeDownloads().first()->mediaPath();
            QTRY_VERIFY_WITH_TIMEOUT(
                QFileInfo::exists(first.activeDownloads().first()->thumbnailPath()), 10000);
        }
        m_site->control(QStringLiteral("/control/clear"));
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester tester(&manager, kReportFailures);
        QCOMPARE(manager.rowCount(), 1);
        const QModelIndex row = manager.index(0);
        QCOMPARE(row.data(Qt::DisplayRole).toString(), QStringLiteral("whole 1"));
        QVERIFY(QFileInfo::exists(row.data(Qt::DecorationRole).toString()));
        Download *d = manager.activeDownloads().first();
        QCOMPARE(d->item().guid(), QStringLiteral("whole-1"));
        QCOMPARE(d->item().description(), QStringLiteral("Generated"));
        QCOMPARE(d->mediaSize(), size);
        QCOMPARE(d->bytesWritten(), partial);
        QVERIFY(d->progress() > 0.0);
        QCOMPARE(d->state(), Download::Paused);
        QCOMPARE(descriptorFetches(), 0);
        QVERIFY(m_site->requests().filter(QStringLiteral("/media/")).isEmpty());

        QSignalSpy finished(&manager, &DownloadManager::finished);
        manager.resumeAll();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCOMPARE(descriptorFetches(), 0);
        QVERIFY(sawRangeFrom(partial));
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
    }

    // The site refuses an expired media address: the descriptor is asked
    // once for the new one and the file goes on by range to the same bytes.
    void expiredAddressIsRenewedOnce()
    {
        const qint64 size = 300000;
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester tester(&manager, kReportFailures);
        const qint64 partial =
            downloadPart(manager, descriptor(QStringLiteral("expiry"), 1, size,
                                             QStringLiteral("rate=60000&expiring")));
        QVERIFY(partial > 0 && partial < size);
        Download *d = manager.activeDownloads().first();
        const QString path = d->mediaPath();
        QSignalSpy renewed(d, &Download::itemRenewed);
        m_site->control(QStringLiteral("/control/expire"));
        m_site->control(QStringLiteral("/control/clear"));
        QSignalSpy finished(&manager, &DownloadManager::finished);
        d->resume();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCOMPARE(descriptorFetches(), 1);
        QCOMPARE(renewed.size(), 1);
        QVERIFY(m_site->requests().filter(QStringLiteral("/media/blob/")).size() >= 2);
        QVERIFY(sawRangeFrom(partial));
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
    }

    // The descriptor no longer lists the item: the record and the partial
    // file stay, with the reason (also after a restart); Retry asks the
    // descriptor again and goes on by range, Remove deletes the partial file.
    void withdrawnItemKeepsRecordAndFile_data()
    {
        QTest::addColumn<bool>("retry");
        QTest::newRow("retry once offered again") << true;
        QTest::newRow("remove") << false;
    }
    void withdrawnItemKeepsRecordAndFile()
    {
        QFETCH(bool, retry);
        const qint64 size = 300000;
        const QString tag = retry ? QStringLiteral("gone") : QStringLiteral("dropped");
        const QUrl url = descriptor(tag, 1, size, QStringLiteral("rate=60000&expiring"));
        QString path;
        qint64 partial = 0;
        {
            DownloadManager first(&m_network, m_fixture.records(), &m_fixture.prompt);
            partial = downloadPart(first, url);
            QVERIFY(partial > 0 && partial < size);
            Download *d = first.activeDownloads().first();
            path = d->mediaPath();
            m_site->control(QStringLiteral("/control/expire"));
            m_site->control(QStringLiteral("/control/withdraw?guid=") + tag + QStringLiteral("-1"));
            d->resume();
            QTRY_COMPARE_WITH_TIMEOUT(d->failure().kind(), DownloadFailure::Withdrawn, 20000);
            QCOMPARE(d->failure().message(),
                     QStringLiteral("The site no longer offers this video"));
            QCOMPARE(first.rowCount(), 1);
            // Asking again by itself would change nothing.
            d->retryNow();
            QVERIFY(!d->isResuming());
        }
        QCOMPARE(QFileInfo(path).size(), partial);
        QTRY_VERIFY_WITH_TIMEOUT(rows().value(0).failureKind == DownloadFailure::Withdrawn, 10000);

        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester tester(&manager, kReportFailures);
        QCOMPARE(manager.rowCount(), 1);
        Download *d = manager.activeDownloads().first();
        QCOMPARE(d->failure().kind(), DownloadFailure::Withdrawn);
        QCOMPARE(d->failure().message(), QStringLiteral("The site no longer offers this video"));
        QCOMPARE(d->item().title(), tag + QStringLiteral(" 1"));
        if (!retry) {
            m_fixture.prompt.answers = {UserPrompt::Yes};
            d->cancel();
            QCOMPARE(manager.rowCount(), 0);
            QVERIFY(!QFileInfo::exists(path));
            QTRY_VERIFY_WITH_TIMEOUT(rows().isEmpty(), 10000);
            return;
        }
        m_site->control(QStringLiteral("/control/withdraw"));
        m_site->control(QStringLiteral("/control/clear"));
        QSignalSpy finished(&manager, &DownloadManager::finished);
        d->resume(); // the card's Retry
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCOMPARE(descriptorFetches(), 1);
        QVERIFY(sawRangeFrom(partial));
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
        QTRY_VERIFY_WITH_TIMEOUT(rows().isEmpty(), 10000);
    }

    // A stored record is data from disk: a path that leads out of the
    // library folder (named so, or through a link inside it) is not the
    // download's, so neither its size is shown nor is it removed with it.
    void storedPathOutsideTheLibraryIsNotKept_data()
    {
        QTest::addColumn<bool>("throughLink");
        QTest::newRow("named outside") << false;
        QTest::newRow("link inside to outside") << true;
    }
    void storedPathOutsideTheLibraryIsNotKept()
    {
        QFETCH(bool, throughLink);
        QTemporaryDir elsewhere;
        const QString outside = elsewhere.filePath(QStringLiteral("precious.mp4"));
        {
            QFile file(outside);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.write(QByteArray(4096, 'p')) == 4096);
        }
        const QDir library(m_fixture.libraryFolder());
        QString stored = outside;
        if (throughLink) {
            QVERIFY(
                QFile::link(elsewhere.path(), library.absoluteFilePath(QStringLiteral("away"))));
            stored = library.absoluteFilePath(QStringLiteral("away/precious.mp4"));
        }
        CorvanaMedia media;
        media.url = m_site->url(QStringLiteral("/media/blob/precious.mp4?bytes=8192"));
        media.title = QStringLiteral("Precious");
        media.size = 8192;
        CorvanaItem item;
        item.setTitle(QStringLiteral("Precious"));
        item.setGuid(QStringLiteral("precious-1"));
        item.setMedia(media);
        DownloadRecords::Row row;
        row.corvanaUrl = descriptor(QStringLiteral("precious"), 1, 8192, QString());
        row.mediaUrl = media.url;
        row.item = item;
        row.downloadPath = stored;
        bool added = false;
        m_fixture.records()->add({row}, [&added] { added = true; });
        QTRY_VERIFY_WITH_TIMEOUT(added, 10000);

        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        QCOMPARE(manager.rowCount(), 1);
        Download *d = manager.activeDownloads().first();
        QCOMPARE(d->item().title(), QStringLiteral("Precious"));
        QVERIFY(d->mediaPath() != stored);
        QVERIFY2(d->mediaPath().startsWith(library.absolutePath() + QLatin1Char('/')),
                 qPrintable(d->mediaPath()));
        QCOMPARE(d->bytesWritten(), 0);
        m_fixture.prompt.answers = {UserPrompt::Yes};
        d->cancel();
        QCOMPARE(manager.rowCount(), 0);
        QCOMPARE(QFileInfo(outside).size(), 4096);
    }

    // One bad item spoils nothing: an item already in the library, five with
    // an address that cannot be fetched, one announcing an absurd size are
    // each skipped with a note naming them; the rest download.
    void everyItemIsJudgedOnItsOwn_data()
    {
        QTest::addColumn<QString>("extra");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("knownFirst");
        QTest::addColumn<QStringList>("skipped");
        QTest::newRow("known first item")
            << QString() << 3 << true << QStringList{QStringLiteral("judge 1")};
        QTest::newRow("five ftp items before a good one")
            << QStringLiteral("badscheme=5&scheme=ftp") << 6 << false
            << QStringList{QStringLiteral("judge 1"), QStringLiteral("judge 3"),
                           QStringLiteral("judge 5")};
        QTest::newRow("absurd size first")
            << QStringLiteral("absurd=1") << 3 << false << QStringList{QStringLiteral("judge 1")};
    }
    void everyItemIsJudgedOnItsOwn()
    {
        QFETCH(QString, extra);
        QFETCH(int, count);
        QFETCH(bool, knownFirst);
        QFETCH(QStringList, skipped);
        if (knownFirst) {
            LibraryItem known;
            known.title(QStringLiteral("judge 1"));
            known.guid(QStringLiteral("judge-1"));
            known.videoPath(QStringLiteral("/nowhere/judge 1.mp4"));
            LibraryStore *store = m_fixture.store();
            QCOMPARE(store->call([&] { return store->insertItems({known}); }).size(), 1);
        }
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester tester(&manager, kReportFailures);
        QSignalSpy notice(&manager, &DownloadManager::notice);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        const int good = knownFirst ? count - 1 : count - (extra.contains("badscheme") ? 5 : 1);
        manager.initializeDownload(descriptor(QStringLiteral("judge"), count, 20000, extra));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), good, 30000);
        QCOMPARE(notice.size(), 1);
        for (const QString &title : skipped)
            QVERIFY2(notices(notice).contains(title + QLatin1Char(':')),
                     qPrintable(notices(notice)));
        // The last `good` items are the good ones, each finished and whole.
        const QDir library(m_fixture.libraryFolder());
        for (int n = 1; n <= count; ++n) {
            const QString path =
                library.absoluteFilePath(QStringLiteral("judge %1/judge %1.mp4").arg(n));
            QCOMPARE(QFileInfo(path).size(), n > count - good ? qint64(20000) : qint64(0));
        }
        QCOMPARE(manager.rowCount(), 0);
        // Told as a notice, never asked.
        QCOMPARE(m_fixture.prompt.messages.size(), 0);
    }

    // Downloads left paused hold none of the five places: a new one runs at
    // once, and the paused ones stay paused.
    void pausedDownloadsHoldNoPlace()
    {
        for (int i = 1; i <= 6; ++i) {
            DownloadRecords::Row row;
            row.corvanaUrl = descriptor(QStringLiteral("held%1").arg(i), 1, 200000,
                                        QStringLiteral("rate=20000"));
            row.mediaUrl = m_site->url(
                QStringLiteral("/media/blob/held%1-1.mp4?bytes=200000&rate=20000").arg(i));
            row.downloadPath = QDir(m_fixture.libraryFolder())
                                   .absoluteFilePath(QStringLiteral("held %1/held %1.mp4").arg(i));
            QVERIFY(m_fixture.records()->insert(row));
        }
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester tester(&manager, kReportFailures);
        QCOMPARE(manager.rowCount(), 6);
        QCOMPARE(manager.runningCount(), 0);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        manager.initializeDownload(descriptor(QStringLiteral("fresh"), 1, 30000, QString()));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCOMPARE(QFileInfo(QDir(m_fixture.libraryFolder())
                               .absoluteFilePath(QStringLiteral("fresh 1/fresh 1.mp4")))
                     .size(),
                 qint64(30000));
        for (Download *d : manager.activeDownloads())
            QCOMPARE(d->state(), Download::Paused);
        QCOMPARE(manager.rowCount(), 6);
        QCOMPARE(m_site->requests().filter(QStringLiteral("held")).size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDownloadQueue)
#include "tst_downloadqueue.moc"
