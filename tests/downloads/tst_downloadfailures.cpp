// Downloads that fail: the partial file and the record stay, the reason is
// told apart and worded for a person, and what waiting can mend is retried
// by itself, by range from the bytes on disk. Against the demo site's fault
// controls on 127.0.0.1.
#include "DownloadSiteFixture.h"
#include "RefusedPort.h"
#include "ScriptedHttpServer.h"
#include "TestSupport.h"
#include "downloads/Download.h"
#include "downloads/DownloadFailure.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadRecords.h"
#include "downloads/SpeedLimitSettings.h"
#include "downloads/TransferRateLimiter.h"
#include "library/Library.h"
#include "web/Account.h"
#include "web/NetworkManager.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

constexpr auto kReportFailures = QAbstractItemModelTester::FailureReportingMode::QtTest;
constexpr int kHour = 60 * 60 * 1000;

// The first byte a request asks for ("Range: bytes=N-"), 0 without a range.
qint64 rangeStart(const QByteArray &head)
{
    for (const QByteArray &line : head.split('\n')) {
        const QByteArray field = line.trimmed();
        if (field.toLower().startsWith("range: bytes="))
            return field.mid(13).split('-').value(0).toLongLong();
    }
    return 0;
}

QByteArray headerOf(const QByteArray &head, const QByteArray &name)
{
    for (const QByteArray &line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

// An answer whose head announces `length` body bytes of which only `body` comes.
QByteArray cutAnswer(const QByteArray &statusLine, const QByteArray &headers, qint64 length,
                     const QByteArray &body)
{
    return statusLine + "\r\n" + headers + "Content-Length: " + QByteArray::number(length) +
           "\r\nConnection: close\r\n\r\n" + body;
}

// Other content of the same kind: every byte of `data` changed.
QByteArray otherContent(const QByteArray &data)
{
    QByteArray other = data;
    for (char &c : other)
        c = char(c ^ 0x5a);
    return other;
}

QByteArray descriptorFor(const QUrl &media, qint64 bytes)
{
    return "<rss><channel><item><title>Local</title><guid>local-1</guid><media:group>"
           "<media:content url=\"" +
           media.toEncoded() + "\" bytes=\"" + QByteArray::number(bytes) +
           "\" type=\"video/mp4\"><media:title>Local</media:title></media:content>"
           "</media:group></item></channel></rss>";
}

// Files of this process may grow to `bytes` at most while the object lives
// (a write beyond fails with EFBIG, as on a full disk, instead of a signal).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        m_set = getrlimit(RLIMIT_FSIZE, &m_old) == 0;
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_set = m_set && setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_set)
            setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool isSet() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = SIG_DFL;
    bool m_set = false;
};

} // namespace

