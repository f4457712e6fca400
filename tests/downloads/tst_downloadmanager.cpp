// Downloads end to end against the demo site on 127.0.0.1.
#include "DownloadSiteFixture.h"
#include "IndexBuildGate.h"
#include "ScriptedHttpServer.h"
#include "TestDatabase.h"
#include "TestSupport.h"
#include "downloads/CorvanaItem.h"
#include "downloads/Download.h"
#include "downloads/DownloadFailure.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadRecords.h"
#include "engines/Engines.h"
#include "library/ImportController.h"
#include "library/Library.h"
#include "library/LibraryItem.h"
#include "library/LibraryModel.h"
#include "library/LibraryStore.h"
#include "library/MetaDataBuilder.h"
#include "web/Account.h"
#include "web/NetworkManager.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

namespace {

// Every manager of these tests runs under the model tester while its rows change.
constexpr auto kReportFailures = QAbstractItemModelTester::FailureReportingMode::QtTest;

} // namespace

class TestDownloadManager : public QObject
{
    Q_OBJECT

private:
    QUrl synthetic(const QString &tag, int count, qint64 bytes, qint64 rate = 0,
                   bool redirect = false) const
    {
        return m_site->syntheticDescriptor(tag, count, bytes, rate, redirect);
    }
    static int countWarnings(const ScriptedPrompt &prompt, const QString &title)
    {
        int n = 0;
        for (const auto &message : prompt.messages)
            n += message.title == title ? 1 : 0;
        return n;
    }
    int storedRows() const { return int(m_fixture.records()->allRows().size()); }
    // Forty videos in the library, so that its index build takes a while;
    // false if they did not all come.
    [[nodiscard]] static bool fillLibrary(Engines &engines)
    {
        LibraryStore *store = engines.store();
        LibraryItems items;
        for (int i = 0; i < 40; ++i) {
            LibraryItem item;
            item.title(QStringLiteral("Kept %1").arg(i));
            item.guid(QStringLiteral("kept-%1").arg(i));
            item.dvdTitle(QStringLiteral("Set %1").arg(i % 3));
            item.videoPath(QDir(engines.location().folder())
                               .absoluteFilePath(QStringLiteral("kept%1.mp4").arg(i)));
            items << item;
        }
        if (store->call([&] { return store->insertItems(items); }).size() != items.size())
            return false;
        const Library &library = *engines.library();
        return QTest::qWaitFor(
            [&] { return library.model()->rowCount() == 40 && !library.isBusy(); }, 30000);
    }

    // Whether the site was asked for the blob from byte `from` on (a resume
    // by Range from the bytes on disk).
    bool siteSawRangeFrom(qint64 from) const
    {
        const QString rangeLine = QStringLiteral("bytes=%1-").arg(from);
        for (const QString &line : m_site->requests()) {
            if (line.contains(QLatin1String("/media/blob/")) && line.endsWith(rangeLine))
                return true;
        }
        return false;
    }
    QByteArray siteRequests() const { return m_site->requests().join(QLatin1Char('\n')).toUtf8(); }

    // A descriptor file of one item whose media the site serves.
    QString writeDescriptor(const QString &name, const QString &title, const QString &mediaTitle,
                            const QString &type) const
    {
        const QByteArray xml =
            "<rss><channel><item><title>" + title.toHtmlEscaped().toUtf8() + "</title><guid>" +
            name.toUtf8() + "</guid><media:group><media:content url=\"" +
            m_site->url(QStringLiteral("/media/blob/%1.mp4?bytes=5000").arg(name)).toEncoded() +
            "\" type=\"" + type.toUtf8() + "\"><media:title>" +
            mediaTitle.toHtmlEscaped().toUtf8() +
            "</media:title></media:content></media:group></item></channel></rss>";
        const QString path =
            m_fixture.home() + QLatin1Char('/') + name + QStringLiteral(".corvana");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(xml);
        return path;
    }
    // Whether every active download transfers (each starts once its record is stored).
    static bool allRunning(const DownloadManager &manager)
    {
        for (Download *d : manager.activeDownloads()) {
            if (d->state() != Download::Downloading)
                return false;
        }
        return true;
    }
    Download *waitForSingle(DownloadManager &manager)
    {
        if (!QTest::qWaitFor([&] { return manager.rowCount() == 1; }, 15000))
            return nullptr;
        return manager.activeDownloads().value(0);
    }

    DownloadSiteFixture m_fixture;
    QTemporaryDir m_files;
    NetworkManager m_network{&m_fixture.account, &m_fixture.prompt};
    DemoSiteProcess *m_site = nullptr;
    ScriptedPrompt &m_prompt = m_fixture.prompt;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_fixture.start());
        m_site = m_fixture.site();
    }

    void init() { QVERIFY(m_fixture.freshHome()); }

    void sixAcceptedFiveRunOneQueued()
    {
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QSignalSpy started(&manager, &DownloadManager::started);
        manager.initializeDownload(synthetic(QStringLiteral("six"), 6, 400000, 20000));
        QTRY_COMPARE_WITH_TIMEOUT(manager.rowCount(), 6, 15000);
        QCOMPARE(manager.activeDownloads().size(), 5);
        QCOMPARE(storedRows(), 6);
        QTRY_VERIFY_WITH_TIMEOUT(allRunning(manager), 15000);
        Download *queued = manager.queuedDownloads().value(0);
        QVERIFY(queued);
        QCOMPARE(queued->state(), Download::Queued);

        Download *first = manager.activeDownloads().first();
        const QString folder = first->downloadFolder();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(first->mediaPath()).size() > 0, 10000);
        first->cancel();
        QVERIFY(!QFileInfo::exists(first->mediaPath()));
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(started.size(), 1);
        QCOMPARE(started.first().first().value<Download *>(), queued);
        QTRY_COMPARE_WITH_TIMEOUT(queued->state(), Download::Downloading, 10000);
        QCOMPARE(manager.activeDownloads().size(), 5);
        QCOMPARE(storedRows(), 5);

        m_prompt.answers = {UserPrompt::No};
        manager.removeAll();
        QCOMPARE(manager.rowCount(), 5);
        m_prompt.answers = {UserPrompt::Yes};
        manager.removeAll();
        QCOMPARE(manager.rowCount(), 0);
        QCOMPARE(storedRows(), 0);
        QCOMPARE(QDir(m_fixture.libraryFolder())
                     .entryList({QStringLiteral("six*")}, QDir::Dirs | QDir::NoDotAndDotDot)
                     .size(),
                 0);
    }

    // A view's own copy of the rows (a sorting proxy keeps one) stays the
    // manager's rows through a download deleted elsewhere, pause and resume
    // of all, and a queued download moving up.
    void viewsFollowEveryRowChange()
    {
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QSortFilterProxyModel view;
        view.setSourceModel(&manager);
        const auto rowsAgree = [&] {
            if (view.rowCount() != manager.rowCount())
                return false;
            for (int row = 0; row < view.rowCount(); ++row) {
                if (!view.index(row, 0).data(Qt::UserRole).value<Download *>())
                    return false;
            }
            return true;
        };
        manager.initializeDownload(synthetic(QStringLiteral("rows"), 6, 400000, 20000));
        QTRY_COMPARE_WITH_TIMEOUT(manager.rowCount(), 6, 15000);
        QVERIFY(rowsAgree());

        delete manager.activeDownloads().at(1);
        QCOMPARE(manager.rowCount(), 5);
        QVERIFY(rowsAgree());
        manager.pauseAll();
        QVERIFY(rowsAgree());
        manager.resumeAll();
        QVERIFY(rowsAgree());

        Download *queued = manager.queuedDownloads().value(0);
        QVERIFY(queued);
        manager.activeDownloads().first()->cancel();
        QTRY_COMPARE_WITH_TIMEOUT(queued->state(), Download::Downloading, 10000);
        QCOMPARE(manager.rowCount(), 4);
        QVERIFY(rowsAgree());
        QVERIFY(manager.activeDownloads().contains(queued));
        m_prompt.answers = {UserPrompt::Yes};
        manager.removeAll();
        QCOMPARE(view.rowCount(), 0);
    }

    // Past twenty, every further item is refused by name.
    void pastTwentyAreRefusedAndReported()
    {
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QSignalSpy refused(&manager, &DownloadManager::refused);
        manager.initializeDownload(synthetic(QStringLiteral("many"), 23, 100000, 5000));
        QTRY_COMPARE_WITH_TIMEOUT(refused.size(), 3, 15000);
        // The refusals are told before the admitted items' records come back.
        QTRY_COMPARE_WITH_TIMEOUT(manager.rowCount(), 20, 15000);
        QCOMPARE(refused.at(0).at(0).toString(), QStringLiteral("many 21"));
        QCOMPARE(refused.at(2).at(0).toString(), QStringLiteral("many 23"));
        QCOMPARE(storedRows(), 20);
        m_prompt.answers = {UserPrompt::Yes};
        manager.removeAll();
        QCOMPARE(manager.rowCount(), 0);
    }

    void sameLinkWhileRunningIsRefused()
    {
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        const QUrl url = synthetic(QStringLiteral("dup"), 1, 400000, 20000);
        manager.initializeDownload(url);
        Download *d = waitForSingle(manager);
        QVERIFY(d);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(d->mediaPath()), 10000);
        manager.initializeDownload(url);
        QTRY_COMPARE_WITH_TIMEOUT(countWarnings(m_prompt, QStringLiteral("File Exists")), 1, 10000);
        QCOMPARE(manager.rowCount(), 1);
        QCOMPARE(storedRows(), 1); // the running download keeps its record
        d->cancel();
    }

    // Every item of a descriptor already on disk is named in one message,
    // told once the items were all judged.
    void alreadyDownloadedItemsAreToldOnce()
    {
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        const QUrl url = synthetic(QStringLiteral("twice"), 3, 400000, 20000);
        manager.initializeDownload(url);
        QTRY_COMPARE_WITH_TIMEOUT(manager.rowCount(), 3, 15000);
        const QList<Download *> running = manager.activeDownloads() + manager.queuedDownloads();
        QCOMPARE(running.size(), 3);
        for (Download *d : running)
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(d->mediaPath()), 10000);
        const qsizetype before = m_prompt.messages.size();
        manager.initializeDownload(url);
        QTRY_COMPARE_WITH_TIMEOUT(countWarnings(m_prompt, QStringLiteral("File Exists")), 1, 10000);
        QCOMPARE(m_prompt.messages.size(), before + 1);
        const QString text = m_prompt.messages.last().text;
        for (int n = 1; n <= 3; ++n)
            QVERIFY2(text.contains(QStringLiteral("twice %1").arg(n)), qPrintable(text));
        QCOMPARE(manager.rowCount(), 3);
        for (Download *d : running)
            d->cancel();
    }

    void pauseKeepsFileAndResumeAppendsByRange()
    {
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        const qint64 size = 600000;
        manager.initializeDownload(synthetic(QStringLiteral("resume"), 1, size, 150000));
        Download *d = waitForSingle(manager);
        QVERIFY(d);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(d->mediaPath()).size() > 0, 10000);
        d->pause();
        QCOMPARE(d->state(), Download::Paused);
        // The stopped transfer has written its last byte.
        QTRY_VERIFY_WITH_TIMEOUT(!d->isTransferring(), 10000);
        const qint64 partial = QFileInfo(d->mediaPath()).size();
        QVERIFY(partial > 0 && partial < size);

        m_site->control(QStringLiteral("/control/clear"));
        QSignalSpy progress(d, &Download::updateProgress);
        d->resume();
        QTRY_VERIFY_WITH_TIMEOUT(progress.size() > 0, 10000);
        QVERIFY(d->bytesWritten() >= partial);
        const QString path = d->mediaPath();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        QVERIFY2(siteSawRangeFrom(partial), siteRequests().constData());
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
        QCOMPARE(storedRows(), 0);
    }

    // A pause or a cancel reaches the transfer on its own thread. A pause as
    // the transfer starts, or after its first bytes, loses nothing: once the
    // stopped transfer has written its last byte, the resume continues by
    // range from the bytes on disk. A cancel as the transfer starts leaves no
    // file: the transfer thread does not make again the file it removed.
    void stopReachesTheTransferThread_data()
    {
        QTest::addColumn<bool>("atStart");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("pause as it starts") << true << false;
        QTest::newRow("pause after the first bytes") << false << false;
        QTest::newRow("cancel as it starts") << true << true;
    }
    void stopReachesTheTransferThread()
    {
        QFETCH(bool, atStart);
        QFETCH(bool, cancel);
        const qint64 size = 600000;
        auto manager =
            std::make_unique<DownloadManager>(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(manager.get(), kReportFailures);
        QSignalSpy finished(manager.get(), &DownloadManager::finished);
        QString path;
        // Stopped in the same turn that hands the transfer to its thread.
        connect(manager.get(), &DownloadManager::added, this, [&](Download *added) {
            if (!atStart)
                return;
            connect(added, &Download::update, added, [added, cancel, &path] {
                if (added->state() != Download::Downloading || !path.isEmpty())
                    return;
                path = added->mediaPath();
                if (cancel)
                    added->cancel();
                else
                    added->pause();
            });
        });
        manager->initializeDownload(synthetic(QStringLiteral("race"), 1, size, 150000));
        if (cancel) {
            QTRY_VERIFY_WITH_TIMEOUT(!path.isEmpty(), 15000);
            QTRY_COMPARE_WITH_TIMEOUT(manager->rowCount(), 0, 10000);
            manager.reset(); // every transfer thread has run what it was given
            QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
            QCOMPARE(storedRows(), 0);
            return;
        }
        Download *d = waitForSingle(*manager);
        QVERIFY(d);
        if (!atStart) {
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(d->mediaPath()).size() > 0, 10000);
            path = d->mediaPath();
            d->pause();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!path.isEmpty(), 15000);
        QCOMPARE(d->state(), Download::Paused);
        QTRY_VERIFY_WITH_TIMEOUT(!d->isTransferring(), 10000);
        const qint64 partial = QFileInfo(path).size();
        QVERIFY(partial < size);

        m_site->control(QStringLiteral("/control/clear"));
        d->resume();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        if (partial > 0) {
            QVERIFY2(siteSawRangeFrom(partial), siteRequests().constData());
        }
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
    }

    // Quitting during a transfer stops it on its thread: the record and the
    // partial file stay, and the next run resumes by range from the bytes on
    // disk to a byte-exact file.
    void quitDuringTransferResumesByRange()
    {
        const qint64 size = 600000;
        QString path;
        {
            DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
            const QAbstractItemModelTester managerTester(&manager, kReportFailures);
            manager.initializeDownload(synthetic(QStringLiteral("quit"), 1, size, 150000));
            Download *d = waitForSingle(manager);
            QVERIFY(d);
            path = d->mediaPath();
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path).size() > 0, 10000);
        } // as at quit: the transfer threads are joined here
        const qint64 partial = QFileInfo(path).size();
        QVERIFY2(partial > 0 && partial < size, qPrintable(QString::number(partial)));
        QCOMPARE(storedRows(), 1);

        m_site->control(QStringLiteral("/control/clear"));
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        QCOMPARE(manager.rowCount(), 1);
        manager.resumeAll();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        QVERIFY2(siteSawRangeFrom(partial), siteRequests().constData());
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
    }

    // Signing in again, or the network reported online again, resumes the
    // active downloads: one already running keeps its single transfer.
    void resumingRunningDownloadKeepsItsTransfer()
    {
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        const qint64 size = 300000;
        manager.initializeDownload(synthetic(QStringLiteral("running"), 1, size, 150000));
        Download *d = waitForSingle(manager);
        QVERIFY(d);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(d->mediaPath()).size() > 0, 10000);
        manager.resumeAll();
        QVERIFY(!d->isResuming());
        QCOMPARE(d->state(), Download::Downloading);
        const QString path = d->mediaPath();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
    }

    // Each fault interrupts or disturbs the first transfer; the file must end
    // up byte-identical to the served one.
    void faultsEndWithIdenticalFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("redirect");
        QTest::addColumn<bool>("pauseFirst");
        QTest::newRow("redirect with body") << QString() << true << false;
        QTest::newRow("connection dropped midway")
            << QStringLiteral("drop&value=200000") << false << false;
        QTest::newRow("server ignores range") << QStringLiteral("norange") << false << true;
        QTest::newRow("redirect, paused, resumed") << QString() << true << true;
    }
    void faultsEndWithIdenticalFile()
    {
        QFETCH(QString, fault);
        QFETCH(bool, redirect);
        QFETCH(bool, pauseFirst);
        const qint64 size = 500000;
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        QSignalSpy errors(&manager, &DownloadManager::error);
        if (!fault.isEmpty() && !pauseFirst)
            m_site->control(QStringLiteral("/control/fault?name=") + fault);
        manager.initializeDownload(
            synthetic(QStringLiteral("fault"), 1, size, pauseFirst ? 150000 : 0, redirect));
        Download *d = waitForSingle(manager);
        QVERIFY(d);
        if (pauseFirst) {
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(d->mediaPath()).size() > 0, 10000);
            d->pause();
            if (!fault.isEmpty())
                m_site->control(QStringLiteral("/control/fault?name=") + fault);
            d->resume();
        }
        const QString path = d->mediaPath();
        QSignalSpy done(d, &Download::finished);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        QCOMPARE(done.size(), 1); // finished, not aborted
        QCOMPARE(QFileInfo(path).size(), size);
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
        // A broken connection is mended by the next attempt: no box, no notification.
        QCOMPARE(countWarnings(m_prompt, QStringLiteral("Download Failed")), 0);
        QCOMPARE(errors.size(), 0);
    }

    void failedMediaPausesAndKeepsRecord_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("404") << QStringLiteral("404");
        QTest::newRow("500") << QStringLiteral("500");
    }
    void failedMediaPausesAndKeepsRecord()
    {
        QFETCH(QString, fault);
        m_site->control(QStringLiteral("/control/fault?name=") + fault);
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        manager.setRetryDelays([](int) { return 60 * 60 * 1000; });
        QSignalSpy errors(&manager, &DownloadManager::error);
        manager.initializeDownload(synthetic(QStringLiteral("fail"), 1, 1000));
        Download *d = waitForSingle(manager);
        QVERIFY(d);
        QTRY_COMPARE_WITH_TIMEOUT(d->state(), Download::Paused, 10000);
        QVERIFY(!d->failure().isNull());
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().first().toString(), d->failure().message());
        QCOMPARE(manager.rowCount(), 1);
        QCOMPARE(storedRows(), 1);
    }

    void descriptorFetchFailureIsReported()
    {
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        manager.initializeDownload(m_site->url(QStringLiteral("/members/missing.corvana")));
        QTRY_COMPARE_WITH_TIMEOUT(countWarnings(m_prompt, QStringLiteral("Download Failed")), 1,
                                  10000);
        QCOMPARE(m_prompt.messages.last().text,
                 QStringLiteral("\"missing.corvana\" was not found on the site."));
        QCOMPARE(manager.rowCount(), 0);
        QCOMPARE(storedRows(), 0);
    }

    // A descriptor answer beyond the size limit is cut off while it arrives.
    void oversizedDescriptorIsRefused()
    {
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        manager.initializeDownload(m_site->url(QStringLiteral("/media/blob/huge.corvana?bytes=%1")
                                                   .arg(CorvanaItem::MaxDocumentBytes * 8)));
        QTRY_COMPARE_WITH_TIMEOUT(countWarnings(m_prompt, QStringLiteral("Download Failed")), 1,
                                  10000);
        QVERIFY(!manager.hasPendingRequests());
        QCOMPARE(manager.rowCount(), 0);
    }

    void oversizedDescriptorOnResumeKeepsDownload()
    {
        const QUrl url = m_site->url(QStringLiteral("/media/blob/huge.corvana?bytes=%1")
                                         .arg(CorvanaItem::MaxDocumentBytes * 8));
        QVERIFY(m_fixture.records()->insert(url, QUrl(QStringLiteral("http://x/huge")),
                                            QStringLiteral("/nowhere/huge")));
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QPointer<Download> d = manager.activeDownloads().value(0);
        QVERIFY(d);
        d->resume();
        QTRY_VERIFY_WITH_TIMEOUT(!d || !d->isResuming(), 10000);
        QCOMPARE(manager.rowCount(), 1);
        QVERIFY(d);
        QCOMPARE(d->state(), Download::Paused);
        QCOMPARE(storedRows(), 1);
    }

    void pauseDuringDescriptorFetchStaysPaused()
    {
        const QUrl url = synthetic(QStringLiteral("held"), 1, 100000);
        QVERIFY(m_fixture.records()->insert(url, QUrl(QStringLiteral("http://x/held")),
                                            QStringLiteral("/nowhere/held")));
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        Download *d = manager.activeDownloads().value(0);
        QVERIFY(d);
        QSignalSpy fetched(&m_network, &QNetworkAccessManager::finished);
        d->resume();
        QVERIFY(d->isResuming());
        d->pause();
        // The descriptor's answer (or its abort) has come and been dealt with.
        QVERIFY(!fetched.isEmpty() || fetched.wait(TestSupport::SlowWaitMs));
        QCoreApplication::processEvents();
        QCOMPARE(d->state(), Download::Paused);
        QVERIFY(d->item().isNull());
        QCOMPARE(storedRows(), 1);
    }

    void cancelDuringDescriptorFetchStopsIt()
    {
        const QUrl url = synthetic(QStringLiteral("gone"), 1, 100000);
        QVERIFY(m_fixture.records()->insert(url, QUrl(QStringLiteral("http://x/gone")),
                                            QStringLiteral("/nowhere/gone")));
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        Download *d = manager.activeDownloads().value(0);
        QVERIFY(d);
        d->resume();
        QVERIFY(d->isResuming());
        d->cancel();
        QVERIFY(!d->isResuming());
        QCOMPARE(manager.rowCount(), 0);
        QCOMPARE(storedRows(), 0);
    }

    void nonWebMediaAddressIsRefused()
    {
        const QByteArray descriptor =
            "<rss><channel><item><title>Local</title><guid>l</guid><media:group>"
            "<media:content url=\"file:///etc/hostname\" type=\"video/mp4\">"
            "<media:title>Local</media:title></media:content></media:group></item></channel></rss>";
        Download d(&m_network, nullptr, m_fixture.location(),
                   QUrl(QStringLiteral("http://127.0.0.1/x.corvana")), false);
        d.setItem(CorvanaItem::parseCorvanaFile(descriptor).first());
        const qsizetype requests = m_network.findChildren<QNetworkReply *>().size();
        d.start();
        QCOMPARE(d.state(), Download::Paused);
        QCOMPARE(d.failure().kind(), DownloadFailure::Other);
        QVERIFY(!d.isRetryScheduled());
        // Refused before anything was asked for.
        QCOMPARE(m_network.findChildren<QNetworkReply *>().size(), requests);
        QCoreApplication::processEvents();
        QVERIFY(!QFileInfo::exists(d.mediaPath()));
    }

    // Only web addresses are fetched as descriptors: a local file or a data
    // URL holding a valid descriptor is never read.
    void descriptorOfOtherSchemeIsNotFetched_data()
    {
        const QByteArray descriptor =
            "<rss><channel><item><title>Local</title><guid>local-1</guid><media:group>"
            "<media:content url=\"" +
            m_site->url(QStringLiteral("/media/blob/local.mp4?bytes=1000")).toEncoded() +
            "\" type=\"video/mp4\"><media:title>Local</media:title></media:content>"
            "</media:group></item></channel></rss>";
        const QString path = m_site->dataDir() + QStringLiteral("/local.corvana");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(descriptor);
        file.close();
        QTest::addColumn<QUrl>("url");
        QTest::newRow("file") << QUrl::fromLocalFile(path);
        QTest::newRow("data") << QUrl(QStringLiteral("data:text/xml;base64,") +
                                      QString::fromLatin1(descriptor.toBase64()));
        QTest::newRow("no host") << QUrl(QStringLiteral("http:/local.corvana"));
    }
    void descriptorOfOtherSchemeIsNotFetched()
    {
        QFETCH(QUrl, url);
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        manager.initializeDownload(url);
        QVERIFY(!manager.hasPendingRequests());
        QCOMPARE(manager.rowCount(), 0);
    }

    void completeFileAnswered416IsFinishedUntouched()
    {
        const qint64 size = 300000;
        const QUrl url = synthetic(QStringLiteral("done"), 1, size);
        QString path;
        {
            DownloadManager first(&m_network, m_fixture.records(), &m_fixture.prompt);
            const QAbstractItemModelTester firstTester(&first, kReportFailures);
            first.initializeDownload(url);
            Download *d = waitForSingle(first);
            QVERIFY(d);
            path = d->mediaPath();
            QSignalSpy done(d, &Download::finished);
            QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 15000);
            // As if the program stopped before the row was removed.
            QVERIFY(m_fixture.records()->insert(
                url, QUrl(m_site->url(QStringLiteral("/media/blob/done-1.mp4?bytes=300000"))),
                path));
        }
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QCOMPARE(manager.rowCount(), 1);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        QSignalSpy done(manager.activeDownloads().first(), &Download::finished);
        m_site->control(QStringLiteral("/control/clear"));
        manager.resumeAll();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        QCOMPARE(done.size(), 1);
        QVERIFY(m_site->requests()
                    .join(QLatin1Char('\n'))
                    .contains(QStringLiteral("bytes=%1-").arg(size)));
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
        QCOMPARE(storedRows(), 0);
    }

    // Descriptors come only from the site: a page could otherwise make the
    // program fetch (and save) from any host it names.
    void descriptorFromAnotherHostIsNotFetched()
    {
        ScriptedHttpServer other{QHostAddress(QStringLiteral("127.0.0.2"))};
        other.setResponse(
            ScriptedHttpServer::answer(200, "Content-Type: text/xml\r\n", "<rss><channel/></rss>"));
        QVERIFY(other.listen());
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        QSignalSpy error(&manager, &DownloadManager::error);
        manager.initializeDownload(other.url(QStringLiteral("/members/videos/harbour.corvana")));
        QVERIFY(!manager.hasPendingRequests());
        QCOMPARE(error.size(), 1);
        // The site's own descriptor still comes, from the same manager.
        manager.initializeDownload(m_site->url(QStringLiteral("/members/videos/harbour.corvana")));
        QVERIFY(manager.hasPendingRequests());
        QTRY_VERIFY_WITH_TIMEOUT(!manager.hasPendingRequests(), 15000);
        QVERIFY(other.requests().isEmpty());
        manager.pauseAll();
    }

    // Descriptors are read off the window's thread, one after another: those
    // given in a row are listed in that order, and a manager that goes while
    // it reads one lists nothing and stores no record.
    void descriptorsAreTakenInTheOrderGiven()
    {
        QStringList files;
        for (int i = 1; i <= 4; ++i) {
            const QString name = QStringLiteral("row-%1").arg(i);
            files << writeDescriptor(name, QStringLiteral("In a row %1").arg(i), name,
                                     QStringLiteral("video/mp4"));
            QVERIFY(!files.last().isEmpty());
        }
        {
            DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
            QStringList added;
            connect(&manager, &DownloadManager::added, this,
                    [&added](Download *download, int) { added << download->item().title(); });
            for (const QString &file : std::as_const(files))
                manager.initializeLocalDownload(file);
            QVERIFY(manager.hasPendingRequests());
            QTRY_COMPARE_WITH_TIMEOUT(added.size(), 4, 15000);
            QCOMPARE(added, (QStringList{"In a row 1", "In a row 2", "In a row 3", "In a row 4"}));
            QTRY_VERIFY_WITH_TIMEOUT(!manager.hasPendingRequests(), 15000);
            m_prompt.answers = {UserPrompt::Yes};
            manager.removeAll();
            m_prompt.answers.clear();
            QTRY_COMPARE_WITH_TIMEOUT(storedRows(), 0, 15000);
        }
        {
            DownloadManager going(&m_network, m_fixture.records(), &m_fixture.prompt);
            for (const QString &file : std::as_const(files))
                going.initializeLocalDownload(file);
        }
        QCoreApplication::processEvents();
        DownloadManager next(&m_network, m_fixture.records(), &m_fixture.prompt);
        QCOMPARE(next.rowCount(), 0);
        QCOMPARE(storedRows(), 0);
    }

    // Only a regular file is read, and only as far as a descriptor may be
    // long: a device never ends, a FIFO never answers.
    void localDescriptorMustBeARegularFile_data()
    {
        QTest::addColumn<QString>("path");
        const QString fifo = m_files.filePath(QStringLiteral("pipe.corvana"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString big = m_files.filePath(QStringLiteral("big.corvana"));
        QFile file(big);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(CorvanaItem::MaxDocumentBytes + 1));
        QTest::newRow("endless device") << QStringLiteral("/dev/zero");
        QTest::newRow("FIFO") << fifo;
        QTest::newRow("folder") << m_files.path();
        QTest::newRow("too long") << big;
    }

    void localDescriptorMustBeARegularFile()
    {
        QFETCH(QString, path);
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        QSignalSpy error(&manager, &DownloadManager::error);
        manager.initializeLocalDownload(path); // returns at once, whatever the file
        QCOMPARE(error.size(), 1);
        QCOMPARE(manager.rowCount(), 0);
    }

    // A media item is saved only as a video: "text/html" would have become
    // "<title>/<media title>.html" in the library, at a path a page can guess.
    void nonVideoMediaIsRefused_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("mp4") << "video/mp4" << true;
        QTest::newRow("flash video") << "video/x-flv" << true;
        QTest::newRow("web page") << "text/html" << false;
        QTest::newRow("script") << "application/x-sh" << false;
        QTest::newRow("video-looking page") << "video/html" << false;
    }

    void nonVideoMediaIsRefused()
    {
        QFETCH(QString, type);
        QFETCH(bool, accepted);
        const QString path = writeDescriptor(QStringLiteral("typed"), QStringLiteral("Typed"),
                                             QStringLiteral("Typed"), type);
        QVERIFY(!path.isEmpty());
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        QSignalSpy refused(&manager, &DownloadManager::refused);
        QSignalSpy error(&manager, &DownloadManager::error);
        QSignalSpy added(&manager, &DownloadManager::added);
        manager.initializeLocalDownload(path);
        // The items the store took on are listed once it answered.
        QTRY_VERIFY_WITH_TIMEOUT(!manager.hasPendingRequests(), 10000);
        QCOMPARE(added.size(), accepted ? 1 : 0);
        QCOMPARE(refused.size(), accepted ? 0 : 1);
        QCOMPARE(error.size(), accepted ? 0 : 1);
        if (!accepted)
            QVERIFY(error.constFirst().constFirst().toString().contains(type.section('/', 1)));
        manager.pauseAll();
    }

    // A title longer than a file name may be still downloads: the names are
    // cut on character boundaries, the title shown stays whole; line breaks
    // never become part of a name.
    void longAndOddTitlesDownload()
    {
        const QString title = QString(140, QChar(0xe9)) + QStringLiteral("\nSecond line");
        // Characters of four bytes: a cut between the halves of a pair would show.
        QString mediaTitle = QStringLiteral("\tend");
        for (int i = 0; i < 70; ++i)
            mediaTitle.prepend(QString::fromUcs4(U"\U0001F600"));
        const QString path =
            writeDescriptor(QStringLiteral("long"), title, mediaTitle, QStringLiteral("video/mp4"));
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        manager.initializeLocalDownload(path);
        Download *d = waitForSingle(manager);
        QVERIFY(d);
        QCOMPARE(d->item().title(), QString(140, QChar(0xe9)) + QStringLiteral("Second line"));
        const QString media = d->mediaPath();
        const QStringList files = {media, d->thumbnailPath(), d->coverPath()};
        bool whole = false;
        connect(&manager, &DownloadManager::finished, this,
                [&whole](Download *done) { whole = done->state() == Download::Finished; });
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        QVERIFY(whole);
        for (const QString &file : files) {
            const QFileInfo info(file);
            QVERIFY2(info.fileName().toUtf8().size() <= 255, qPrintable(file));
            QVERIFY2(info.dir().dirName().toUtf8().size() <= 255, qPrintable(file));
            QVERIFY(!file.contains(QLatin1Char('\n')) && !file.contains(QLatin1Char('\t')));
            // No character cut in two: a lone half does not survive UTF-8.
            QCOMPARE(QString::fromUtf8(file.toUtf8()), file);
            QVERIFY(!file.contains(QChar(QChar::ReplacementCharacter)));
        }
        QVERIFY(QFileInfo(media).isFile());
        QVERIFY(media.endsWith(QStringLiteral(".mp4")));
    }

    void restartRestoresStoredQueue()
    {
        for (int i = 1; i <= 7; ++i) {
            const QUrl url = synthetic(QStringLiteral("stored%1").arg(i), 1, 200000, 20000);
            const QUrl media = m_site->url(
                QStringLiteral("/media/blob/stored%1-1.mp4?bytes=200000&rate=20000").arg(i));
            QVERIFY(m_fixture.records()->insert(url, media, QStringLiteral("/nowhere/%1").arg(i)));
        }
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QCOMPARE(manager.rowCount(), 7);
        QCOMPARE(manager.runningCount(), 0); // paused: none holds a place
        for (int row = 0; row < 7; ++row) {
            auto *d = manager.data(manager.index(row), Qt::UserRole).value<Download *>();
            QVERIFY(d);
            QCOMPARE(d->state(), Download::Paused);
            QVERIFY(d->item().isNull());
            QVERIFY(d->url().query().contains(QStringLiteral("tag=stored%1").arg(row + 1)));
        }
        manager.resumeAll(); // what completing the sign-in does
        // The first five run; the others wait in the queue for their turn.
        QCOMPARE(manager.queuedDownloads().size(), 2);
        QCOMPARE(manager.activeDownloads().size(), 5);
        for (Download *d : manager.activeDownloads())
            QTRY_COMPARE_WITH_TIMEOUT(d->state(), Download::Downloading, 10000);
        for (Download *d : manager.queuedDownloads())
            QCOMPARE(d->state(), Download::Queued);
        QCOMPARE(manager.activeDownloads().first()->item().title(), QStringLiteral("stored1 1"));
        manager.pauseAll();
    }

    // The network going away stops the transfers as failed; its return
    // retries them at once. A download the user paused stays paused.
    void networkLossPausesAndReturnResumes()
    {
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        manager.setRetryDelays([](int) { return 60 * 60 * 1000; });
        manager.initializeDownload(synthetic(QStringLiteral("net"), 3, 400000, 20000));
        QTRY_COMPARE_WITH_TIMEOUT(manager.rowCount(), 3, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(allRunning(manager), 15000);
        Download *userPaused = manager.activeDownloads().constLast();
        userPaused->pause();
        QVERIFY(QMetaObject::invokeMethod(&manager, "networkStatusChanged", Q_ARG(bool, false)));
        for (Download *d : manager.activeDownloads()) {
            QCOMPARE(d->state(), Download::Paused);
            QCOMPARE(d->failure().kind(),
                     d == userPaused ? DownloadFailure::None : DownloadFailure::NoConnection);
        }
        QVERIFY(QMetaObject::invokeMethod(&manager, "networkStatusChanged", Q_ARG(bool, true)));
        for (Download *d : manager.activeDownloads()) {
            if (d != userPaused)
                QTRY_COMPARE_WITH_TIMEOUT(d->state(), Download::Downloading, 10000);
        }
        QCOMPARE(userPaused->state(), Download::Paused);
        m_prompt.answers = {UserPrompt::Yes};
        manager.removeAll();
        QCOMPARE(manager.rowCount(), 0);
    }

    void directDownloadNamesAndRecord()
    {
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        QSignalSpy downloaded(&manager, &DownloadManager::downloaded);
        const QUrl url =
            m_site->url(QStringLiteral("/media/blob/clip.mp4?bytes=123457&rate=200000"));
        manager.initializeDirectDownload(url);
        Download *d = waitForSingle(manager);
        QVERIFY(d);
        QVERIFY(d->isDirect());
        // It starts once its record is stored.
        QTRY_COMPARE_WITH_TIMEOUT(d->state(), Download::Downloading, 15000);
        QCOMPARE(d->mediaPath(), QDir(m_fixture.libraryFolder()).absoluteFilePath("clip.mp4"));
        QCOMPARE(d->item().title(), QStringLiteral("clip.mp4"));
        QCOMPARE(d->item().guid(), QStringLiteral("/media/blob/clip.mp4"));
        QCOMPARE(storedRows(), 1);
        qint64 finishedSize = -1;
        connect(&manager, &DownloadManager::finished, this,
                [&](Download *done) { finishedSize = done->mediaSize(); });
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        QCOMPARE(finishedSize, qint64(123457)); // the size comes from the server
        QCOMPARE(downloaded.first().first().toString(), QStringLiteral("/media/blob/clip.mp4"));
        QCOMPARE(storedRows(), 0);

        // The same link again: the file is there.
        manager.initializeDirectDownload(url);
        QCOMPARE(countWarnings(m_prompt, QStringLiteral("File Exists")), 1);
        QCOMPARE(manager.rowCount(), 0);
    }

    // Two items of one title each get a file of their own, both whole.
    void sameTitleItemsGetTheirOwnFiles()
    {
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        // Small downloads may finish before all three are ever listed at once:
        // take each path as it is added.
        QSet<QString> paths;
        connect(&manager, &DownloadManager::added, this,
                [&paths](Download *d, int) { paths.insert(d->mediaPath()); });
        const qint64 size = 200000;
        manager.initializeDownload(m_site->url(
            QStringLiteral("/members/synthetic.corvana?count=3&bytes=%1&tag=twin&title=Twin")
                .arg(size)));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 3, 30000);
        QCOMPARE(paths.size(), 3);
        for (const QString &path : std::as_const(paths))
            QCOMPARE(DemoSiteProcess::fileSha256(path),
                     DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
        QVERIFY(paths.contains(QDir(m_fixture.libraryFolder()).absoluteFilePath("Twin/Twin.mp4")));
        QVERIFY(
            paths.contains(QDir(m_fixture.libraryFolder()).absoluteFilePath("Twin-2/Twin.mp4")));
    }

    // A download's record is stored before any of its files is written, so a
    // kill never leaves a file that no record knows of. A descriptor's
    // records are stored together, so its downloads start together.
    void recordComesBeforeFiles()
    {
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QList<int> recordsWhenStored;
        int filesAhead = 0;
        const auto fileExists = [&](Download *d) {
            filesAhead += QFileInfo::exists(d->mediaPath());
        };
        connect(&manager, &DownloadManager::added, this, [&](Download *d, int) { fileExists(d); });
        connect(&manager, &DownloadManager::recordStored, this, [&](Download *d) {
            recordsWhenStored << storedRows();
            fileExists(d);
        });
        manager.initializeDownload(synthetic(QStringLiteral("first"), 2, 100000, 20000));
        QTRY_COMPARE_WITH_TIMEOUT(recordsWhenStored.size(), 2, 15000);
        QCOMPARE(recordsWhenStored, (QList<int>{2, 2}));
        QCOMPARE(filesAhead, 0);
        m_prompt.answers = {UserPrompt::Yes};
        manager.removeAll();
    }

    // While an index build holds the database's write lock half-way, a
    // descriptor is still read, checked against the library and its video
    // listed: the window's thread never waits for the build. The transfer
    // starts once the store has written the record, so no file goes ahead of
    // it, and Pause All and Resume All pressed meanwhile still count.
    void queueWorksDuringAnIndexBuild_data()
    {
        QTest::addColumn<QString>("bar"); // p: Pause All, r: Resume All
        QTest::addColumn<bool>("runs");
        QTest::newRow("untouched") << QString() << true;
        QTest::newRow("paused") << QStringLiteral("p") << false;
        QTest::newRow("paused, resumed") << QStringLiteral("pr") << true;
        QTest::newRow("paused, resumed, paused") << QStringLiteral("prp") << false;
        QTest::newRow("resumed, paused") << QStringLiteral("rp") << false;
    }

    void queueWorksDuringAnIndexBuild()
    {
        QFETCH(QString, bar);
        QFETCH(bool, runs);
        Engines engines(m_fixture.location(), &m_prompt);
        engines.account()->login(QStringLiteral("demo"), QStringLiteral("demo"));
        QVERIFY(fillLibrary(engines));
        MetaDataBuilder *builder = engines.library()->metaDataBuilder();
        IndexBuildGate gate(builder);
        builder->build();
        QVERIFY(gate.waitUntilHeld());

        DownloadManager &manager = *engines.downloadManager();
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QSignalSpy added(&manager, &DownloadManager::added);
        QSignalSpy stored(&manager, &DownloadManager::recordStored);
        m_site->control(QStringLiteral("/control/clear"));
        manager.initializeDownload(synthetic(QStringLiteral("gated"), 1, 100000, 20000));
        // The item is judged and its record stored in one job of the store,
        // which waits behind the build: it is listed once its record is stored.
        const QString media =
            QDir(m_fixture.libraryFolder()).absoluteFilePath("gated 1/gated 1.mp4");
        QTRY_VERIFY_WITH_TIMEOUT(manager.isJudgingItems(), 15000);
        QVERIFY(builder->isBuilding());
        for (const QChar press : bar) {
            if (press == QLatin1Char('p'))
                manager.pauseAll();
            else
                manager.resumeAll();
        }
        QCOMPARE(added.size(), 0);
        QVERIFY(!QFileInfo::exists(media));

        gate.release();
        QTRY_COMPARE_WITH_TIMEOUT(stored.size(), 1, 60000);
        QCOMPARE(added.size(), 1);
        Download *download = manager.activeDownloads().value(0);
        QVERIFY(download);
        if (runs)
            QTRY_COMPARE_WITH_TIMEOUT(download->state(), Download::Downloading, 60000);
        else
            QCOMPARE(download->state(), Download::Paused);
        const QList<DownloadRecords::Row> rows = engines.downloadRecords()->allRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first().downloadPath, download->mediaPath());
        m_prompt.answers = {UserPrompt::Yes};
        manager.removeAll();
    }

    // A queued download whose turn comes while its record waits to be
    // stored starts once it is, not before.
    void nextInLineWaitsForItsRecord()
    {
        Engines engines(m_fixture.location(), &m_prompt);
        engines.account()->login(QStringLiteral("demo"), QStringLiteral("demo"));
        QVERIFY(fillLibrary(engines));
        DownloadManager &manager = *engines.downloadManager();
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        manager.initializeDownload(synthetic(QStringLiteral("five"), 5, 4000000, 50000));
        QTRY_COMPARE_WITH_TIMEOUT(manager.rowCount(), 5, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(allRunning(manager), TestSupport::SlowWaitMs);

        MetaDataBuilder *builder = engines.library()->metaDataBuilder();
        IndexBuildGate gate(builder);
        builder->build();
        QVERIFY(gate.waitUntilHeld());
        m_site->control(QStringLiteral("/control/clear"));
        manager.initializeDownload(synthetic(QStringLiteral("sixth"), 1, 100000, 20000));
        QTRY_VERIFY_WITH_TIMEOUT(manager.isJudgingItems(), 15000);
        manager.activeDownloads().constFirst()->cancel();
        // Not listed, not fetched before its record is stored.
        QCOMPARE(manager.rowCount(), 4);
        QVERIFY(!QFileInfo::exists(
            QDir(m_fixture.libraryFolder()).absoluteFilePath("sixth 1/sixth 1.mp4")));

        QSignalSpy stored(&manager, &DownloadManager::recordStored);
        gate.release();
        QVERIFY(stored.wait(60000));
        QCOMPARE(manager.rowCount(), 5);
        Download *next = manager.activeDownloads().value(4);
        QVERIFY(next);
        QTRY_COMPARE_WITH_TIMEOUT(next->state(), Download::Downloading, 60000);
        m_prompt.answers = {UserPrompt::Yes};
        manager.removeAll();
    }

    // One video already in the library is skipped; the items after it are not.
    void knownVideoSkipsOnlyItself()
    {
        LibraryItem known;
        known.title(QStringLiteral("known"));
        known.guid(QStringLiteral("known-1"));
        known.videoPath(QStringLiteral("/nowhere/known.mp4"));
        LibraryStore *store = m_fixture.store();
        QCOMPARE(store->call([&] { return store->insertItems({known}); }).size(), 1);
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        manager.initializeDownload(synthetic(QStringLiteral("known"), 3, 100000, 20000));
        QTRY_COMPARE_WITH_TIMEOUT(manager.rowCount(), 2, 15000);
        QCOMPARE(manager.activeDownloads().at(0)->item().guid(), QStringLiteral("known-2"));
        QCOMPARE(manager.activeDownloads().at(1)->item().guid(), QStringLiteral("known-3"));
        m_prompt.answers = {UserPrompt::Yes};
        manager.removeAll();
    }

    // Items refused for their address never take a slot: the good one runs.
    void refusedItemsLeaveTheSlotsFree()
    {
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QSignalSpy refused(&manager, &DownloadManager::refused);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        manager.initializeDownload(m_site->url(
            QStringLiteral("/members/synthetic.corvana?count=6&bytes=100000&tag=bad&badscheme=5&"
                           "rate=50000")));
        QTRY_COMPARE_WITH_TIMEOUT(refused.size(), 5, 15000);
        // The refusals are told before the admitted item's record comes back.
        QTRY_COMPARE_WITH_TIMEOUT(manager.rowCount(), 1, 15000);
        QCOMPARE(manager.activeDownloads().first()->item().title(), QStringLiteral("bad 6"));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        QCOMPARE(countWarnings(m_prompt, QStringLiteral("Download Failed")), 0);
        QCOMPARE(storedRows(), 0);
    }

    // Names the library keeps for itself never become a download's folder or file.
    void reservedNamesAreAvoided_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("direct");
        QTest::newRow("cache folder") << ".cache" << false;
        QTest::newRow("parent folder") << ".." << false;
        QTest::newRow("database") << "library.db" << false;
        QTest::newRow("database, direct") << "library.db" << true;
        QTest::newRow("database journal, direct") << "library.db-journal" << true;
    }
    void reservedNamesAreAvoided()
    {
        QFETCH(QString, title);
        QFETCH(bool, direct);
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        if (direct)
            manager.initializeDirectDownload(
                m_site->url(QStringLiteral("/media/blob/%1?bytes=5000").arg(title)), false);
        else
            manager.initializeDownload(m_site->url(
                QStringLiteral("/members/synthetic.corvana?count=1&bytes=5000&tag=r&title=") +
                QString::fromLatin1(QUrl::toPercentEncoding(title))));
        Download *d = waitForSingle(manager);
        QVERIFY(d);
        const QString path = d->mediaPath();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        const QString library = QDir(m_fixture.libraryFolder()).absolutePath();
        QVERIFY2(QFileInfo(path).absolutePath().startsWith(library), qPrintable(path));
        QVERIFY2(!path.startsWith(m_fixture.location().cacheFolder()), qPrintable(path));
        QVERIFY(!path.startsWith(m_fixture.location().databaseFile()));
        QCOMPARE(QFileInfo(path).size(), qint64(5000));
        QSqlQuery check(TestDatabase::database(m_fixture.location()));
        QVERIFY(check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next());
        QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
    }

    // A stored direct download whose address has no video suffix (an
    // installer) is resumed as a direct download.
    void storedDirectDownloadResumesDirect()
    {
        const qint64 size = 120000;
        const QUrl url = m_site->url(QStringLiteral("/media/blob/setup.bin?bytes=%1").arg(size));
        const QString path = QDir(m_fixture.libraryFolder()).absoluteFilePath("setup.bin");
        {
            QFile partial(path);
            QVERIFY(partial.open(QIODevice::WriteOnly));
            partial.write(DemoSiteProcess::blob(size).left(50000));
        }
        QVERIFY(m_fixture.records()->insert(url, QUrl(), path));
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester managerTester(&manager, kReportFailures);
        QCOMPARE(manager.rowCount(), 1);
        Download *d = manager.activeDownloads().first();
        QSignalSpy done(d, &Download::finished);
        manager.resumeAll();
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 15000);
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
    }

    // After a kill every stored item resumes; one whose file was complete is
    // imported with its title and guid; one already listed is not listed twice.
    void resumeAfterKillCompletesEveryItem()
    {
        const qint64 size = 150000;
        const QUrl descriptor = synthetic(QStringLiteral("kill"), 4, size);
        const QDir library(m_fixture.libraryFolder());
        const QByteArray whole = DemoSiteProcess::blob(size);
        const qint64 onDisk[] = {size, 70000, 0, size}; // complete, partial, nothing, listed
        for (int i = 1; i <= 4; ++i) {
            const QString path =
                library.absoluteFilePath(QStringLiteral("kill %1/kill %1.mp4").arg(i));
            QVERIFY(library.mkpath(QStringLiteral("kill %1").arg(i)));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(whole.left(onDisk[i - 1]));
            file.close();
            const QUrl media =
                m_site->url(QStringLiteral("/media/blob/kill-%1.mp4?bytes=%2").arg(i).arg(size));
            QVERIFY(m_fixture.records()->insert(descriptor, media, path));
        }
        {
            LibraryItem listed;
            listed.title(QStringLiteral("kill 4"));
            listed.guid(QStringLiteral("kill-4"));
            listed.videoPath(library.absoluteFilePath(QStringLiteral("kill 4/kill 4.mp4")));
            listed.sizeInBytes(size);
            listed.creationDate(1);
            LibraryStore *store = m_fixture.store();
            QCOMPARE(store->call([&] { return store->insertItems({listed}); }).size(), 1);
        }
        Engines engines(m_fixture.location(), &m_prompt);
        engines.account()->login(QStringLiteral("demo"), QStringLiteral("demo"));
        Library &lib = *engines.library();
        DownloadManager &manager = *engines.downloadManager();
        QCOMPARE(manager.rowCount(), 4);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        manager.resumeAll();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 4, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(storedRows() == 0 && !lib.isBusy(), 60000);
        QSqlQuery rows(TestDatabase::database(m_fixture.location()));
        QVERIFY(
            rows.exec(QStringLiteral("SELECT guid, title, videoPath FROM library ORDER BY guid")));
        QStringList guids;
        while (rows.next()) {
            guids << LibraryItem::decode(rows.value(0).toString());
            QCOMPARE(LibraryItem::decode(rows.value(1).toString()),
                     QStringLiteral("kill %1").arg(guids.size()));
            QCOMPARE(DemoSiteProcess::fileSha256(LibraryItem::decode(rows.value(2).toString())),
                     DemoSiteProcess::sha256(whole));
        }
        QCOMPARE(guids, (QStringList{"kill-1", "kill-2", "kill-3", "kill-4"}));
    }

    void finishedVideoReachesLibrary()
    {
        const QString clip = TestSupport::sampleClip(QStringLiteral("handover.mp4"), 2);
        QVERIFY(!clip.isEmpty());
        QDir().mkpath(m_site->dataDir() + QStringLiteral("/media"));
        QFile::remove(m_site->dataDir() + QStringLiteral("/media/harbour.mp4"));
        QVERIFY(QFile::copy(clip, m_site->dataDir() + QStringLiteral("/media/harbour.mp4")));
        // The wiring hands finished videos to the library.
        Engines engines(m_fixture.location(), &m_prompt);
        engines.account()->login(QStringLiteral("demo"), QStringLiteral("demo"));
        Library &library = *engines.library();
        QSignalSpy imported(library.imports(), &ImportController::importFinished);
        DownloadManager &manager = *engines.downloadManager();
        manager.initializeDownload(m_site->url(QStringLiteral("/members/videos/harbour.corvana")));
        QTRY_VERIFY_WITH_TIMEOUT(imported.size() >= 1 && !library.isBusy(), 60000);
        QCOMPARE(storedRows(), 0);
        bool ok = false;
        QVERIFY(library.model()->containsGuid(QStringLiteral("corvana-demo-harbour"), &ok));
        QVERIFY(ok);

        // The same descriptor again: the video in the library is not fetched again.
        m_site->control(QStringLiteral("/control/clear"));
        manager.initializeDownload(m_site->url(QStringLiteral("/members/videos/harbour.corvana")));
        QTRY_VERIFY_WITH_TIMEOUT(!manager.hasPendingRequests(), 10000);
        QCOMPARE(manager.rowCount(), 0);
        QVERIFY(m_site->requests().filter(QStringLiteral("/media/")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDownloadManager)
#include "tst_downloadmanager.moc"