class TestDownloadFailures : public QObject
{
    Q_OBJECT

private:
    int storedRows() const { return int(m_fixture.records()->allRows().size()); }
    QUrl blob(const QString &name, qint64 bytes, qint64 rate = 0) const
    {
        QString query = QStringLiteral("/media/blob/%1?bytes=%2").arg(name).arg(bytes);
        if (rate > 0)
            query += QStringLiteral("&rate=%1").arg(rate);
        return m_site->url(query);
    }
    bool rangeRequested(qint64 from) const
    {
        return m_site->requests()
            .join(QLatin1Char('\n'))
            .contains(QStringLiteral("bytes=%1-").arg(from));
    }
    // The requests for /media/blob/`name`, each "GET path range".
    QStringList mediaRequests(const QString &name) const
    {
        return m_site->requests().filter(QStringLiteral("/media/blob/") + name);
    }
    // Whether each request asks for a later first byte than the one before.
    static bool rangesIncrease(const QStringList &requests)
    {
        qint64 last = -1;
        for (const QString &request : requests) {
            const QString range = request.section(QLatin1Char(' '), 2);
            const qint64 from =
                range.isEmpty() ? 0 : range.mid(6).section(QLatin1Char('-'), 0, 0).toLongLong();
            if (from <= last)
                return false;
            last = from;
        }
        return true;
    }
    // Body bytes the site sent for /media/blob/`name`, all answers together.
    qint64 bytesSent(const QString &name) const
    {
        qint64 sent = 0;
        const QString path = QStringLiteral("/media/blob/") + name;
        for (const QByteArray &line :
             m_site->control(QStringLiteral("/control/sent")).split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() == 2 && QString::fromUtf8(fields.at(0)) == path)
                sent += fields.at(1).toLongLong();
        }
        return sent;
    }
    // The one download of `manager`, once listed.
    static Download *single(DownloadManager &manager)
    {
        if (!QTest::qWaitFor([&] { return manager.rowCount() == 1; }, 15000))
            return nullptr;
        return manager.activeDownloads().value(0);
    }
    static Download::RetryDelays delays(int ms)
    {
        return [ms](int) { return ms; };
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
        // Messages name folders from the home folder ("~/My Library").
        qputenv("HOME", m_fixture.home().toLocal8Bit());
    }

    void cleanup()
    {
        m_fixture.account.login(QStringLiteral("demo"), QStringLiteral("demo"));
        SpeedLimitSettings().save(); // no limit for the next test
        TransferRateLimiter::shared().setLimit(0);
    }

    // The connection breaks off mid-transfer, once or again and again: the
    // partial file stays, the next attempt follows at once and asks for the
    // rest by range, and the file ends byte-exact. Nobody is bothered.
    void droppedConnectionResumesByRange_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QList<qint64>>("ranges");
        QTest::addColumn<int>("retryMs");
        QTest::newRow("once") << "drop&value=250000" << QList<qint64>{250000} << kHour;
        QTest::newRow("again and again")
            << "dropevery&value=150000" << QList<qint64>{150000, 300000, 450000} << kHour;
        // Each answer ends after 1 to 60000 bytes: about twenty breaks, some
        // too short to count as progress (those wait a little).
        QTest::newRow("at random points") << "droprandom&value=60000" << QList<qint64>{} << 20;
    }
    void droppedConnectionResumesByRange()
    {
        QFETCH(QString, fault);
        QFETCH(QList<qint64>, ranges);
        QFETCH(int, retryMs);
        const qint64 size = 600000;
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester tester(&manager, kReportFailures);
        manager.setRetryDelays(delays(retryMs)); // an hour: only the retries after progress run
        QSignalSpy errors(&manager, &DownloadManager::error);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        m_site->control(QStringLiteral("/control/fault?name=") + fault);
        const QString name = QStringLiteral("drop-%1.mp4")
                                 .arg(QTest::currentDataTag())
                                 .replace(QLatin1Char(' '), QLatin1Char('-'));
        manager.initializeDirectDownload(blob(name, size), true);
        Download *d = single(manager);
        QVERIFY(d);
        const QString path = d->mediaPath();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000); // d is gone from here on
        QCOMPARE(QFileInfo(path).size(), size);
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
        m_site->control(QStringLiteral("/control/fault?name="));
        for (qint64 from : ranges)
            QVERIFY2(rangeRequested(from), qPrintable(m_site->requests().join(QLatin1Char('\n'))));
        // Every byte crossed once: no request went out twice with the same
        // range (as the network layer's own repeat of a broken-off request
        // would send it), and every attempt asked for more than the last.
        const QStringList requests = mediaRequests(name);
        QVERIFY2(rangesIncrease(requests), qPrintable(requests.join(QLatin1Char('\n'))));
        QCOMPARE(bytesSent(name), size);
        QCOMPARE(errors.size(), 0);
        QCOMPARE(m_fixture.prompt.messages.size(), 0); // no box to click away
        QCOMPARE(storedRows(), 0);
    }

    // The site goes away mid-transfer and comes back later: the download
    // says so once, waits and retries, and continues from the bytes on disk.
    void siteGoesAwayAndComesBack()
    {
        const qint64 size = 800000;
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester tester(&manager, kReportFailures);
        manager.setRetryDelays(delays(100));
        QSignalSpy errors(&manager, &DownloadManager::error);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        manager.initializeDirectDownload(blob(QStringLiteral("away.mp4"), size, 200000), true);
        Download *d = single(manager);
        QVERIFY(d);
        const QString path = d->mediaPath();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path).size() > 50000, 15000);
        m_site->control(QStringLiteral("/control/fault?name=down"));
        QTRY_VERIFY_WITH_TIMEOUT(d->failedAttempts() >= 3, 15000);
        QCOMPARE(d->failure().kind(), DownloadFailure::NoConnection);
        QCOMPARE(errors.size(), 1); // told once, not at every attempt
        QCOMPARE(storedRows(), 1);
        const qint64 kept = QFileInfo(path).size();
        QVERIFY(kept > 50000 && kept < size);

        m_site->control(QStringLiteral("/control/fault?name="));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        QVERIFY(rangeRequested(kept));
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
        QCOMPARE(storedRows(), 0);
    }

    void failuresAreToldApart_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("words");
        QTest::addColumn<bool>("retries");
        QTest::newRow("wrong password") << "password" << int(DownloadFailure::SignInRejected)
                                        << "user name or password" << false;
        QTest::newRow("not found")
            << "404" << int(DownloadFailure::NotFound) << "was not found on the site" << false;
        QTest::newRow("server error")
            << "500" << int(DownloadFailure::SiteProblem) << "The site had a problem" << true;
        QTest::newRow("refused connection") << "refused" << int(DownloadFailure::NoConnection)
                                            << "No connection to the site" << true;
        QTest::newRow("folder not writable") << "folder" << int(DownloadFailure::FolderNotWritable)
                                             << "cannot be written to" << false;
    }
    void failuresAreToldApart()
    {
        QFETCH(QString, fault);
        QFETCH(int, kind);
        QFETCH(QString, words);
        QFETCH(bool, retries);
        QUrl url = blob(QStringLiteral("told.mp4"), 200000);
        const RefusedPort refused;
        if (fault == QLatin1String("password")) {
            m_fixture.account.login(QStringLiteral("demo"), QStringLiteral("not the password"));
        } else if (fault == QLatin1String("refused")) {
            QVERIFY(refused.port() != 0);
            url = refused.url(QStringLiteral("/media/blob/told.mp4?bytes=200000"));
        } else if (fault == QLatin1String("folder")) {
            // A file stands where the video's folder would be made.
            QFile blocker(
                QDir(m_fixture.libraryFolder()).absoluteFilePath(QStringLiteral("told 1")));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            url = m_site->syntheticDescriptor(QStringLiteral("told"), 1, 200000);
        } else {
            m_site->control(QStringLiteral("/control/fault?name=") + fault);
        }
        // remembers no sign-in of earlier tests
        NetworkManager network(&m_fixture.account, &m_fixture.prompt);
        DownloadManager manager(&network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester tester(&manager, kReportFailures);
        manager.setRetryDelays(delays(kHour));
        QSignalSpy errors(&manager, &DownloadManager::error);
        if (fault == QLatin1String("folder"))
            manager.initializeDownload(url);
        else
            manager.initializeDirectDownload(url, true);
        Download *d = single(manager);
        QVERIFY(d);
        QTRY_VERIFY_WITH_TIMEOUT(!d->failure().isNull(), 15000);
        QCOMPARE(int(d->failure().kind()), kind);
        QVERIFY2(d->failure().message().contains(words), qPrintable(d->failure().message()));
        QVERIFY(d->failure().message().contains(QStringLiteral("told")));
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().first().toString(), d->failure().message());
        QCOMPARE(d->isRetryScheduled(), retries);
        QCOMPARE(d->state(), Download::Paused);
        QCOMPARE(storedRows(), 1); // the record stays for a later attempt

        // The user's pause takes the automatic retry back.
        d->pause();
        QVERIFY(!d->isRetryScheduled());
        QVERIFY(d->failure().isNull());
    }

    // The site has a problem, then recovers: the download gets there by itself.
    void serverErrorIsRetriedByItself()
    {
        const qint64 size = 300000;
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester tester(&manager, kReportFailures);
        QList<int> attempts;
        manager.setRetryDelays([&attempts](int attempt) {
            attempts << attempt;
            return 50;
        });
        QSignalSpy finished(&manager, &DownloadManager::finished);
        m_site->control(QStringLiteral("/control/fault?name=500"));
        manager.initializeDirectDownload(blob(QStringLiteral("later.mp4"), size), true);
        Download *d = single(manager);
        QVERIFY(d);
        const QString path = d->mediaPath();
        // Every pause is longer than the one before while nothing gets through.
        QTRY_VERIFY_WITH_TIMEOUT(attempts.size() >= 3, 15000);
        QCOMPARE(attempts.mid(0, 3), (QList<int>{1, 2, 3}));
        m_site->control(QStringLiteral("/control/fault?name="));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
        QCOMPARE(storedRows(), 0);
    }

    // Quitting while a retry waits loses nothing: the next start has the
    // record and the partial file and finishes it by range.
    void restartDuringRetryPause()
    {
        const qint64 size = 400000;
        const qint64 partialSize = 150000;
        const QUrl url = blob(QStringLiteral("restart.mp4"), size);
        const QString path = QDir(m_fixture.libraryFolder()).absoluteFilePath("restart.mp4");
        {
            QFile partial(path);
            QVERIFY(partial.open(QIODevice::WriteOnly));
            partial.write(DemoSiteProcess::blob(size).left(partialSize));
        }
        QVERIFY(m_fixture.records()->insert(url, QUrl(), path));
        m_site->control(QStringLiteral("/control/fault?name=500"));
        {
            DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
            manager.setRetryDelays(delays(kHour));
            QCOMPARE(manager.rowCount(), 1);
            Download *d = manager.activeDownloads().first();
            manager.resumeAll();
            QTRY_VERIFY_WITH_TIMEOUT(d->isRetryScheduled(), 15000);
            QCOMPARE(QFileInfo(path).size(), partialSize);
        } // the program quits while the retry waits
        QCOMPARE(storedRows(), 1);
        QCOMPARE(QFileInfo(path).size(), partialSize);

        m_site->control(QStringLiteral("/control/fault?name="));
        m_site->control(QStringLiteral("/control/clear"));
        DownloadManager next(&m_network, m_fixture.records(), &m_fixture.prompt);
        QCOMPARE(next.rowCount(), 1);
        QSignalSpy finished(&next, &DownloadManager::finished);
        next.resumeAll();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        QVERIFY(rangeRequested(partialSize));
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
    }

    // Under a speed limit (set as the user sets it, read by the transfers'
    // follower) a download that breaks off resumes by range and ends
    // byte-exact; switching the limit off reaches the transfers at once.
    void limitedDownloadResumesByteExact()
    {
        SpeedLimitSettings limits;
        limits.limitKiB = 512;
        limits.save();
        SpeedLimitFollower follower;
        QCOMPARE(TransferRateLimiter::shared().limit(), qint64(512 * 1024));
        const qint64 size = 600000;
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        manager.setRetryDelays(delays(kHour));
        QSignalSpy finished(&manager, &DownloadManager::finished);
        m_site->control(QStringLiteral("/control/fault?name=drop&value=250000"));
        manager.initializeDirectDownload(blob(QStringLiteral("limited.mp4"), size), true);
        Download *d = single(manager);
        QVERIFY(d);
        const QString path = d->mediaPath();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 60000);
        m_site->control(QStringLiteral("/control/fault?name="));
        QVERIFY(rangeRequested(250000));
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
        limits.limitKiB = 0;
        limits.save();
        follower.apply();
        QCOMPARE(TransferRateLimiter::shared().limit(), qint64(0));
    }

    // The resource behind the address changed between two attempts. A
    // partial answer that starts where the file ends but belongs to another
    // resource (another total, ETag or date) is never appended: the file
    // starts over and ends byte-exact with what the site serves now.
    void resumeNeverMixesResources_data()
    {
        QTest::addColumn<qint64>("oldSize");
        QTest::addColumn<QByteArray>("oldHeaders");
        QTest::addColumn<qint64>("newSize");
        QTest::addColumn<QByteArray>("newHeaders");
        QTest::addColumn<bool>("changed");
        QTest::newRow("another total")
            << qint64(300000) << QByteArray() << qint64(281316) << QByteArray() << true;
        QTest::newRow("another ETag") << qint64(281316) << QByteArray("ETag: \"v1\"\r\n")
                                      << qint64(281316) << QByteArray("ETag: \"v2\"\r\n") << true;
        QTest::newRow("another date")
            << qint64(281316) << QByteArray("Last-Modified: Mon, 07 Dec 2026 10:00:00 GMT\r\n")
            << qint64(281316) << QByteArray("Last-Modified: Tue, 08 Dec 2026 10:00:00 GMT\r\n")
            << true;
        QTest::newRow("same resource") << qint64(281316) << QByteArray("ETag: \"v1\"\r\n")
                                       << qint64(281316) << QByteArray("ETag: \"v1\"\r\n") << false;
    }
    void resumeNeverMixesResources()
    {
        QFETCH(qint64, oldSize);
        QFETCH(QByteArray, oldHeaders);
        QFETCH(qint64, newSize);
        QFETCH(QByteArray, newHeaders);
        QFETCH(bool, changed);
        const qint64 cut = 140158;
        const QByteArray before = DemoSiteProcess::blob(oldSize);
        const QByteArray now = changed ? otherContent(DemoSiteProcess::blob(newSize)) : before;
        ScriptedHttpServer server(QHostAddress::LocalHost);
        int served = 0;
        server.setResponder([&](const QByteArray &head) {
            const qint64 from = rangeStart(head);
            if (served++ == 0) // the first answer breaks off
                return cutAnswer("HTTP/1.1 200 OK", oldHeaders, oldSize, before.left(cut));
            if (from == 0)
                return cutAnswer("HTTP/1.1 200 OK", newHeaders, newSize, now);
            const QByteArray range = "Content-Range: bytes " + QByteArray::number(from) + '-' +
                                     QByteArray::number(newSize - 1) + '/' +
                                     QByteArray::number(newSize) + "\r\n";
            return cutAnswer("HTTP/1.1 206 Partial Content", newHeaders + range, newSize - from,
                             now.mid(from));
        });
        QVERIFY(server.listen());
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        manager.setRetryDelays(delays(kHour)); // the break-off is retried at once
        QSignalSpy finished(&manager, &DownloadManager::finished);
        manager.initializeDirectDownload(server.url(QStringLiteral("/changing.mp4")), true);
        Download *d = single(manager);
        QVERIFY(d);
        const QString path = d->mediaPath();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        const QList<QByteArray> requests = server.requests();
        QVERIFY2(requests.size() >= 2 && rangeStart(requests.at(1)) == cut,
                 requests.join("\n---\n").constData());
        QCOMPARE(QFileInfo(path).size(), newSize);
        QCOMPARE(DemoSiteProcess::fileSha256(path), DemoSiteProcess::sha256(now));
        // The whole resource was asked for again only when it had changed.
        QCOMPARE(requests.size(), changed ? 3 : 2);
        if (!oldHeaders.isEmpty()) // the resume named the resource it continues
            QCOMPARE(headerOf(requests.at(1), "If-Range"),
                     oldHeaders.mid(oldHeaders.indexOf(':') + 2).trimmed());
    }

    // A server that sends one byte per connection: such attempts are no
    // progress, so the pauses between them grow as after any failure, and
    // the number of requests stays within what those pauses allow (at most
    // one immediate repeat per failed attempt, plus the first).
    void fewBytesPerConnectionAreBackedOff()
    {
        const qint64 size = 1000000;
        ScriptedHttpServer server(QHostAddress::LocalHost);
        server.setResponder([size](const QByteArray &head) {
            const qint64 from = rangeStart(head);
            if (from == 0)
                return cutAnswer("HTTP/1.1 200 OK", {}, size, "x");
            const QByteArray range = "Content-Range: bytes " + QByteArray::number(from) + '-' +
                                     QByteArray::number(size - 1) + '/' + QByteArray::number(size) +
                                     "\r\n";
            return cutAnswer("HTTP/1.1 206 Partial Content", range, size - from, "x");
        });
        QVERIFY(server.listen());
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        QList<int> asked;
        manager.setRetryDelays([&asked](int attempt) {
            asked << attempt;
            return 100 * attempt;
        });
        manager.initializeDirectDownload(server.url(QStringLiteral("/trickle.mp4")), true);
        Download *d = single(manager);
        QVERIFY(d);
        QTRY_VERIFY_WITH_TIMEOUT(d->failedAttempts() >= 5, 60000);
        const qsizetype requests = server.requests().size();
        const int attempts = d->failedAttempts();
        QVERIFY2(
            requests <= 2 * attempts + 2,
            qPrintable(
                QStringLiteral("%1 requests for %2 failed attempts").arg(requests).arg(attempts)));
        // The pauses grew with each attempt.
        QVERIFY(asked.size() >= 4);
        QCOMPARE(asked.mid(0, 4), (QList<int>{1, 2, 3, 4}));
        d->pause();
    }

    // A download queued from a descriptor file on this computer retries its
    // media address after a server error (the file: address is never
    // fetched), and so does one restored from its record in a later run.
    void localDescriptorIsRetriedByItsMedia()
    {
        const qint64 size = 250000;
        const QUrl media = blob(QStringLiteral("local.mp4"), size);
        const QString file = QDir(m_fixture.home()).filePath(QStringLiteral("local.corvana"));
        {
            QFile descriptor(file);
            QVERIFY(descriptor.open(QIODevice::WriteOnly));
            descriptor.write(descriptorFor(media, size));
        }
        m_site->control(QStringLiteral("/control/fault?name=500"));
        QString path;
        {
            DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
            manager.setRetryDelays(delays(50));
            QSignalSpy finished(&manager, &DownloadManager::finished);
            manager.initializeLocalDownload(file);
            Download *d = single(manager);
            QVERIFY(d);
            path = d->mediaPath();
            QTRY_VERIFY_WITH_TIMEOUT(d->failedAttempts() >= 2, 15000);
            QCOMPARE(d->failure().kind(), DownloadFailure::SiteProblem);
            m_site->control(QStringLiteral("/control/fault?name="));
            QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
            QCOMPARE(DemoSiteProcess::fileSha256(path),
                     DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
        }

        // Restored in a later run from the stored record alone.
        QVERIFY(QFile::remove(path));
        QVERIFY(m_fixture.records()->insert(QUrl::fromLocalFile(file), media, path));
        m_site->control(QStringLiteral("/control/fault?name=500"));
        DownloadManager next(&m_network, m_fixture.records(), &m_fixture.prompt);
        next.setRetryDelays(delays(50));
        QCOMPARE(next.rowCount(), 1);
        Download *restored = next.activeDownloads().first();
        QSignalSpy finished(&next, &DownloadManager::finished);
        next.resumeAll();
        QTRY_VERIFY_WITH_TIMEOUT(restored->failedAttempts() >= 1, 15000);
        QCOMPARE(restored->failure().kind(), DownloadFailure::SiteProblem);
        m_site->control(QStringLiteral("/control/fault?name="));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
    }

    // A video larger than the room left on the library's disk is refused
    // before any byte of it is fetched, whether the descriptor announces its
    // size or only the answer does.
    void notEnoughRoomIsRefusedBeforeStart()
    {
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester tester(&manager, kReportFailures);
        manager.setRetryDelays(delays(kHour));
        manager.setFreeSpaceProbe([](const QString &) { return qint64(300000); });
        QSignalSpy errors(&manager, &DownloadManager::error);
        m_site->control(QStringLiteral("/control/clear"));
        manager.initializeDownload(m_site->syntheticDescriptor(QStringLiteral("big"), 1, 1200000));
        Download *big = single(manager);
        QVERIFY(big);
        QTRY_VERIFY_WITH_TIMEOUT(!big->failure().isNull(), 15000);
        QCOMPARE(big->failure().kind(), DownloadFailure::DiskFull);
        QCOMPARE(big->failure().message(),
                 QStringLiteral("Not enough disk space for \"big 1\": needs 1.2 MB, 300.0 kB "
                                "free in ~/My Library."));
        QCOMPARE(errors.size(), 1);
        QVERIFY(!big->isRetryScheduled());
        QVERIFY(m_site->requests().filter(QStringLiteral("/media/blob/big")).isEmpty());
        QCOMPARE(storedRows(), 1);
        big->cancel();
        QTRY_COMPARE_WITH_TIMEOUT(manager.rowCount(), 0, TestSupport::SlowWaitMs);

        // Only the answer tells the size: refused at its first bytes, and
        // what arrived before the check is kept for later.
        manager.initializeDirectDownload(blob(QStringLiteral("told-late.mp4"), 2000000), true);
        Download *late = single(manager);
        QVERIFY(late);
        QTRY_VERIFY_WITH_TIMEOUT(!late->failure().isNull(), 15000);
        QCOMPARE(late->failure().kind(), DownloadFailure::DiskFull);
        QVERIFY2(late->failure().message().startsWith(
                     QStringLiteral("Not enough disk space for \"told-late.mp4\": needs ")),
                 qPrintable(late->failure().message()));
        QVERIFY(QFileInfo(late->mediaPath()).size() < 2000000);
        QCOMPARE(storedRows(), 1);
    }

    // The disk fills up during the transfer (here: a file size limit, which
    // fails the write just as a full disk does): the partial file and the
    // record stay, and the message names the folder and why.
    void writeFailureKeepsPartialFile()
    {
        const qint64 limit = 300000;
        DownloadManager manager(&m_network, m_fixture.records(), &m_fixture.prompt);
        const QAbstractItemModelTester tester(&manager, kReportFailures);
        manager.setRetryDelays(delays(kHour));
        QSignalSpy errors(&manager, &DownloadManager::error);
        Download *d = nullptr;
        {
            const FileSizeLimit small(limit);
            QVERIFY(small.isSet());
            manager.initializeDirectDownload(blob(QStringLiteral("fills.mp4"), 600000), true);
            d = single(manager);
            QVERIFY(d);
            QTRY_VERIFY_WITH_TIMEOUT(!d->failure().isNull(), 15000);
        }
        QCOMPARE(d->failure().kind(), DownloadFailure::DiskFull);
        QVERIFY2(d->failure().message().startsWith(QStringLiteral(
                     "The disk is full: \"fills.mp4\" could not be written in ~/My Library (")),
                 qPrintable(d->failure().message()));
        QVERIFY(!d->isRetryScheduled());                   // room must be made first
        QCOMPARE(QFileInfo(d->mediaPath()).size(), limit); // the part already fetched stays
        QCOMPARE(storedRows(), 1);
        QCOMPARE(errors.size(), 1);

        // Room again: Retry goes on from the bytes on disk.
        const QString path = d->mediaPath();
        QSignalSpy finished(&manager, &DownloadManager::finished);
        d->resume();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        QVERIFY(rangeRequested(limit));
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(600000)));
    }
};

QTEST_GUILESS_MAIN(TestDownloadFailures)
#include "tst_downloadfailures.moc"
